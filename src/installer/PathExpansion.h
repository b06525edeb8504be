// PathExpansion.h - absolute forms and parents of the directory texts the window works with.
#pragma once

#include <string>
#include <string_view>

namespace vexo::installer {

/// The absolute form of a Windows path against `currentDirectory` (itself absolute, e.g.
/// "C:\Users\ana"): "." and ".." folded, a trailing backslash kept. An empty text gives the
/// current directory.
std::string ExpandFileName(std::string_view path, std::string_view currentDirectory);

/// The text without its trailing backslash, cut before its last backslash; a drive root
/// ("C:\") gives the drive ("C:").
std::string ParentDirectory(std::string_view absolutePath);

} // namespace vexo::installer
