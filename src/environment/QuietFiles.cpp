// QuietFiles.cpp - quiet deletion and renaming.
#include "environment/QuietFiles.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace vexo::environment {

namespace detail {

bool JudgeDelete(bool platformOk, int lastError, bool stillExists) {
    if (platformOk && lastError == platform::kErrorSuccess && stillExists) {
        platform::SetLastError(platform::kErrorAccessDenied);
        return false;
    }
    return platformOk;
}

bool JudgeRename(bool platformOk, int lastError, bool oldStillExists) {
    if (platformOk && lastError == platform::kErrorSuccess && oldStillExists) {
        platform::SetLastError(platform::kErrorAlreadyExists);
        return false;
    }
    return platformOk;
}

} // namespace detail

bool DeleteFileQuiet(std::string_view path) {
    platform::SetLastError(platform::kErrorSuccess);
    bool ok = platform::DeleteFile(path);
    int error = platform::LastError();
    return detail::JudgeDelete(ok, error, ok && platform::FileExists(path));
}

bool RenameFileQuiet(std::string_view oldName, std::string_view newName) {
    platform::SetLastError(platform::kErrorSuccess);
    bool ok = platform::RenameFile(oldName, newName);
    int error = platform::LastError();
    // Files only: a renamed directory is judged by the platform's answer alone.
    return detail::JudgeRename(ok, error, ok && platform::FileExists(oldName));
}

} // namespace vexo::environment
