// Paths.h - the prefix that maps Windows paths onto the host, and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexo::platform {

/// The prefix directory (host path): $VEXO_PREFIX, else $WINEPREFIX, else ~/.wine. Once the
/// process writes (PrepareForWriting), a prefix without Wine's layout gets it on first use; an
/// existing prefix is used as it is. Before that nothing is created: a missing layout reads as
/// a fresh one (drive C: its drive_c, Z: the root).
std::string PrefixDirectory();
/// Called by a command that writes, before its first write: from then on the prefix gets its
/// layout (on Windows the test prefix its drive_c), and the shell's folders and the temporary
/// folder are made when first asked for. Commands that only read never call it, so they create
/// nothing in the prefix or in the user's home.
void PrepareForWriting();
/// Whether the process has called PrepareForWriting.
bool PreparedForWriting();

/// Forgets the cached prefix so the next call reads the environment again (tests).
void ResetPrefix();

/// Maps a Windows path to a host path (UTF-8), resolving existing components without regard
/// to ASCII case. nullopt when the drive is not mapped.
std::optional<std::string> HostPath(std::string_view windowsPath);
/// Maps a host path (UTF-8, absolute) to the Windows path of the drive that holds it.
std::string WindowsPath(std::string_view hostPath);

} // namespace vexo::platform
