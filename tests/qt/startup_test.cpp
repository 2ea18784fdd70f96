// The start-up's fontconfig thread: whatever the user's locale and whatever
// QApplication does to the process locale meanwhile, the thread reads numbers
// with "." as the decimal point, as fontconfig's configuration writes them.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "fontconfigpreload.h"
#include "localeguard.h"

namespace quendal::ui {
namespace {

TEST(FontConfigPreload, TaskReadsNumbersInTheCLocaleUnderACommaLocale) {
    const testing::LocaleGuard german("de_DE.UTF-8");
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");

    std::string decimalPoint;
    double parsed = 0;
    FontConfigPreload preload([&] {
        decimalPoint = std::localeconv()->decimal_point;
        parsed = std::strtod("1.25", nullptr);
    });
    preload.Wait();

    EXPECT_EQ(decimalPoint, ".");
    EXPECT_EQ(parsed, 1.25);
    // The process keeps the user's locale: only the thread switched.
    EXPECT_EQ(std::string(std::localeconv()->decimal_point), ",");
}

}  // namespace
}  // namespace quendal::ui
