// PathLimits.h - whether the host can hold a file at a Windows path: its path and name limits.
#pragma once

#include <cstddef>
#include <string_view>

namespace vexo::platform {

enum class PathVerdict {
    Fits,
    NameTooLong, // one name of the path is longer than the host takes
    PathTooLong, // the whole path is longer than the host takes
};

/// A verdict with the figures behind it: the offending length and the host's limit, in the
/// host's units (bytes of the host path on POSIX, UTF-16 units on Windows).
struct PathLimitCheck {
    PathVerdict verdict = PathVerdict::Fits;
    std::size_t length = 0;
    std::size_t limit = 0;
};

/// Checks the Windows path (Windows-1252) of a file, or of a folder when `folder`, against the
/// host's limits after the path is mapped as every other call maps it. POSIX: PATH_MAX for the
/// whole host path and NAME_MAX for each name, in bytes of UTF-8. Windows: the names the Win32
/// calls take without the "\\?\" form, MAX_PATH for a file and the shorter limit of a folder
/// that is created (its parent's for a file); 32767 units and 255 per name in the long form.
/// Linear in the path's length. A path the host cannot map at all is left to the call that
/// uses it (Fits).
PathLimitCheck CheckPathLimits(std::string_view windowsPath, bool folder);

/// The longest name between separators ('\\' or '/') of `path`, in bytes.
std::size_t LongestName(std::string_view path);

} // namespace vexo::platform
