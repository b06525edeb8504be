// System.cpp - ticks, clock, version, user and code page on the host.
#include "platform/System.h"

#include "platform/Encoding.h"
#include "platform/HostPaths.h"

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

void CivilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
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

double FileDateToDateTime(std::int32_t dosDateTime) {
    const auto packed = static_cast<std::uint32_t>(dosDateTime);
    const unsigned date = packed >> 16, time = packed & 0xFFFF;
    const int year = static_cast<int>(date >> 9) + 1980;
    const unsigned month = (date >> 5) & 0x0F, day = date & 0x1F;
    const unsigned hour = time >> 11, minute = (time >> 5) & 0x3F, second = (time & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return 0;
    int y;
    unsigned m, d;
    long long days = DaysFromCivil(year, month, day);
    CivilFromDays(days, y, m, d);
    if (m != month || d != day) return 0; // 30 February and the like
    return static_cast<double>(days - kDaysTo1899_12_30) +
           (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

std::int32_t DateTimeToFileDate(double dateTime) {
    if (!std::isfinite(dateTime)) return -1;
    double whole = std::floor(dateTime);
    // Milliseconds of the day, rounded as the class library decodes times.
    long long ms = std::llround((dateTime - whole) * 86400000.0);
    long long dayNumber = static_cast<long long>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++dayNumber;
    }
    int y;
    unsigned m, d;
    CivilFromDays(dayNumber + kDaysTo1899_12_30, y, m, d);
    if (y < 1980 || y > 2107) return -1;
    const auto secs = static_cast<unsigned>(ms / 1000);
    const unsigned hour = secs / 3600, minute = secs / 60 % 60, second = secs % 60;
    const std::uint32_t date = (static_cast<std::uint32_t>(y - 1980) << 9) | (m << 5) | d;
    const std::uint32_t time = (hour << 11) | (minute << 5) | (second / 2);
    return static_cast<std::int32_t>((date << 16) | time);
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
