// System.cpp - ticks, clock, version, user and code page on the host.
#include "platform/System.h"

#include "platform/Encoding.h"
#include "platform/posix/HostPaths.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace vexo::platform {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kDaysTo1899_12_30 = -25569; // DaysFromCivil(1899, 12, 30)

struct NamedVersion {
    std::string_view name;
    int platformId, major, minor;
};
constexpr NamedVersion kVersions[] = {
    {"win95", 1, 4, 0},  {"win98", 1, 4, 10}, {"winme", 1, 4, 90},  {"nt40", 2, 4, 0},
    {"win2k", 2, 5, 0},  {"winxp", 2, 5, 1},  {"win2003", 2, 5, 2}, {"vista", 2, 6, 0},
    {"win7", 2, 6, 1},   {"win8", 2, 6, 2},   {"win81", 2, 6, 3},   {"win10", 2, 10, 0},
    {"win11", 2, 10, 0},
};

} // namespace

std::uint32_t TickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms = static_cast<unsigned long long>(ts.tv_sec) * 1000ULL +
              static_cast<unsigned long long>(ts.tv_nsec) / 1000000ULL;
    return static_cast<std::uint32_t>(ms);
}

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &tm);
    long long days = DaysFromCivil(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                                   static_cast<unsigned>(tm.tm_mday)) -
                     kDaysTo1899_12_30;
    double seconds = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec +
                     static_cast<double>(ts.tv_nsec / 1000000) / 1000.0;
    return static_cast<double>(days) + seconds / 86400.0;
}

OsVersion GetOsVersion() {
    OsVersion v;
    const char* env = std::getenv("VEXO_WINVER");
    if (!env || !*env) return v;
    std::string_view text = env;
    for (const NamedVersion& named : kVersions) {
        if (EqualsIgnoreCaseAscii(text, named.name))
            return OsVersion{named.platformId, named.major, named.minor};
    }
    char* end = nullptr;
    long major = std::strtol(env, &end, 10);
    if (end == env || major < 3 || major > 99) return v; // unreadable: keep the default
    long minor = 0;
    if (*end == '.') minor = std::strtol(end + 1, nullptr, 10);
    v.major = static_cast<int>(major);
    v.minor = static_cast<int>(minor < 0 ? 0 : minor);
    return v;
}

std::string UserName() {
    return Utf8ToCp1252(detail::HostUserName());
}

int AnsiCodePage() {
    return 1252;
}

} // namespace vexo::platform
