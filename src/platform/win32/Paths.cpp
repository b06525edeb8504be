// Paths.cpp - host paths on Windows: Windows paths themselves, with the test prefix's drive C:.
#include "platform/Paths.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/WindowsApi.h"

namespace vexo::platform {
namespace {

// Whether a writing process has made the test prefix's user folders (the Wine layout's).
bool g_laidOut = false;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Characters no name may hold, past the drive: CreateFileW refuses them with this code.
bool HoldsInvalidName(std::wstring_view path) {
    std::size_t start = 0;
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]))
        start = 4;
    if (path.size() >= start + 2 && path[start + 1] == L':') start += 2;
    for (std::size_t i = start; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' ||
            c == L'*' || c == L'?')
            return true;
    }
    return false;
}

// The drive's root of an absolute system path ("Z:\"), empty for other forms.
std::wstring DriveRoot(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return std::wstring(path.substr(0, 2)) + L"\\";
    return {};
}

} // namespace

std::string PrefixDirectory() {
    // On Windows only a test prefix exists; its drive_c is made on first use.
    const std::wstring standIn = win32::DriveCStandIn();
    if (standIn.empty()) return {};
    if (PreparedForWriting() && !g_laidOut) {
        g_laidOut = true;
        SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    }
    return win32::NarrowUtf8(
        standIn.substr(0, standIn.size() - std::wstring_view(L"\\drive_c").size()));
}

void ResetPrefix() {
    g_laidOut = false;
    win32::ForgetStandIn();
}

std::optional<std::string> HostPath(std::string_view windowsPath) {
    if (windowsPath.empty()) {
        SetLastError(kErrorPathNotFound);
        return std::nullopt;
    }
    const std::wstring system = win32::SystemPath(windowsPath);
    if (HoldsInvalidName(system)) {
        SetLastError(kErrorInvalidName);
        return std::nullopt;
    }
    const std::wstring root = DriveRoot(system);
    if (!root.empty() && win32::NoSuchDrive(root)) {
        SetLastError(kErrorPathNotFound);
        return std::nullopt;
    }
    // Relative forms off drive C: ("Z:rel", "..\\x") as the system completes them.
    return win32::NarrowUtf8(win32::FullPathName(system));
}

std::string WindowsPath(std::string_view hostPath) {
    std::wstring full = win32::FullPathName(win32::WidenUtf8(hostPath));
    while (full.size() > 3 && IsSeparator(full.back()))
        full.pop_back();
    return win32::ProgramPath(full);
}

} // namespace vexo::platform
