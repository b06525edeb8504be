// PathLimits.cpp - the Win32 limits of the names the W calls take: MAX_PATH for a file, the
// folder limit of CreateDirectoryW, and the long form's 32767 units.
#include "platform/PathLimits.h"

#include "platform/win32/WidePaths.h"
#include "platform/win32/WindowsApi.h"

#include <algorithm>

namespace vexo::platform {
namespace {

// Without the long form a path ends before MAX_PATH (its zero included), and a folder that
// CreateDirectoryW makes must leave room for an 8.3 name below it.
constexpr std::size_t kFileLimit = MAX_PATH - 1;
constexpr std::size_t kFolderLimit = MAX_PATH - 12 - 1;
constexpr std::size_t kLongFormLimit = 32767 - 1;
constexpr std::size_t kNameLimit = 255;

std::size_t LongestWideName(std::wstring_view path) {
    std::size_t longest = 0, run = 0;
    for (wchar_t c : path) {
        run = c == L'\\' || c == L'/' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

bool IsLongForm(std::wstring_view path) {
    return path.size() >= 4 && path.substr(0, 4) == L"\\\\?\\";
}

} // namespace

PathLimitCheck CheckPathLimits(std::string_view windowsPath, bool folder) {
    if (windowsPath.empty()) return {};
    // As the W call will get it: mapped, then made full as the system makes it.
    std::wstring system = win32::SystemPath(windowsPath);
    if (!IsLongForm(system)) system = win32::FullPathName(system);
    while (system.size() > 3 && (system.back() == L'\\' || system.back() == L'/'))
        system.pop_back();
    if (const std::size_t name = LongestWideName(system); name > kNameLimit)
        return {PathVerdict::NameTooLong, name, kNameLimit};
    if (IsLongForm(system)) {
        if (system.size() > kLongFormLimit)
            return {PathVerdict::PathTooLong, system.size(), kLongFormLimit};
        return {};
    }
    const std::size_t cut = system.find_last_of(L"\\/");
    const std::size_t parent = cut == std::wstring::npos ? 0 : cut;
    if (folder && system.size() > kFolderLimit)
        return {PathVerdict::PathTooLong, system.size(), kFolderLimit};
    if (!folder && parent > kFolderLimit) return {PathVerdict::PathTooLong, parent, kFolderLimit};
    if (system.size() > kFileLimit) return {PathVerdict::PathTooLong, system.size(), kFileLimit};
    return {};
}

} // namespace vexo::platform
