// The start-up's fontconfig thread: whatever the user's locale and whatever
// QApplication does to the process locale meanwhile, the thread reads numbers
// with "." as the decimal point, as fontconfig's configuration writes them.

#include <gtest/gtest.h>

#include <stdlib.h>  // setenv, unsetenv

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

// Nothing is left for the display connection to unset while fontconfig reads
// the environment: the startup id and the activation token are out of it.
TEST(FontConfigPreload, TaskRunsWithoutTheLaunchVariablesThatGetUnsetMeanwhile) {
    setenv("DESKTOP_STARTUP_ID", "launcher-1_TIME42", 1);
    setenv("XDG_ACTIVATION_TOKEN", "token-1", 1);
    bool sawStartupId = true;
    bool sawToken = true;
    FontConfigPreload preload([&] {
        sawStartupId = std::getenv("DESKTOP_STARTUP_ID") != nullptr;
        sawToken = std::getenv("XDG_ACTIVATION_TOKEN") != nullptr;
    });
    preload.Wait();

    EXPECT_FALSE(sawStartupId);
    EXPECT_FALSE(sawToken);
    // Given back: the token for Qt's Wayland shell, the id for Application.
    ASSERT_NE(std::getenv("XDG_ACTIVATION_TOKEN"), nullptr);
    EXPECT_EQ(std::string(std::getenv("XDG_ACTIVATION_TOKEN")), "token-1");
    EXPECT_EQ(preload.StartupId(), "launcher-1_TIME42");
    EXPECT_EQ(std::getenv("DESKTOP_STARTUP_ID"), nullptr);
    unsetenv("XDG_ACTIVATION_TOKEN");
}

}  // namespace
}  // namespace quendal::ui
