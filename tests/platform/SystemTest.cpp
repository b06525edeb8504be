// SystemTest.cpp - ticks, clock, DOS dates, version, user and code page.
#include "platform/System.h"
#include "platform/ScopedTestPrefix.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace vexo::platform;

TEST(System, TickCountAdvancesInMilliseconds) {
    std::uint32_t a = TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::uint32_t elapsed = TickCount() - a;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(System, NowMatchesTheLocalClock) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    double now = Now();
    double frac = now - std::floor(now);
    double seconds = tm.tm_hour * 3600.0 + tm.tm_min * 60 + tm.tm_sec;
    EXPECT_NEAR(frac * 86400.0, seconds, 2.0);
    EXPECT_GT(now, 45000.0); // after 2023
}

TEST(System, VersionFromConfiguration) {
    ScopedTestPrefix prefix;
    struct Case {
        const char* env;
        int platformId, major, minor;
    } cases[] = {{"5", 2, 5, 0},      {"6", 2, 6, 0},     {"6.1", 2, 6, 1},     {"10", 2, 10, 0},
                 {"win98", 1, 4, 10}, {"WinXP", 2, 5, 1}, {"garbage", 2, 10, 0}};
    for (const auto& c : cases) {
        setenv("VEXO_WINVER", c.env, 1);
        OsVersion v = GetOsVersion();
        EXPECT_EQ(v.platformId, c.platformId) << c.env;
        EXPECT_EQ(v.major, c.major) << c.env;
        EXPECT_EQ(v.minor, c.minor) << c.env;
    }
    unsetenv("VEXO_WINVER");
    EXPECT_EQ(GetOsVersion().major, 10);
}

TEST(System, UserNameAndCodePage) {
    ScopedTestPrefix prefix("Jos\xC3\xA9");
    EXPECT_EQ(UserName(), "Jos\xE9");
    EXPECT_EQ(AnsiCodePage(), 1252);
}
