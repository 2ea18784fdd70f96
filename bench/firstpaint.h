#pragma once
// Bench-only hook: runs a callback once a widget has been painted and the
// paint pass that painted it has been flushed to the display.

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>

namespace quendal::bench {

class AfterNextPaint : public QObject {
public:
    AfterNextPaint(QWidget* widget, std::function<void()> then)
        : QObject(widget), m_then(std::move(then)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The paint pass flushes the backing store when it ends; a queued
            // call runs after that.
            QTimer::singleShot(0, watched, m_then);
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

// Ends the process at once: what comes after the first paint (the event
// loop, teardown) is no part of what a user waits for at start-up.
inline void ExitNow() {
    std::fflush(stdout);
    std::_Exit(0);
}

inline bool HasOption(int argc, char* argv[], const char* option) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == option) return true;
    }
    return false;
}

}  // namespace quendal::bench
