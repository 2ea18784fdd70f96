#include "fontconfigpreload.h"

#include <locale.h>  // newlocale, uselocale (POSIX)
#include <clocale>
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

}  // namespace

std::function<void()> FontConfigPreload::DefaultTask() {
#if QUENDAL_HAS_FONTCONFIG
    return [] { FcInit(); };
#else
    return [] {};
#endif
}

FontConfigPreload::FontConfigPreload(const std::function<void()>& task) {
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
}

FontConfigPreload::~FontConfigPreload() { Wait(); }

void FontConfigPreload::Wait() {
    if (m_loader.joinable()) m_loader.join();
}

}  // namespace quendal::ui
