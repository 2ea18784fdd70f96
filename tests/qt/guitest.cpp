#include "guitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <algorithm>

#include "application.h"
#include "wrappinglabel.h"

namespace quendal::testing {

QList<SeenMessageBox> AnswerMessageBoxes(const std::function<void()>& action, int waitFor) {
    QList<SeenMessageBox> seen;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->property("quendalAnswered").toBool())
            return;
        box->setProperty("quendalAnswered", true);
        SeenMessageBox record{box->windowTitle(), box->text(), box->icon(), {}};
        QAbstractButton* ok = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            record.buttons << button->text();
            if (button->text() == QStringLiteral("确定")) ok = button;
        }
        seen << record;
        if (ok != nullptr) {
            QTest::mouseClick(ok, Qt::LeftButton);
        } else {
            box->done(0);  // a box without "确定" is a failure the caller will see
        }
    });
    poll.start();
    action();
    // The caller compares what was seen; a shortfall shows there.
    static_cast<void>(QTest::qWaitFor([&] { return seen.size() >= waitFor; }, 5000));
    poll.stop();
    return seen;
}

QStringList MessagesShownBy(const std::function<void()>& action) {
    QStringList texts;
    for (const SeenMessageBox& box : AnswerMessageBoxes(action)) texts << box.text;
    return texts;
}

int ExitCodeOfEventLoopAfter(const std::function<void()>& action) {
    QObject scope;  // owns the connections below, so none outlives this call
    QTimer::singleShot(0, &scope, action);
    QTimer failsafe;
    failsafe.setSingleShot(true);
    QObject::connect(&failsafe, &QTimer::timeout, &scope, [] { QCoreApplication::exit(1); });
    failsafe.start(10000);
    return QCoreApplication::exec();
}

void AddLayoutRows(const forms::Form& form) {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<QRect>>("geometry");
    const auto pixels = [](int twips) { return (twips + 7) / 15; };
    for (const forms::Control& control : form.controls) {
        const QString name = QString::fromUtf8(control.name.data(), qsizetype(control.name.size()));
        const forms::TwipsRect& r = control.rect;
        QTest::newRow(qPrintable(name)) << name
                                        << QList<QRect>{QRect(pixels(r.left), pixels(r.top),
                                                              pixels(r.width), pixels(r.height))};
    }
    QMap<QString, QList<QRect>> lines;
    for (const forms::Line& line : form.lines) {
        lines[QString::fromUtf8(line.name.data(), qsizetype(line.name.size()))]
            << QRect(QPoint(pixels(line.x1), pixels(line.y)),
                     QPoint(pixels(line.x2), pixels(line.y) + line.widthPixels - 1));
    }
    for (auto line = lines.cbegin(); line != lines.cend(); ++line) {
        QTest::newRow(qPrintable(line.key())) << line.key() << line.value();
    }
}

QList<QWidget*> WidgetsNamed(const QWidget* root, const QString& name) {
    return root->findChildren<QWidget*>(name);
}

void AddDesktopFontRows() {
    QTest::addColumn<qreal>("desktopPoints");
    for (const qreal points : {9.0, 10.0, 11.0}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 pt desktop font").arg(points))) << points;
    }
}

QString WhyTextDoesNotFit(const QWidget* control) {
    const QFontMetrics metrics(control->font());
    const QStyle* style = control->style();
    const auto problem = [&](const QString& what, int needed, int room) {
        return needed <= room ? QString()
                              : QStringLiteral("%1: %2 needs %3 px, has %4 px (%5 pt)")
                                    .arg(control->objectName(), what)
                                    .arg(needed)
                                    .arg(room)
                                    .arg(control->font().pointSizeF());
    };
    if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.rect = box->rect();
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
        option.state |= QStyle::State_Sunken;
        const QRect text = style->subElementRect(QStyle::SE_LineEditContents, &option, box)
                               .marginsRemoved(box->textMargins());
        // QLineEdit keeps a pixel above and below its line.
        return problem(QStringLiteral("its line"), metrics.height(), text.height() - 2);
    }
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (!label->pixmap().isNull()) return {};
        const QRect room = label->contentsRect();
        QRect needed =
            metrics.boundingRect(room, static_cast<int>(label->alignment()), label->text());
        if (const auto* wrapping = dynamic_cast<const ui::WrappingLabel*>(label)) {
            const QStringList lines = wrapping->Lines();
            int widest = 0;
            for (const QString& line : lines)
                widest = std::max(widest, metrics.horizontalAdvance(line));
            needed.setSize(
                {widest, metrics.height() + metrics.lineSpacing() * int(lines.size() - 1)});
        }
        const QString width =
            problem(QStringLiteral("the width of its text"), needed.width(), room.width());
        return !width.isEmpty() ? width
                                : problem(QStringLiteral("the height of its text"), needed.height(),
                                          room.height());
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        // What the button shows: "&S" as an underlined S.
        const QString shown = QString(button->text()).remove(QLatin1Char('&'));
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button) +
                           style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
        const QString width =
            problem(QStringLiteral("its caption"), metrics.horizontalAdvance(shown) + 2 * margin,
                    button->width());
        return !width.isEmpty()
                   ? width
                   : problem(QStringLiteral("the height of its caption"),
                             metrics.height() + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth,
                                                                       &option, button),
                             button->height());
    }
    return {};
}

QStringList TextsThatDoNotFit(const QWidget* window, const forms::Form& form) {
    QStringList problems;
    for (const forms::Control& control : form.controls) {
        const QString name = QString::fromUtf8(control.name.data(), qsizetype(control.name.size()));
        const auto* widget = window->findChild<QWidget*>(name);
        if (widget == nullptr) {
            problems << name + QStringLiteral(": missing");
        } else if (const QString problem = WhyTextDoesNotFit(widget); !problem.isEmpty()) {
            problems << problem;
        }
    }
    return problems;
}

DesktopFontSize::DesktopFontSize(qreal points) : m_before(QApplication::font()) {
    QFont font = m_before;
    font.setPointSizeF(points);
    QApplication::setFont(font);
}

DesktopFontSize::~DesktopFontSize() { QApplication::setFont(m_before); }

void HideDesktopTools() {
    const QByteArray nowhere = QByteArrayLiteral("/nonexistent/quendal-test");
    qputenv("XDG_DATA_HOME", nowhere);
    qputenv("XDG_DATA_DIRS", nowhere);
}

void TypeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

int RunGuiTest(int argc, char* argv[], const std::function<int(int, char**)>& run) {
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
            previous(type, context, message);
        });
    // As on a desktop whose style is another than the one the form is made for.
    qputenv("QT_STYLE_OVERRIDE", QByteArrayLiteral("Windows"));
    ui::Application app(argc, argv);
    return run(argc, argv);
}

}  // namespace quendal::testing
