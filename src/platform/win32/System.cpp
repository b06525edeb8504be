// System.cpp - ticks, clock, version, user and code page from the system.
#include "platform/System.h"

#include "platform/DosDateTime.h"
#include "platform/Encoding.h"
#include "platform/EnvironmentVariables.h"
#include "platform/OsVersionSetting.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/WindowsApi.h"

namespace vexo::platform {

std::uint32_t TickCount() {
    return ::GetTickCount();
}

double Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return DateTimeValue({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond},
                         t.wMilliseconds);
}

OsVersion GetOsVersion() {
    if (const auto setting = GetEnv("VEXO_WINVER"); setting && !setting->empty()) {
        if (const auto version = ParseOsVersionSetting(*setting)) return *version;
    }
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExW(&info)) return OsVersion{};
    return OsVersion{static_cast<int>(info.dwPlatformId), static_cast<int>(info.dwMajorVersion),
                     static_cast<int>(info.dwMinorVersion)};
}

std::string UserName() {
    if (const auto user = GetEnv("VEXO_USER"); user && !user->empty()) return Utf8ToCp1252(*user);
    return win32::Narrow(win32::BufferAnswer([](wchar_t* buffer, DWORD size) {
        // Answers the length with its terminator, or 0 and the size needed.
        DWORD length = size;
        if (::GetUserNameW(buffer, &length)) return length - 1;
        return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER ? length : 0;
    }));
}

int AnsiCodePage() {
    return static_cast<int>(::GetACP());
}

} // namespace vexo::platform
