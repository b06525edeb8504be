// ProgramGroup.cpp - finding, renaming and creating the program group folder.
#include "environment/ProgramGroup.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "environment/QuietFiles.h"
#include "environment/SystemFolders.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace vexo::environment {

namespace {

// Directories and plain files count; hidden or system entries do not.
bool Found(const std::string& path) {
    for (const platform::FindEntry& entry : platform::FindFiles(path)) {
        if ((entry.attributes & (platform::kAttrHidden | platform::kAttrSystem)) == 0) return true;
    }
    return false;
}

[[noreturn]] void RaiseCannotCreate(int code, const std::string& path) {
    throw archive::Exception(platform::SystemErrorMessage(code) + " (" + path + ")");
}

} // namespace

std::string ProgramGroupName() {
    return W1252("Vexo Informática");
}

std::string LegacyProgramGroupName() {
    return "Vexo Informatica";
}

ProgramGroupPlan PlanProgramGroup() {
    ProgramGroupPlan plan;
    plan.root = StartMenuRoot();
    if (plan.root.empty()) return plan;
    plan.path = archive::WithTrailingBackslash(plan.root + ProgramGroupName());
    plan.legacyFound = Found(plan.root + LegacyProgramGroupName());
    plan.currentFound = Found(plan.root + ProgramGroupName());
    return plan;
}

std::string EnsureProgramGroup() {
    ProgramGroupPlan plan = PlanProgramGroup();
    // Without a start menu the group would land in the current directory; refuse instead.
    if (plan.root.empty()) RaiseCannotCreate(platform::kErrorPathNotFound, ProgramGroupName());
    std::string path = plan.root + ProgramGroupName();
    if (plan.RenamesLegacy()) RenameFileQuiet(plan.root + LegacyProgramGroupName(), path);
    if (!Found(path)) {
        platform::SetLastError(platform::kErrorSuccess);
        // Another program may make the folder meanwhile: it is used, not an error.
        if (!platform::CreateDirectory(path)) {
            const int error = platform::LastError();
            if (!platform::DirectoryExists(path)) RaiseCannotCreate(error, path);
        }
    }
    return archive::WithTrailingBackslash(path);
}

} // namespace vexo::environment
