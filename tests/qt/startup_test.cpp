// The start-up's fontconfig thread: whatever the user's locale and whatever
// QApplication does to the process locale meanwhile, the thread reads numbers
// with "." as the decimal point, as fontconfig's configuration writes them,
// and leaves the creator's processor to the creator.

#include <gtest/gtest.h>

#include <sched.h>   // sched_getaffinity (GNU)
#include <stdlib.h>  // setenv, unsetenv

#include <chrono>
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

int AllowedProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    return sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? CPU_COUNT(&allowed) : 0;
}

// The thread leaves the creator's processor to the creator: it may run on
// every allowed processor but one. The move comes just after the thread is
// made, so the task looks for it for a while.
TEST(FontConfigPreload, TaskRunsOffTheCreatorsProcessor) {
    const int processors = AllowedProcessors();
    if (processors < 2) GTEST_SKIP() << "one processor allowed";
    int seen = processors;
    FontConfigPreload preload([&] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while ((seen = AllowedProcessors()) == processors &&
               std::chrono::steady_clock::now() < end) {
        }
    });
    preload.Wait();
    EXPECT_EQ(seen, processors - 1);
}

}  // namespace
}  // namespace quendal::ui
