// SystemTest.cpp - ticks, clock, DOS dates, version, user and code page.
#include "platform/System.h"
#include "common/HostEnv.h"
#include "platform/ScopedTestPrefix.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>

using namespace vexo::platform;
using vexo::test::ScopedEnv;

TEST(System, TickCountAdvancesInMilliseconds) {
    std::uint32_t a = TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::uint32_t elapsed = TickCount() - a;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(System, NowMatchesTheLocalClock) {
    std::time_t t = std::time(nullptr);
    const std::tm tm = *std::localtime(&t);
    double now = Now();
    double frac = now - std::floor(now);
    double seconds = tm.tm_hour * 3600.0 + tm.tm_min * 60 + tm.tm_sec;
    EXPECT_NEAR(frac * 86400.0, seconds, 2.0);
    EXPECT_GT(now, 45000.0); // after 2023
}

TEST(System, VersionFromConfiguration) {
    ScopedTestPrefix prefix;
    // Without the setting: the system's version on Windows, 10.0 on a POSIX host.
    const OsVersion system = GetOsVersion();
    struct Case {
        const char* env;
        int platformId, major, minor;
    } cases[] = {{"5", 2, 5, 0},      {"6", 2, 6, 0},     {"6.1", 2, 6, 1},     {"10", 2, 10, 0},
                 {"win98", 1, 4, 10}, {"WinXP", 2, 5, 1}, {"garbage", 2, 10, 0}};
    for (const auto& c : cases) {
        ScopedEnv winver("VEXO_WINVER", c.env);
        OsVersion v = GetOsVersion();
        const bool unreadable = std::string(c.env) == "garbage"; // taken as no setting
        EXPECT_EQ(v.platformId, unreadable ? system.platformId : c.platformId) << c.env;
        EXPECT_EQ(v.major, unreadable ? system.major : c.major) << c.env;
        EXPECT_EQ(v.minor, unreadable ? system.minor : c.minor) << c.env;
    }
    const OsVersion unset = GetOsVersion();
    EXPECT_EQ(unset.major, system.major);
    EXPECT_EQ(unset.minor, system.minor);
    if (vexo::test::kWindowsHost) {
        EXPECT_EQ(system.platformId, 2);
        EXPECT_GE(system.major, 5);
    } else {
        EXPECT_EQ(unset.major, 10);
        EXPECT_EQ(system.minor, 0);
    }
}

TEST(System, UserNameAndCodePage) {
    ScopedTestPrefix prefix("Jos\xC3\xA9");
    EXPECT_EQ(UserName(), "Jos\xE9");
    EXPECT_EQ(AnsiCodePage(), 1252);
}
