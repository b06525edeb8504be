// Configuration.h - the installer's read-only view of the product's configuration file.
//
// The accounting product keeps the places of its working directories in an INI file in its
// program directory. These resolvers find the directories where the installed product looks for
// them; a missing file, section or key yields the standard layout. Nothing here raises or
// writes; a resolved directory is neither made absolute nor checked for existence.
#pragma once

#include <string>
#include <string_view>

namespace vexo::environment {

/// The selector that stands for the accounting product's own configuration file.
inline constexpr std::string_view kProductSelector = "ZPX";

/// \returns the configuration file that applies to the current user: ProductDirectory +
/// "Programa\" + "<USER>.INI" when that file exists, else + "DALVO.INI". Only one is ever read.
std::string SelectConfigurationFile(std::string_view productDirectory);

/// The same with the user name given; `userName` is the platform's answer (a name longer than
/// 15 characters counts as no name, as the platform's 16-character buffer refuses it).
std::string SelectConfigurationFileFor(std::string_view productDirectory,
                                       std::string_view userName);

/// \returns the configuration file a resolver reads for `selector`: SelectConfigurationFile
/// for kProductSelector, else ProgramDirectory + the upper-cased selector.
std::string ConfigurationFileFor(std::string_view productDirectory, std::string_view selector);

// Each resolver takes a ProductDirectory (with or without trailing backslash) and a selector
// and returns one directory with a trailing backslash, or empty when the key is set empty.
std::string ReadEngineDirectory(std::string_view productDirectory, std::string_view selector);
std::string ReadDataDirectory(std::string_view productDirectory, std::string_view selector);
std::string ReadBalancesDirectory(std::string_view productDirectory, std::string_view selector);
std::string ReadMemoryStructuresDirectory(std::string_view productDirectory,
                                          std::string_view selector);
std::string ReadDepositConfigDirectory(std::string_view productDirectory,
                                       std::string_view selector);
std::string ReadReportGeneratorDirectory(std::string_view productDirectory,
                                         std::string_view selector);
std::string ReadPayrollEntriesDirectory(std::string_view productDirectory,
                                        std::string_view selector);

/// The six directories an installation run places files in, by install rule.
struct TargetDirectories {
    std::string data;             // "I"
    std::string balances;         // "1"
    std::string memoryStructures; // "2"
    std::string depositConfig;    // "3"
    std::string reportGenerator;  // "4" and "6"
    std::string payrollEntries;   // "5"
};

/// Resolves the six directories in the installation run's order.
TargetDirectories ResolveTargetDirectories(std::string_view productDirectory,
                                           std::string_view selector);

} // namespace vexo::environment
