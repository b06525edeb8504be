// SpecialFolders.cpp - shell folders by CSIDL as the shell names them, created when missing.
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/WindowsApi.h"

#include <shlobj.h>

namespace vexo::platform {
namespace {

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::string SpecialFolderPath(int csidl) {
    // The name first, unverified: under the test prefix the folder belongs in the stand-in for
    // drive C:, not on the system's own drive.
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr,
                                  SHGFP_TYPE_CURRENT, buffer)))
        return {};
    std::wstring path = buffer;
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    if (path.empty()) return {};
    const std::wstring system = win32::SystemPath(std::wstring_view(path));
    // In a test prefix a process that only reads is given the folder's place, and nothing is
    // made there.
    if (system != path && !PreparedForWriting() && !IsDirectory(system) &&
        ::GetFileAttributesW(system.c_str()) == INVALID_FILE_ATTRIBUTES)
        return win32::ProgramPath(path);
    if (!IsDirectory(system)) {
        if (system == path) // nothing mapped: the shell makes its own folder
            ::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                               buffer);
        else
            ::SHCreateDirectoryExW(nullptr, system.c_str(), nullptr);
    }
    // A plain file of that name, or a folder that cannot be made: the system has none.
    return IsDirectory(system) ? win32::ProgramPath(path) : std::string();
}

} // namespace vexo::platform
