#pragma once
// Starts fontconfig on a second thread while the main thread connects to the
// display: reading its configuration and font caches is a large share of the
// start-up. Made before QApplication (see Application), waited for before
// Qt's first use of the fonts.

#include <functional>
#include <thread>

namespace quendal::ui {

class FontConfigPreload {
public:
    // The task is FcInit() where fontconfig is used; tests pass their own.
    explicit FontConfigPreload(const std::function<void()>& task = DefaultTask());
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

    // Returns once the task has run.
    void Wait();

private:
    static std::function<void()> DefaultTask();

    std::thread m_loader;
};

}  // namespace quendal::ui
