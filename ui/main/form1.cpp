#include "form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include <limits>

#include "appinfo.h"
#include "application.h"
#include "circuitpicture.h"
#include "dropper.h"
#include "placedcontrols.h"
#include "twips.h"

namespace quendal::ui {

namespace {

constexpr QSize kClientSize(Twips(6075), Twips(4950));

QFont SongFont(bool bold) {
    QFont font(SongFamily());
    font.setPointSizeF(10.5);
    font.setBold(bold);
    return font;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QRect& geometry,
                       const QString& caption) {
    QPushButton* button = AddPlacedButton(parent, name, geometry, caption);
    // No default button: Enter in a text box must not press one.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent), m_client(new QWidget(this)), m_messenger(this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(AppTitle) + QStringLiteral(" by ") +
                   QString::fromUtf8(MakerName));
    setCentralWidget(m_client);

    QAction* exitAction = menuBar()->addAction(QStringLiteral("退出"));
    exitAction->setObjectName(QStringLiteral("ex"));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    QAction* aboutAction = menuBar()->addAction(QStringLiteral("说明"));
    aboutAction->setObjectName(QStringLiteral("sm"));
    connect(aboutAction, &QAction::triggered, this, &Form1::ShowAbout);

    // Created in tab order; the positions are fixed, whatever the window size.
    const QFont defaultFont = font();
    m_txtVolt = AddTextBox("txtVolt", TwipsRect(720, 360, 615, 270), QStringLiteral("220"),
                           QStringLiteral("单位: V (伏)"));
    AddLabel("lblVolt", TwipsRect(120, 360, 615, 255), QStringLiteral("电压:"), SongFont(false),
             m_txtVolt);
    QLabel* lblFre = AddLabel("lblFre", TwipsRect(1440, 360, 615, 255), QStringLiteral("频率:"),
                              defaultFont, nullptr);
    m_txtF = AddTextBox("txtF", TwipsRect(2040, 360, 495, 270), QStringLiteral("50"),
                        QStringLiteral("单位: Hz (赫兹)"));
    lblFre->setBuddy(m_txtF);
    QLabel* lblC1 = AddLabel("lblC1", TwipsRect(2760, 360, 615, 375), QStringLiteral("C1:"),
                             SongFont(true), nullptr);
    auto* picture = new CircuitPicture(TwipsRect(120, 840, 3735, 3975), m_client);
    picture->setObjectName(QStringLiteral("Picture1"));
    m_txtC1 = AddTextBox("txtC1", TwipsRect(3360, 360, 735, 270), QString(),
                         QStringLiteral("单位: µF (微法)"));
    lblC1->setBuddy(m_txtC1);
    QPushButton* command1 =
        AddButton(m_client, "Command1", TwipsRect(3960, 960, 975, 495), QStringLiteral("计算电容"));
    QPushButton* command2 =
        AddButton(m_client, "Command2", TwipsRect(5040, 960, 975, 495), QStringLiteral("计算电流"));
    QLabel* label1 = AddLabel("Label1", TwipsRect(4320, 360, 615, 255), QStringLiteral("电流:"),
                              SongFont(true), nullptr);
    m_txtCurrent = AddTextBox("txtCurrent", TwipsRect(5040, 360, 855, 270), QString(),
                              QStringLiteral("单位: mA (毫安)"));
    label1->setBuddy(m_txtCurrent);
    m_lblT =
        AddLabel("lblT", TwipsRect(3960, 1560, 2055, 3135), QString(), SongFont(true), nullptr);
    m_lblT->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(command1, &QPushButton::clicked, this,
            [this] { CalculateCapacitance(*this, m_messenger); });
    connect(command2, &QPushButton::clicked, this,
            [this] { CalculateCurrent(*this, m_messenger); });

    setTabOrder(m_txtVolt, m_txtF);
    setTabOrder(m_txtF, picture);
    setTabOrder(picture, m_txtC1);
    setTabOrder(m_txtC1, command1);
    setTabOrder(command1, command2);
    setTabOrder(command2, m_txtCurrent);

    resize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());
    m_txtVolt->setFocus();
}

Form1::~Form1() { delete m_about; }

QLineEdit* Form1::AddTextBox(const char* name, const QRect& geometry, const QString& text,
                             const QString& unit) {
    auto* box = new QLineEdit(text, m_client);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setToolTip(unit);
    return box;
}

QLabel* Form1::AddLabel(const char* name, const QRect& geometry, const QString& text,
                        const QFont& font, QLineEdit* buddy) {
    QLabel* label = AddPlacedLabel(m_client, name, geometry, text);
    label->setFont(font);
    if (buddy != nullptr) label->setBuddy(buddy);
    return label;
}

QLineEdit* Form1::TextBox(FieldId field) const {
    switch (field) {
        case FieldId::txtVolt:
            return m_txtVolt;
        case FieldId::txtF:
            return m_txtF;
        case FieldId::txtC1:
            return m_txtC1;
        case FieldId::txtCurrent:
            break;
    }
    return m_txtCurrent;
}

std::string Form1::FieldText(FieldId field) const { return TextBox(field)->text().toStdString(); }

void Form1::SetFieldText(FieldId field, const std::string& text) {
    TextBox(field)->setText(QString::fromStdString(text));
}

void Form1::SetReportText(const std::string& text) {
    // The report separates its lines with CR LF; a label breaks at LF.
    m_lblT->setText(
        QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void Form1::ShowAbout() {
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
