#include "form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "dropper.h"

namespace quendal::ui {

Form1::Form1(QWidget* parent)
    : QMainWindow(parent),
      m_client(new QWidget(this)),
      m_controls(forms::Form1(), m_client),
      m_messenger(this) {
    const forms::Form& form = forms::Form1();
    setObjectName(FormWidgets::Text(form.name));
    setWindowTitle(QString::fromStdString(form.caption));
    setCentralWidget(m_client);

    // The bar stays in the window: a global menu (KDE's Global Menu, the
    // title bar's menu button) shows only items with a submenu, and 退出 and
    // 说明 have none, so exported there they would vanish.
    menuBar()->setNativeMenuBar(false);
    for (const forms::MenuItem& item : form.menu) {
        QAction* action = menuBar()->addAction(FormWidgets::Text(item.caption));
        action->setObjectName(FormWidgets::Text(item.name));
        // The desktop's own keys for them (Ctrl+Q, F1), from the window.
        action->setShortcutContext(Qt::WindowShortcut);
        if (item.name == "ex") {
            action->setShortcut(QKeySequence::Quit);
            connect(action, &QAction::triggered, this, &QWidget::close);
        }
        if (item.name == "sm") {
            action->setShortcut(QKeySequence::HelpContents);
            connect(action, &QAction::triggered, this, &Form1::ShowAbout);
        }
    }

    connect(m_controls.Get<QPushButton>("Command1"), &QPushButton::clicked, this,
            [this] { CalculateCapacitance(*this, m_messenger); });
    connect(m_controls.Get<QPushButton>("Command2"), &QPushButton::clicked, this,
            [this] { CalculateCurrent(*this, m_messenger); });

    // The controls keep their places whatever the window's size.
    const QRect client = FormWidgets::Geometry({0, 0, form.clientWidth, form.clientHeight});
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    m_controls.Get<QWidget>(form.initialFocus)->setFocus();
}

Form1::~Form1() { delete m_about; }

QLineEdit* Form1::TextBox(FieldId field) const {
    return m_controls.Get<QLineEdit>(forms::ControlName(field));
}

std::string Form1::FieldText(FieldId field) const { return TextBox(field)->text().toStdString(); }

void Form1::SetFieldText(FieldId field, const std::string& text) {
    TextBox(field)->setText(QString::fromStdString(text));
}

void Form1::SetReportText(const std::string& text) {
    // The report separates its lines with CR LF; a label breaks at LF.
    const QString report =
        QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* label = m_controls.Get<QLabel>(forms::kReportLabel);
    label->setText(report);
    // The focus stays on the button that was pressed, so a screen reader
    // says nothing of the label by itself.
    m_announcer.Announce(label, report);
}

void Form1::ShowAbout() {
    // A closed About waits only for its deferred deletion: open a new one
    // rather than show one that is about to vanish.
    if (m_about != nullptr && !m_about->isVisible()) m_about = nullptr;
    if (m_about == nullptr) {
        m_about = new frmAbout();
        m_about->move(frameGeometry().center() - m_about->rect().center());
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, with every window of it.
    delete m_about;
    event->accept();
    QCoreApplication::quit();
}

}  // namespace quendal::ui
