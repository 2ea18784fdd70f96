#include "fontconfigpreload.h"

#include <locale.h>  // newlocale, uselocale (POSIX)
#if defined(__linux__)
#include <pthread.h>  // pthread_setaffinity_np (GNU)
#include <sched.h>    // sched_getcpu, sched_getaffinity (GNU)
#endif
#include <stdlib.h>  // setenv, unsetenv (POSIX)

#include <clocale>
#include <cstddef>
#include <cstdlib>
#include <system_error>

#if QUENDAL_HAS_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quendal::ui {

namespace {

// QApplication's constructor calls setlocale(LC_ALL, "") on the main thread
// while the task runs, and fontconfig reads the numbers of its configuration
// with localeconv() and strtod(). Under its own "C" locale the task reads "."
// as the decimal point whatever the user's locale, and never touches the
// process locale that setlocale is changing.
void RunInCLocale(locale_t cLocale, const std::function<void()>& task) {
    const locale_t previous = uselocale(cLocale);
    task();
    uselocale(previous);
    freelocale(cLocale);
}

// Takes the variable out of the environment and returns its value.
std::optional<std::string> TakeOut(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    std::string kept = value;
    unsetenv(name);
    return kept;
}

// Linux may start a new thread on its creator's processor and leave it
// there for milliseconds before an idle processor takes it over: measured on
// two processors, the main thread then lost 2.5 to 3.5 ms of the start-up
// waiting for its own processor while it connected to the display. Moving the
// thread to the other processors at once keeps the main thread where it runs.
// With one processor allowed there is nowhere else to go, and nothing changes.
void KeepOffTheCallersProcessor(std::thread& thread) {
#if defined(__linux__)
    const int current = sched_getcpu();
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (current < 0 || current >= CPU_SETSIZE ||
        sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        return;
    }
    CPU_CLR(static_cast<std::size_t>(current), &allowed);
    if (CPU_COUNT(&allowed) > 0) {
        // A failure only leaves the thread where the system put it.
        pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
    }
#else
    (void)thread;
#endif
}

}  // namespace

std::function<void()> FontConfigPreload::DefaultTask() {
#if QUENDAL_HAS_FONTCONFIG
    return [] { FcInit(); };
#else
    return [] {};
#endif
}

FontConfigPreload::FontConfigPreload(const std::function<void()>& task) {
    // Still the only thread: nothing reads the environment meanwhile.
    m_startupId = TakeOut("DESKTOP_STARTUP_ID").value_or(std::string());
    m_activationToken = TakeOut("XDG_ACTIVATION_TOKEN");
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale != static_cast<locale_t>(nullptr)) {
        try {
            m_loader = std::thread(RunInCLocale, cLocale, task);
            KeepOffTheCallersProcessor(m_loader);
            return;
        } catch (const std::system_error&) {
            freelocale(cLocale);
        }
    }
    // No thread: fontconfig starts here, before QApplication touches the locale.
    task();
    GiveBack();
}

FontConfigPreload::~FontConfigPreload() { Wait(); }

void FontConfigPreload::Wait() {
    if (m_loader.joinable()) {
        m_loader.join();
        GiveBack();
    }
}

void FontConfigPreload::GiveBack() {
    if (m_activationToken) setenv("XDG_ACTIVATION_TOKEN", m_activationToken->c_str(), 0);
    m_activationToken.reset();
}

}  // namespace quendal::ui
