// HostPaths.h - internal to the Linux platform layer: Windows paths resolved on the host.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::platform::detail {

/// A Windows path taken apart: drive letter (0 for none) and the components below the root.
struct ParsedPath {
    char drive = 0;
    std::vector<std::string> components; // Windows-1252, "." and ".." already folded
    bool trailingSeparator = false;
    bool unixForm = false; // "\\?\unix\..." names a host path directly
};

/// Parses an absolute or relative Windows path; relative forms resolve against the current
/// directory. nullopt with `error` set for UNC paths (no mapping) and invalid names.
/// `allowWildcards` admits '*' and '?' in the last component.
std::optional<ParsedPath> ParseWindowsPath(std::string_view path, int& error,
                                           bool allowWildcards = false);

/// The host directory a drive letter's link points to (not canonical); empty when unmapped.
std::string DriveTarget(char letter);

/// Resolves a Windows path to a host path, matching existing components without regard to
/// ASCII case. nullopt with `error` set when the drive is missing or the name is invalid.
std::optional<std::string> ResolveHost(std::string_view path, int& error,
                                       bool allowWildcards = false);
/// The same for an already parsed path.
std::optional<std::string> ResolveParsed(const ParsedPath& parsed, int& error);

/// Whether this process holds the host file open through OpenFile (Windows refuses to delete
/// or rename such a file).
bool OpenInProcess(const std::string& host);

/// The code for a name that does not exist: file not found when its directory exists, else
/// path not found.
int NotFoundCode(const std::string& host);

/// Whether the mode bits carry no write permission (the read-only attribute).
bool NoWriteBits(unsigned mode);

/// Maps errno to the nearest Windows error code.
int WindowsErrorFromErrno(int err);

/// The user's name as the host knows it (UTF-8), honouring VEXO_USER.
std::string HostUserName();

} // namespace vexo::platform::detail
