#pragma once
// Switches the C and C++ locales for the lifetime of the guard and restores
// the previous ones afterwards, also when an assertion fails in between.

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

namespace quendal::testing {

class LocaleGuard {
public:
    explicit LocaleGuard(const char* name) : m_previousC(std::setlocale(LC_ALL, nullptr)) {
#ifdef _WIN32
        // The Windows C runtime knows "de_DE" but not its ".UTF-8" form, and
        // MinGW's C++ library has no named locales: only the C locale changes.
        std::string cName(name);
        cName = cName.substr(0, cName.find('.'));
        if (std::setlocale(LC_ALL, cName.c_str()) == nullptr) {
            throw std::runtime_error(std::string("locale not available: ") + name);
        }
        // std::locale::global would set the C locale back to the C++ one's name.
        m_previousCpp = std::locale();
#else
        if (std::setlocale(LC_ALL, name) == nullptr) {
            throw std::runtime_error(std::string("locale not available: ") + name);
        }
        m_previousCpp = std::locale::global(std::locale(name));
#endif
    }
    ~LocaleGuard() {
        std::locale::global(m_previousCpp);
        std::setlocale(LC_ALL, m_previousC.c_str());
    }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    std::string m_previousC;
    std::locale m_previousCpp;
};

}  // namespace quendal::testing
