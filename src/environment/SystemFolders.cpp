// SystemFolders.cpp - special folders by identifier and the program group's parent.
#include "environment/SystemFolders.h"

#include "archive/PathRoutines.h"
#include "platform/Shell.h"

namespace vexo::environment {

namespace {
constexpr int kPlatformWindows = 1; // the non-NT family
constexpr std::size_t kMaxShellPath = 260;
} // namespace

std::string SpecialFolderPath(int csidl) {
    std::string path = platform::SpecialFolderPath(csidl);
    if (path.empty() || path.size() >= kMaxShellPath) return {};
    return archive::WithTrailingBackslash(path);
}

std::string DesktopDirectory() {
    return SpecialFolderPath(platform::CSIDL_DESKTOPDIRECTORY);
}

int StartMenuFolderFor(const platform::OsVersion& version) {
    if (version.platformId == kPlatformWindows) return platform::CSIDL_STARTMENU;
    if (version.major == 6) return platform::CSIDL_COMMON_PROGRAMS;
    return platform::CSIDL_COMMON_STARTMENU;
}

std::string StartMenuRoot() {
    return SpecialFolderPath(StartMenuFolderFor(platform::GetOsVersion()));
}

} // namespace vexo::environment
