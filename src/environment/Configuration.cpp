// Configuration.cpp - configuration file selection and the directory resolvers.
#include "environment/Configuration.h"

#include "archive/PathRoutines.h"
#include "environment/PathText.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace vexo::environment {

namespace {

using archive::WithTrailingBackslash;
using platform::UpperAscii;

// The platform is asked with room for 16 characters including the terminator.
constexpr std::size_t kMaxUserName = 15;

std::string ProductDir(std::string_view productDirectory) {
    return CutPath(UpperAscii(WithTrailingBackslash(productDirectory)));
}

std::string ReadValue(const std::string& file, std::string_view section, std::string_view key,
                      std::string_view def) {
    return CutPath(platform::ReadProfileString(file, section, key, def));
}

std::string Resolved(std::string_view value) {
    return CutPath(WithTrailingBackslash(value));
}

// The data directory as the dependent resolvers see it: its default has no trailing backslash.
std::string DependentDataDirectory(const std::string& file, const std::string& dir) {
    return Resolved(ReadValue(file, "PATH", "PATHDATOS", CutPath(dir + "Datos")));
}

std::string ReadDependent(std::string_view productDirectory, std::string_view selector,
                          std::string_view section, std::string_view key,
                          const std::string& subDirectory) {
    std::string dir = ProductDir(productDirectory);
    std::string file = ConfigurationFileFor(dir, selector);
    std::string data = DependentDataDirectory(file, dir);
    return Resolved(ReadValue(file, section, key, CutPath(data + subDirectory)));
}

} // namespace

std::string SelectConfigurationFileFor(std::string_view productDirectory,
                                       std::string_view userName) {
    std::string base = WithTrailingBackslash(productDirectory);
    std::string programDirectory = CutPath(UpperAscii(WithTrailingBackslash(base + "Programa")));
    std::string user = userName.size() > kMaxUserName ? std::string() : UpperAscii(userName);
    std::string name = user + ".INI";
    if (!platform::FileExists(CutPath(programDirectory + name))) name = "DALVO.INI";
    return CutPath(base + "Programa\\" + UpperAscii(name));
}

std::string SelectConfigurationFile(std::string_view productDirectory) {
    return SelectConfigurationFileFor(productDirectory, platform::UserName());
}

std::string ConfigurationFileFor(std::string_view productDirectory, std::string_view selector) {
    std::string dir = ProductDir(productDirectory);
    if (selector == kProductSelector) return SelectConfigurationFile(dir);
    return CutPath(dir + "PROGRAMA\\" + UpperAscii(selector));
}

std::string ReadEngineDirectory(std::string_view productDirectory, std::string_view selector) {
    std::string dir = ProductDir(productDirectory);
    std::string file = ConfigurationFileFor(dir, selector);
    std::string parent = archive::WithoutTrailingBackslash(dir);
    // A drive root has no backslash left: the drive itself is the parent.
    if (std::size_t cut = parent.rfind('\\'); cut != std::string::npos) parent.resize(cut);
    std::string def = CutPath(WithTrailingBackslash(parent) + "Btrieve");
    return Resolved(ReadValue(file, "BTRIEVE", "PATHBTRIEVE", def));
}

std::string ReadDataDirectory(std::string_view productDirectory, std::string_view selector) {
    std::string dir = ProductDir(productDirectory);
    std::string file = ConfigurationFileFor(dir, selector);
    return Resolved(ReadValue(file, "PATH", "PATHDATOS", CutPath(dir + "Datos\\")));
}

std::string ReadBalancesDirectory(std::string_view productDirectory, std::string_view selector) {
    return ReadDependent(productDirectory, selector, "PATH", "PATHBALANCES", "Estructuras");
}

std::string ReadMemoryStructuresDirectory(std::string_view productDirectory,
                                          std::string_view selector) {
    return ReadDependent(productDirectory, selector, "PATH", "PATHESTRUCTURASMEMORIA",
                         "Estructuras");
}

std::string ReadDepositConfigDirectory(std::string_view productDirectory,
                                       std::string_view selector) {
    // The product's files carry this key with H and T swapped; it must be read as written.
    return ReadDependent(productDirectory, selector, "DEPOSITOYLEGALIZACION", "PAHTCONFIGDEPOSITO",
                         "Estructuras");
}

std::string ReadReportGeneratorDirectory(std::string_view productDirectory,
                                         std::string_view selector) {
    return ReadDependent(productDirectory, selector, "PATH", "PATHGENERADOR", "Generador Informes");
}

std::string ReadPayrollEntriesDirectory(std::string_view productDirectory,
                                        std::string_view selector) {
    return ReadDependent(productDirectory, selector, "PATH", "PATHNOMIASTO",
                         W1252("Asientos Nóminas"));
}

TargetDirectories ResolveTargetDirectories(std::string_view productDirectory,
                                           std::string_view selector) {
    TargetDirectories t;
    t.data = ReadDataDirectory(productDirectory, selector);
    t.balances = ReadBalancesDirectory(productDirectory, selector);
    t.memoryStructures = ReadMemoryStructuresDirectory(productDirectory, selector);
    t.depositConfig = ReadDepositConfigDirectory(productDirectory, selector);
    t.reportGenerator = ReadReportGeneratorDirectory(productDirectory, selector);
    t.payrollEntries = ReadPayrollEntriesDirectory(productDirectory, selector);
    return t;
}

} // namespace vexo::environment
