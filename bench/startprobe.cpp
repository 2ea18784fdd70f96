// Linked into the program's own sources (ui/qt/main.cpp and all) to make
// quendal_startprobe: the same start-up, ended right after the window's first
// paint so that it can be counted instruction by instruction, or going on to
// time the first click on "计算电容" in a freshly started process.
//   quendal_startprobe --exit-after-first-paint
//   quendal_startprobe --first-click   prints the click's times in µs
// Without either option it is the program, unchanged.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <functional>
#include <memory>

#include "firstpaint.h"

namespace {

using quendal::bench::AfterNextPaint;

// Types the current, clicks the button, then reports once the report label
// shows the result (a new result, or the label would not be painted again).
void TimeClick(QWidget& window, const char* label, const QString& current,
               const std::function<void()>& then) {
    auto* button = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* report = window.findChild<QLabel*>(QStringLiteral("lblT"));
    auto* currentBox = window.findChild<QLineEdit*>(QStringLiteral("txtCurrent"));
    if (button == nullptr || report == nullptr || currentBox == nullptr) {
        std::fprintf(stderr, "startprobe: Command1, lblT or txtCurrent not found\n");
        std::_Exit(1);
    }
    currentBox->setText(current);  // an input the action accepts: no message box
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    button->click();  // the calculation runs here and writes the fields
    const qint64 calculated = clock->nsecsElapsed();
    new AfterNextPaint(report, [clock, calculated, label, then] {
        std::printf("%s calculation_us=%.1f painted_us=%.1f\n", label,
                    static_cast<double>(calculated) / 1e3,
                    static_cast<double>(clock->nsecsElapsed()) / 1e3);
        then();
    });
}

// Waits, for the whole application, for the first paint of a window.
class FirstWindowPaint : public QObject {
public:
    FirstWindowPaint(bool timeClicks) : QObject(qApp), m_timeClicks(timeClicks) {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && window != nullptr && window->isWindow()) {
            qApp->removeEventFilter(this);
            // Queued, so that it runs once the paint pass has been flushed.
            QTimer::singleShot(0, window, [window, timeClicks = m_timeClicks] {
                if (!timeClicks) quendal::bench::ExitNow();
                TimeClick(*window, "first", QStringLiteral("20"), [window] {
                    TimeClick(*window, "second", QStringLiteral("30"), quendal::bench::ExitNow);
                });
            });
        }
        return false;
    }

private:
    bool m_timeClicks;
};

// Runs as the program's QApplication is constructed, before its window exists.
void InstallProbe() {
    const QStringList arguments = QCoreApplication::arguments();
    const bool timeClicks = arguments.contains(QStringLiteral("--first-click"));
    if (timeClicks || arguments.contains(QStringLiteral("--exit-after-first-paint"))) {
        new FirstWindowPaint(timeClicks);
    }
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
