// WidePaths.cpp - Windows-1252 and UTF-8 to UTF-16 and back; the stand-in for drive C:.
#include "platform/win32/WidePaths.h"

#include "platform/EnvironmentVariables.h"
#include "platform/Paths.h"
#include "platform/win32/WindowsApi.h"

#include <mutex>

namespace vexo::platform::win32 {
namespace {

constexpr UINT kCp1252 = 1252;

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string FromWide(UINT codePage, DWORD flags, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n =
        ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), n, nullptr, nullptr);
    return text;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool HasDrive(std::wstring_view path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool OnDriveC(std::wstring_view path) {
    return HasDrive(path) && (path[0] == L'C' || path[0] == L'c');
}

std::mutex g_standInMutex;
bool g_standInKnown = false;
std::wstring g_standIn;

std::wstring LoadStandIn() {
    const auto prefix = GetEnv("VEXO_PREFIX");
    if (!prefix || prefix->empty()) return {};
    std::wstring root = FullPathName(WidenUtf8(*prefix));
    while (root.size() > 3 && IsSeparator(root.back()))
        root.pop_back();
    if (IsSeparator(root.back())) root.pop_back(); // "Z:\" joins as "Z:\drive_c"
    std::wstring standIn = root + L"\\drive_c";
    // Made on first use by a process that writes, as a fresh drive C: would be there; one
    // that only reads leaves the test prefix as it is.
    if (PreparedForWriting()) {
        ::CreateDirectoryW(root.c_str(), nullptr);
        ::CreateDirectoryW(standIn.c_str(), nullptr);
    }
    // The long form: the system answers with long names, and they are compared with this.
    const std::wstring longForm = BufferAnswer([&](wchar_t* buffer, DWORD size) {
        return ::GetLongPathNameW(standIn.c_str(), buffer, size);
    });
    return longForm.empty() ? standIn : longForm;
}

// The current directory as the program sees it.
std::wstring ProgramCurrentDirectory() {
    return ProgramPathWide(BufferAnswer(
        [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); }));
}

// `path` made absolute against the program's own current directory, so that "\top" and
// "C:rel" land on its drive C: and not on the drive that holds the stand-in.
std::wstring ProgramAbsolute(std::wstring_view path) {
    std::wstring cwd = ProgramCurrentDirectory();
    if (!cwd.empty() && !IsSeparator(cwd.back())) cwd += L'\\';
    if (HasDrive(path)) {
        if (path.size() >= 3 && IsSeparator(path[2])) return std::wstring(path);
        // "C:name": relative to the current directory when that is on the same drive.
        if (HasDrive(cwd) && ::towupper(cwd[0]) == ::towupper(path[0]))
            return cwd + std::wstring(path.substr(2));
        return std::wstring(path.substr(0, 2)) + L"\\" + std::wstring(path.substr(2));
    }
    if (IsSeparator(path.front()))
        return HasDrive(cwd) ? cwd.substr(0, 2) + std::wstring(path) : L"";
    return cwd + std::wstring(path);
}

} // namespace

std::wstring Widen(std::string_view cp1252) {
    return ToWide(kCp1252, cp1252);
}

std::string Narrow(std::wstring_view wide) {
    return FromWide(kCp1252, WC_NO_BEST_FIT_CHARS, wide);
}

std::wstring WidenUtf8(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string NarrowUtf8(std::wstring_view wide) {
    return FromWide(CP_UTF8, 0, wide);
}

std::wstring FullPathName(const std::wstring& path) {
    const std::wstring full = BufferAnswer([&](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
    return full.empty() ? path : full;
}

std::wstring DriveCStandIn() {
    std::lock_guard lock(g_standInMutex);
    if (!g_standInKnown) {
        g_standIn = LoadStandIn();
        g_standInKnown = true;
    }
    return g_standIn;
}

void ForgetStandIn() {
    std::lock_guard lock(g_standInMutex);
    g_standInKnown = false;
    g_standIn.clear();
}

std::wstring SystemPath(std::wstring_view path) {
    if (path.empty()) return {};
    const std::wstring standIn = DriveCStandIn();
    if (standIn.empty()) return std::wstring(path);
    // "\\?\C:\..." names drive C: too; other device forms and UNC paths are no drive of ours.
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3])) {
        const std::wstring_view inner = path.substr(4);
        if (!OnDriveC(inner)) return std::wstring(path);
        return std::wstring(path.substr(0, 4)) + standIn + std::wstring(inner.substr(2));
    }
    if (IsSeparator(path[0]) && path.size() >= 2 && IsSeparator(path[1])) return std::wstring(path);
    const std::wstring absolute = ProgramAbsolute(path);
    if (!OnDriveC(absolute)) return std::wstring(path);
    // Folded first: "C:\..\..\x" must not climb out of the stand-in.
    const std::wstring full = FullPathName(absolute);
    if (!OnDriveC(full)) return std::wstring(path);
    // The root is the stand-in folder itself, named as any other folder.
    return full.size() == 3 ? standIn : standIn + full.substr(2);
}

std::wstring SystemPath(std::string_view path) {
    return SystemPath(Widen(path));
}

std::wstring ProgramPathWide(std::wstring_view systemPath) {
    const std::wstring standIn = DriveCStandIn();
    const std::size_t n = standIn.size();
    if (n == 0 || systemPath.size() < n || (systemPath.size() > n && !IsSeparator(systemPath[n])) ||
        ::CompareStringOrdinal(systemPath.data(), static_cast<int>(n), standIn.data(),
                               static_cast<int>(n), TRUE) != CSTR_EQUAL)
        return std::wstring(systemPath);
    return systemPath.size() == n ? std::wstring(L"C:\\")
                                  : L"C:" + std::wstring(systemPath.substr(n));
}

std::string ProgramPath(std::wstring_view systemPath) {
    return Narrow(ProgramPathWide(systemPath));
}

} // namespace vexo::platform::win32
