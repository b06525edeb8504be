// System.h - process-wide facts: ticks, clock, operating-system version, user, code page.
#pragma once

#include <cstdint>
#include <string>

namespace vexo::platform {

/// Milliseconds since an arbitrary start, wrapping at 2^32 (as GetTickCount).
std::uint32_t TickCount();

/// The local time now as a date-time value (days since 1899-12-30, fraction = time of day).
double Now();

struct OsVersion {
    int platformId = 2; // 2 = the NT family
    int major = 10;
    int minor = 0;
};
/// The platform family and version; VEXO_WINVER sets it: "MAJOR[.MINOR]" (5, 6.1, 10) for
/// the NT family, or one of Wine's names (win98, winxp, win7, win10...). Default 10.0.
OsVersion GetOsVersion();

/// The current user's name, Windows-1252 ($VEXO_USER overrides the host's login name).
std::string UserName();

/// The ANSI code page, 1252.
int AnsiCodePage();

} // namespace vexo::platform
