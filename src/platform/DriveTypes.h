// DriveTypes.h - drive letters of paths and the drive types tests set, on every host.
#pragma once

#include "platform/FileSystem.h"

#include <optional>
#include <string_view>

namespace vexo::platform {

/// The drive letter (upper case) that `path` names; the current directory's for a path without
/// one; 0 for a UNC path or when there is none.
char DriveLetterOf(std::string_view path);

/// The type SetDriveTypeOverride or VEXO_REMOVABLE_DRIVES gives the drive; nullopt when the
/// host's own answer stands.
std::optional<DriveType> DriveTypeOverride(char letter);

} // namespace vexo::platform
