// InstallRules.cpp - the one-character install rule of each archive entry.
#include "installer/InstallRules.h"

#include "archive/PathRoutines.h"
#include "installer/PathExpansion.h"

namespace vexo::installer {

archive::TDateTime FileTimeResolution(archive::TDateTime date) {
    std::int32_t packed = archive::DateTimeToDosDateTime(date);
    if (packed == 0) return date; // outside the file-time range: compare as it is
    return archive::DosDateTimeToDateTime(packed);
}

std::string SharedEngineDirectory(std::string_view destination, std::string_view currentDirectory) {
    std::string dir =
        ParentDirectory(ParentDirectory(ExpandFileName(destination, currentDirectory)));
    return dir + "\\Btrieve\\";
}

RuleOutcome ApplyInstallRule(char rule, std::string_view storedName, archive::TDateTime entryDate,
                             std::string_view destination, bool accept,
                             const environment::TargetDirectories& targets,
                             InstallerServices& services) {
    RuleOutcome out{std::string(destination), accept, FileDecision::Written};
    std::string name = archive::ExtractFileName(storedName);
    switch (rule) {
    case 'I':
        out.destination = targets.data;
        break;
    case '1':
        out.destination = targets.balances;
        break;
    case '2':
        out.destination = targets.memoryStructures;
        break;
    case '3':
        out.destination = targets.depositConfig;
        break;
    case '4':
    case '6':
        out.destination = targets.reportGenerator;
        break;
    case '5':
        out.destination = targets.payrollEntries;
        break;
    default:
        break;
    }
    std::string file = out.destination + name;
    switch (rule) {
    case 'I':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case 'N':
        if (services.FileExists(file)) out.accept = false;
        break;
    case '6':
    case 'F':
        if (auto date = services.FileDate(file); date && *date >= FileTimeResolution(entryDate))
            out.accept = false;
        break;
    case 'P':
        out.accept = true;
        break;
    case 'X':
        out.accept = false;
        out.decision = FileDecision::SkippedByRule;
        return out;
    default:
        break;
    }
    out.decision = out.accept ? FileDecision::Written : FileDecision::Kept;
    return out;
}

} // namespace vexo::installer
