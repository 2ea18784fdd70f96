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
        if (std::setlocale(LC_ALL, name) == nullptr) {
            throw std::runtime_error(std::string("locale not available: ") + name);
        }
        m_previousCpp = std::locale::global(std::locale(name));
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
