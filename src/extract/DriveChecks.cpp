// DriveChecks.cpp - drive readiness and type through the platform layer.
#include "extract/DriveChecks.h"

#include "archive/Exceptions.h"
#include "platform/FileSystem.h"

namespace vexo::extract {

bool IsDriveReady(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') throw archive::Exception("Not a valid drive ID");
    return platform::DiskSize(letter - 'A' + 1) != -1;
}

bool IsRemovableDrive(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return false;
    return platform::GetDriveType(path.substr(0, 2) + "\\") == platform::DriveType::Removable;
}

} // namespace vexo::extract
