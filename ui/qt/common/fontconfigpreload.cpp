#include "fontconfigpreload.h"

#include <locale.h>  // newlocale, uselocale (POSIX)
#include <stdlib.h>  // setenv, unsetenv (POSIX)

#include <clocale>
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
