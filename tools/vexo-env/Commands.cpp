// Commands.cpp - each command asks the environment library exactly what the installer asks.
#include "Commands.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/Real48.h"
#include "environment/Configuration.h"
#include "environment/ProgramGroup.h"
#include "environment/ProgramIdentity.h"
#include "environment/Shortcuts.h"
#include "environment/SystemFolders.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/System.h"

#include <cstdio>

namespace vexo::tools {

namespace env = vexo::environment;

namespace {

const char* ReasonText(env::ProposalReason reason) {
    switch (reason) {
    case env::ProposalReason::NoShortcut:
        return "no readable shortcut: the field text stays";
    case env::ProposalReason::TargetFound:
        return "the shortcut's target exists";
    case env::ProposalReason::TargetMissing:
        return "the shortcut's target is gone: drive of its working directory + \\VEXO\\DALVO";
    case env::ProposalReason::DriveOnly:
        return "the shortcut's target is gone: drive of its working directory";
    }
    return "";
}

std::string Format(const char* format, unsigned a, unsigned b, unsigned c, unsigned d) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
    return buffer;
}

} // namespace

std::string WindowsArgument(const std::string& arg) {
    if (!arg.empty() && arg[0] == '/') return platform::Utf8ToCp1252(platform::WindowsPath(arg));
    return platform::Utf8ToCp1252(arg);
}

Report DirsCommand(const std::string& productDirectory) {
    Report r;
    std::string configuration = env::ConfigurationFileFor(productDirectory, env::kProductSelector);
    r.Text("product", productDirectory);
    r.Text("configuration", configuration);
    r.Flag("configuration-exists", platform::FileExists(configuration));
    r.Text("engine", env::ReadEngineDirectory(productDirectory, env::kProductSelector));
    env::TargetDirectories t =
        env::ResolveTargetDirectories(productDirectory, env::kProductSelector);
    r.Text("data", t.data);
    r.Text("balances", t.balances);
    r.Text("memory-structures", t.memoryStructures);
    r.Text("deposit-config", t.depositConfig);
    r.Text("report-generator", t.reportGenerator);
    r.Text("payroll-entries", t.payrollEntries);
    return r;
}

Report ProductCommand(const std::string& code, const std::string& fieldText) {
    Report r;
    std::string desktop = env::DesktopDirectory();
    env::ProductDirectoryProposal p = env::ProposeFromShortcut(code, desktop, fieldText);
    r.Text("code", code);
    r.Text("desktop", desktop);
    r.Text("field", fieldText);
    r.Text("shortcut", p.shortcutFile);
    r.Flag("loaded", p.loaded);
    if (p.loaded) {
        r.Text("working-directory", p.workingDirectory);
        r.Text("target", p.target);
        r.Flag("target-exists", !p.target.empty() && platform::FileExists(p.target));
    }
    r.Text("reason", ReasonText(p.reason));
    r.Text("proposal", p.directory);
    return r;
}

Report VersionCommand(const std::string& file) {
    Report r;
    r.Text("file", file);
    std::optional<platform::VersionInfo> info = platform::ReadVersionInfo(file);
    double version = env::ReadProgramVersion(file); // raises the installer's own text
    if (info) {
        r.Text("file-version",
               Format("%u.%u.%u.%u", info->fileVersionMS >> 16, info->fileVersionMS & 0xFFFF,
                      info->fileVersionLS >> 16, info->fileVersionLS & 0xFFFF));
    }
    char literal[64];
    std::snprintf(literal, sizeof literal, "%.2f", version);
    r.Number("version", literal);
    std::string hex;
    for (std::uint8_t b : archive::DoubleToReal48(version)) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02X", b);
        hex += byte;
    }
    r.Text("six-byte-real", hex);
    return r;
}

Report ShortcutReadCommand(const std::string& file) {
    std::optional<env::ShortcutFields> link = env::ReadShortcut(file);
    if (!link) throw CommandFailed{"No se pudo leer el acceso directo: " + file};
    Report r;
    r.Text("file", file);
    r.Text("target", link->target);
    r.Text("working-directory", link->workingDirectory);
    r.Text("description", link->description);
    return r;
}

Report ShortcutMakeCommand(const std::string& target, const std::string& name,
                           const std::string& folder) {
    std::string dir = archive::WithTrailingBackslash(folder);
    std::string file = dir + name + ".lnk";
    if (!env::CreateShortcut(target, name, dir))
        throw CommandFailed{platform::SystemErrorMessage(platform::LastError()) + " (" + file +
                            ")"};
    Report r;
    r.Text("file", file);
    r.Text("target", target);
    r.Text("working-directory", archive::ExtractFilePath(target));
    r.Text("description", env::ShortcutDescription());
    return r;
}

Report FoldersCommand() {
    Report r;
    platform::OsVersion v = platform::GetOsVersion();
    r.Text("platform", v.platformId == 2 ? "NT" : v.platformId == 1 ? "non-NT" : "unknown");
    r.Number("major-version", std::to_string(v.major));
    r.Text("desktop", env::DesktopDirectory());
    r.Text("start-menu", env::SpecialFolderPath(platform::CSIDL_STARTMENU));
    r.Text("common-start-menu", env::SpecialFolderPath(platform::CSIDL_COMMON_STARTMENU));
    r.Text("common-programs", env::SpecialFolderPath(platform::CSIDL_COMMON_PROGRAMS));
    env::ProgramGroupPlan plan = env::PlanProgramGroup();
    r.Text("start-menu-root", plan.root);
    r.Text("program-group", plan.path);
    r.Flag("group-exists", plan.currentFound);
    r.Flag("legacy-group-exists", plan.legacyFound);
    r.Text("group-action", plan.root.empty()      ? "none: no start menu"
                           : plan.RenamesLegacy() ? "rename the legacy folder"
                           : plan.Creates()       ? "create"
                                                  : "use as it is");
    return r;
}

} // namespace vexo::tools
