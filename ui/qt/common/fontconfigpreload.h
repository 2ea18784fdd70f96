#pragma once
// Starts fontconfig on a second thread, on another processor than the main
// thread's where there is one, while the main thread connects to the
// display: reading its configuration and font caches is a large share of the
// start-up. Made before QApplication (see Application), waited for before
// Qt's first use of the fonts.
//
// fontconfig reads the environment (getenv) on that thread, and glibc's
// getenv is not safe beside a setenv or unsetenv on another. The only
// variables the display connection takes out of the environment meanwhile
// are the launch's startup id and activation token: Qt's X11 connection
// unsets DESKTOP_STARTUP_ID (and GTK's, in the GTK platform theme), Qt's
// Wayland shell XDG_ACTIVATION_TOKEN when the window is first activated.
// Both are taken out here before the thread starts, so that nothing is left
// to unset while it runs, and given back once it has ended: the token to the
// environment, the startup id to Application, which completes the startup
// notification itself.

#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace quendal::ui {

class FontConfigPreload {
public:
    // The task is FcInit() where fontconfig is used; tests pass their own.
    explicit FontConfigPreload(const std::function<void()>& task = DefaultTask());
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

    // Returns once the task has run, with the activation token back in the
    // environment.
    void Wait();

    // DESKTOP_STARTUP_ID as the program was started with it; empty when none.
    const std::string& StartupId() const { return m_startupId; }

private:
    static std::function<void()> DefaultTask();
    void GiveBack();

    std::thread m_loader;
    std::string m_startupId;
    std::optional<std::string> m_activationToken;
};

}  // namespace quendal::ui
