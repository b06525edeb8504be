// CommandLine.h - the installer program's arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexo::installer {

struct CommandLine {
    enum class Mode { Window, Unattended, Help, UsageError } mode = Mode::Window;
    bool yes = false;
    std::optional<std::string> directory; // as given (UTF-8 host path or Windows path)
    std::string error;                    // for UsageError
};

/// Parses the arguments after the program name. Recognised: --unattended, --dir DIR (also
/// --dir=DIR), --yes, --help (also -h). --dir and --yes need --unattended.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

/// The --help text (UTF-8).
std::string UsageText(const std::string& programName);

} // namespace vexo::installer
