// ProgramGroup.h - the maker's program group folder in the start menu.
#pragma once

#include <string>

namespace vexo::environment {

/// \returns the current spelling of the group's name (Windows-1252, with its accented letter).
std::string ProgramGroupName();
/// \returns the older spelling, identical but for the plain letter; only renamed, never made.
std::string LegacyProgramGroupName();

/// What EnsureProgramGroup finds and would do, without doing it.
struct ProgramGroupPlan {
    std::string root;         // StartMenuRoot, with trailing backslash; empty when unknown
    std::string path;         // root + ProgramGroupName, with trailing backslash
    bool legacyFound = false; // a non-hidden, non-system entry of the legacy name
    bool currentFound = false;
    bool RenamesLegacy() const { return legacyFound && !currentFound; }
    bool Creates() const { return !legacyFound && !currentFound; }
};

/// Looks at the start menu without changing it.
ProgramGroupPlan PlanProgramGroup();

/// Makes sure the program group exists: renames the legacy folder when only it exists (a
/// failed rename is ignored), else creates the folder (one level). \returns its path with a
/// trailing backslash. Raises archive::Exception with the system's message followed by
/// " (path)" when the folder is missing and cannot be created, or when the platform names no
/// start menu.
std::string EnsureProgramGroup();

} // namespace vexo::environment
