// Commands.h - the vexo-env commands: what the installer would decide, without installing.
#pragma once

#include "Report.h"

#include <string>
#include <vector>

namespace vexo::tools {

/// A command failed in a way the user must hear about (exit code 1).
struct CommandFailed {
    std::string message; // Windows-1252
};

/// Converts an argument to a Windows path: a host path starting with "/" is mapped through
/// the prefix; anything else is taken as a Windows path (UTF-8 on the command line).
std::string WindowsArgument(const std::string& arg);

Report DirsCommand(const std::string& productDirectory);
Report ProductCommand(const std::string& code, const std::string& fieldText);
Report VersionCommand(const std::string& file);
Report ShortcutReadCommand(const std::string& file);
Report ShortcutMakeCommand(const std::string& target, const std::string& name,
                           const std::string& folder);
Report FoldersCommand();

} // namespace vexo::tools
