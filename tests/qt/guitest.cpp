#include "guitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include "application.h"

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
    ui::Application app(argc, argv);
    return run(argc, argv);
}

}  // namespace quendal::testing
