// DriveChecks.h - the drive tests the segment prompts need.
#pragma once

#include <string>

namespace vexo::extract {

/// Whether the drive of `letter` reports a size. Raises archive::Exception "Not a valid drive
/// ID" for a character that is not a letter.
bool IsDriveReady(char letter);
/// Whether the drive part of `path` is a removable drive.
bool IsRemovableDrive(const std::string& path);

} // namespace vexo::extract
