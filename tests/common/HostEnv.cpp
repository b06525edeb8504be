// HostEnv.cpp - the host's side of the tests' helpers: system calls kept out of the tests.
#include "common/HostEnv.h"

#include "platform/EnvironmentVariables.h"

#include <stdexcept>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include "platform/win32/Win32Files.h"

#include <windows.h>
#else
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace vexo::test {

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), saved_(platform::GetEnv(name_)) {
    platform::SetEnv(name_, value);
}

ScopedEnv::~ScopedEnv() {
    platform::SetEnv(name_, saved_);
}

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                        wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(n));
    return wide;
}

void SetWriteTime(const std::string& path, const FILETIME& time) {
    HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    const bool set = ::SetFileTime(h, nullptr, &time, &time);
    ::CloseHandle(h);
    if (!set) throw std::runtime_error("cannot set the time of " + path);
}

} // namespace

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void SetHostLastWrite(const std::string& path, const platform::HostTime& local) {
    FILETIME time{};
    if (!platform::win32::FileTimeOf(local, time)) throw std::runtime_error("no such local time");
    SetWriteTime(path, time);
}

void SetHostLastWriteUtc(const std::string& path, std::int64_t seconds) {
    // FILETIME counts 100 ns from 1601-01-01.
    const auto ticks = static_cast<std::uint64_t>((seconds + 11644473600LL) * 10000000LL);
    FILETIME time{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    SetWriteTime(path, time);
}

std::string SystemMessage(int code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text ? text : L"", n);
    ::LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r'))
        words.pop_back();
    std::string utf8(words.size() * 3, '\0');
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, words.data(), static_cast<int>(words.size()), utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(size));
    return utf8;
}

bool HostReadOnly(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

#else

bool UnderWine() {
    return false;
}

void SetHostLastWrite(const std::string& path, const platform::HostTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const timespec when{std::mktime(&tm), 0};
    const timespec times[2] = {when, when};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("cannot set the time of " + path);
}

void SetHostLastWriteUtc(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<std::time_t>(seconds), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("cannot set the time of " + path);
}

std::string SystemMessage(int code) {
    return std::strerror(code);
}

bool HostReadOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

#endif

} // namespace vexo::test
