// QuietFiles.h - deleting and renaming files without raising, judged by what is on disk.
#pragma once

#include <string_view>

namespace vexo::environment {

/// Deletes a file. \returns true when it is gone. A deletion the platform reports as done
/// while the file is still there (held open elsewhere) counts as failed, with the last-error
/// code set to access denied. Never raises.
bool DeleteFileQuiet(std::string_view path);

/// Renames (moves) a file or directory. \returns true when the rename took effect. A rename the
/// platform reports as done while a file of the old name is still there counts as failed, with
/// the last-error code set to already exists. Never raises.
bool RenameFileQuiet(std::string_view oldName, std::string_view newName);

namespace detail {
/// The verdicts behind the two calls: the platform's answer, the last-error code it left and
/// whether the old file still exists. Set the last-error code as the verdict requires.
bool JudgeDelete(bool platformOk, int lastError, bool stillExists);
bool JudgeRename(bool platformOk, int lastError, bool oldStillExists);
} // namespace detail

} // namespace vexo::environment
