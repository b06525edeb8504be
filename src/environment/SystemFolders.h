// SystemFolders.h - the special folders the installer writes shortcuts into.
#pragma once

#include "platform/System.h"

#include <string>

namespace vexo::environment {

/// \returns the path of a special folder (a CSIDL value) with a trailing backslash, or empty
/// when the platform does not know the folder.
std::string SpecialFolderPath(int csidl);

/// \returns the current user's desktop directory, or empty.
std::string DesktopDirectory();

/// \returns the special folder that holds the program group on a platform: the user's start
/// menu on the non-NT family, the all-users Programs menu on NT major version 6, the all-users
/// start menu on any other NT version.
int StartMenuFolderFor(const platform::OsVersion& version);

/// \returns the parent folder of the program group on this machine, or empty.
std::string StartMenuRoot();

} // namespace vexo::environment
