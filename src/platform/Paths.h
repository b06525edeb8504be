// Paths.h - the prefix that maps Windows paths onto the host, and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexo::platform {

/// The prefix directory (host path): $VEXO_PREFIX, else $WINEPREFIX, else ~/.wine. Created
/// with Wine's layout on first use; an existing prefix is used as it is.
std::string PrefixDirectory();
/// Forgets the cached prefix so the next call reads the environment again (tests).
void ResetPrefix();

/// Maps a Windows path to a host path (UTF-8), resolving existing components without regard
/// to ASCII case. nullopt when the drive is not mapped.
std::optional<std::string> HostPath(std::string_view windowsPath);
/// Maps a host path (UTF-8, absolute) to the Windows path of the drive that holds it.
std::string WindowsPath(std::string_view hostPath);

} // namespace vexo::platform
