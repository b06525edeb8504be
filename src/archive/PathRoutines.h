// PathRoutines.h - Windows path text helpers (no file-system access).
#pragma once

#include <string>
#include <string_view>

namespace vexo::archive {

/// Appends "\" to a non-empty text that does not end in one; empty stays empty.
std::string WithTrailingBackslash(std::string_view path);
/// Removes one final "\".
std::string WithoutTrailingBackslash(std::string_view path);

/// "C:" for "C:\x", "\\server\share" for "\\server\share\x", else empty.
std::string ExtractFileDrive(std::string_view path);
/// Everything up to and including the last "\" or ":".
std::string ExtractFilePath(std::string_view path);
/// Everything after the last "\" or ":".
std::string ExtractFileName(std::string_view path);
/// From the last "." of the file name on, including the "."; empty when there is none.
std::string ExtractFileExt(std::string_view path);

/// Display form of a path of at most `max` characters ("C:\first\...\last\name").
std::string ShortenPath(std::string_view path, std::size_t max);

/// The extension, upper-cased, is ".EXE".
bool IsExeFile(std::string_view path);

} // namespace vexo::archive
