// InstallRules.h - where a file of the archive goes and whether an existing file is kept.
#pragma once

#include "archive/DateTime.h"
#include "environment/Configuration.h"
#include "installer/Services.h"

#include <string>
#include <string_view>

namespace vexo::installer {

enum class FileDecision {
    Written,      // extracted (new, older or always-replaced file)
    Kept,         // an existing file stays as it is
    SkippedByRule // rule "X": never written
};

struct RuleOutcome {
    std::string destination; // directory, with trailing backslash as the rule names it
    bool accept = true;
    FileDecision decision = FileDecision::Written;
};

/// The record-manager directory beside the product directories for a destination under a
/// corporate-tax product: the absolute destination without its trailing backslash and its
/// last two components, then "\Btrieve\".
std::string SharedEngineDirectory(std::string_view destination, std::string_view currentDirectory);

/// The entry date as a file written from it keeps it: seconds truncated to even. Comparing at
/// this resolution keeps a file that was extracted from the very same entry.
archive::TDateTime FileTimeResolution(archive::TDateTime date);

/// Applies the install rule of an entry named `storedName`, dated `entryDate`, proposed for
/// `destination`. `accept` is the value the extractor offers (true unless another handler
/// said otherwise); rules outside the table leave it and the destination alone.
RuleOutcome ApplyInstallRule(char rule, std::string_view storedName, archive::TDateTime entryDate,
                             std::string_view destination, bool accept,
                             const environment::TargetDirectories& targets,
                             InstallerServices& services);

} // namespace vexo::installer
