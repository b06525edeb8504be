// Win32Files.cpp - errors as Windows reports them, file times as local moments, folders made in
// the stand-in for drive C:.
#include "platform/win32/Win32Files.h"

#include "platform/win32/WidePaths.h"

#include <atomic>
#include <cstdint>

namespace vexo::platform::win32 {

namespace {

// Drive letters found present, asked once per process: each question is a round trip to the
// mount manager (several under Wine), and path conversions and failed look-ups ask it often.
// A drive gone later fails the operation on it by itself.
std::atomic<std::uint32_t> g_drivesPresent{0};

// The attributes of an open handle (INVALID_FILE_ATTRIBUTES when unknown), without the volume
// query of GetFileInformationByHandle: a round trip to the mount manager under Wine.
DWORD HandleAttributes(HANDLE handle) {
    FILE_BASIC_INFO basic{};
    return ::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
               ? basic.FileAttributes
               : INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool NoSuchDrive(const std::wstring& root) {
    const wchar_t upper = root[0] >= L'a' && root[0] <= L'z' ? root[0] - 32 : root[0];
    const std::uint32_t bit = upper >= L'A' && upper <= L'Z' ? 1u << (upper - L'A') : 0;
    if ((g_drivesPresent.load(std::memory_order_relaxed) & bit) != 0) return false;
    if (::GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR) return true;
    g_drivesPresent.fetch_or(bit, std::memory_order_relaxed);
    return false;
}

int LastErrorFor(const std::wstring& systemPath) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND && systemPath.size() >= 2 && systemPath[1] == L':' &&
        NoSuchDrive(systemPath.substr(0, 2) + L"\\"))
        return ERROR_PATH_NOT_FOUND;
    return static_cast<int>(code);
}

bool IsDiskFile(HANDLE handle, DWORD* attributes) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) return false;
    const DWORD found = HandleAttributes(handle);
    if (attributes) *attributes = found;
    return found != INVALID_FILE_ATTRIBUTES && !(found & FILE_ATTRIBUTE_DIRECTORY);
}

bool NamesSpecialFile(const std::wstring& systemPath) {
    HANDLE h = ::CreateFileW(systemPath.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK;
    ::CloseHandle(h);
    return !disk;
}

HostTime LocalTimeOf(const FILETIME& time) {
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&time, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

bool FileTimeOf(const HostTime& local, FILETIME& time) {
    SYSTEMTIME wanted{};
    wanted.wYear = static_cast<WORD>(local.year);
    wanted.wMonth = static_cast<WORD>(local.month);
    wanted.wDay = static_cast<WORD>(local.day);
    wanted.wHour = static_cast<WORD>(local.hour);
    wanted.wMinute = static_cast<WORD>(local.minute);
    wanted.wSecond = static_cast<WORD>(local.second);
    SYSTEMTIME utc{};
    return ::TzSpecificLocalTimeToSystemTime(nullptr, &wanted, &utc) &&
           ::SystemTimeToFileTime(&utc, &time);
}

void CreateInStandIn(const std::string& programPath) {
    const std::wstring standIn = DriveCStandIn();
    const std::wstring system = SystemPath(programPath);
    if (standIn.empty() || system.size() <= standIn.size() ||
        system.compare(0, standIn.size(), standIn) != 0)
        return;
    for (std::size_t i = standIn.size() + 1; i <= system.size(); ++i) {
        if (i == system.size() || system[i] == L'\\')
            ::CreateDirectoryW(system.substr(0, i).c_str(), nullptr); // an existing one stays
    }
}

} // namespace vexo::platform::win32
