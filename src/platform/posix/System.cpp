// System.cpp - ticks, clock, version, user and code page on the host.
#include "platform/System.h"

#include "platform/DosDateTime.h"
#include "platform/Encoding.h"
#include "platform/OsVersionSetting.h"
#include "platform/posix/HostPaths.h"

#include <cstdlib>
#include <ctime>

namespace vexo::platform {

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
    const HostTime local{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                         tm.tm_hour,        tm.tm_min,     tm.tm_sec};
    return DateTimeValue(local, static_cast<int>(ts.tv_nsec / 1000000));
}

OsVersion GetOsVersion() {
    const char* env = std::getenv("VEXO_WINVER");
    if (!env || !*env) return OsVersion{};
    return ParseOsVersionSetting(env).value_or(OsVersion{}); // unreadable: keep the default
}

std::string UserName() {
    return Utf8ToCp1252(detail::HostUserName());
}

int AnsiCodePage() {
    return 1252;
}

} // namespace vexo::platform
