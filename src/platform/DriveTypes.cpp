// DriveTypes.cpp - drive letters of paths; the drive types set by tests and VEXO_REMOVABLE_DRIVES.
#include "platform/DriveTypes.h"

#include "platform/EnvironmentVariables.h"

#include <map>
#include <mutex>

namespace vexo::platform {
namespace {

std::mutex g_driveMutex;
std::map<char, DriveType> g_driveTypes;

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

} // namespace

char DriveLetterOf(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') {
        const char c = UpperLetter(path[0]);
        return c >= 'A' && c <= 'Z' ? c : 0;
    }
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
        (path[1] == '\\' || path[1] == '/'))
        return 0; // UNC: no network drives here
    const std::string cwd = CurrentDirectory();
    return cwd.size() >= 2 && cwd[1] == ':' ? cwd[0] : 0;
}

void SetDriveTypeOverride(char letter, DriveType type) {
    std::lock_guard lock(g_driveMutex);
    g_driveTypes[UpperLetter(letter)] = type;
}

void ClearDriveTypeOverrides() {
    std::lock_guard lock(g_driveMutex);
    g_driveTypes.clear();
}

std::optional<DriveType> DriveTypeOverride(char letter) {
    {
        std::lock_guard lock(g_driveMutex);
        if (auto it = g_driveTypes.find(letter); it != g_driveTypes.end()) return it->second;
    }
    if (const auto removable = GetEnv("VEXO_REMOVABLE_DRIVES")) {
        for (const char c : *removable)
            if (UpperLetter(c) == letter) return DriveType::Removable;
    }
    return std::nullopt;
}

} // namespace vexo::platform
