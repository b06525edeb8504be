// ProgramIdentity.cpp - product directory from the desktop shortcut, program file and version.
#include "environment/ProgramIdentity.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/Real48.h"
#include "environment/PathText.h"
#include "environment/Shortcuts.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

#include <array>

namespace vexo::environment {

namespace {

using platform::UpperAscii;

struct ShortcutRow {
    std::string_view code;
    std::string_view name;
};

// Every code here has "\VEXO\DALVO" after the drive as its default when the target is gone.
constexpr std::array<ShortcutRow, 3> kShortcuts{{
    {"ZPX", "DalvoVexo"},
    {"VIZUVE", "Sociedades Bizkaia Vexo"},
    {"RORARI", "Sociedades Estatal Vexo"},
}};

const ShortcutRow* FindRow(std::string_view code) {
    std::string upper = UpperAscii(code);
    for (const ShortcutRow& row : kShortcuts)
        if (row.code == upper) return &row;
    return nullptr;
}

constexpr std::string_view kDefaultSubPath = "\\VEXO\\DALVO";
// Windows' ERROR_RESOURCE_TYPE_NOT_FOUND, what a file without version resource reports.
constexpr int kErrorResourceTypeNotFound = 1813;

} // namespace

std::string ShortcutNameFor(std::string_view shortcutCode) {
    const ShortcutRow* row = FindRow(shortcutCode);
    return row ? std::string(row->name) : std::string();
}

ProductDirectoryProposal ProposeFromShortcut(std::string_view shortcutCode,
                                             std::string_view desktop, std::string_view fieldText) {
    ProductDirectoryProposal p;
    p.directory = CutPath(fieldText);
    const ShortcutRow* row = FindRow(shortcutCode);
    std::string dir(desktop);
    p.shortcutFile = CutPath(UpperAscii(dir + ShortcutNameFor(shortcutCode) + ".lnk"));
    if (row && row->code == "ZPX" && !platform::FileExists(p.shortcutFile))
        p.shortcutFile = CutPath(UpperAscii(dir + std::string(kRetiredProductShortcut)));

    std::optional<ShortcutFields> link = ReadShortcut(p.shortcutFile);
    if (!link) return p;
    p.loaded = true;
    p.workingDirectory = link->workingDirectory;
    p.target = link->target;

    std::string drive = archive::ExtractFileDrive(link->workingDirectory);
    if (!link->target.empty() && platform::FileExists(link->target)) {
        p.reason = ProposalReason::TargetFound;
        p.directory = CutPath(archive::ExtractFilePath(
            archive::WithoutTrailingBackslash(archive::ExtractFilePath(link->target))));
    } else if (row) {
        p.reason = ProposalReason::TargetMissing;
        p.directory = CutPath(drive + std::string(kDefaultSubPath));
    } else {
        p.reason = ProposalReason::DriveOnly;
        p.directory = CutPath(drive);
    }
    return p;
}

std::string FindProductDirectory(std::string_view shortcutCode, std::string_view desktop,
                                 std::string_view fieldText) {
    return ProposeFromShortcut(shortcutCode, desktop, fieldText).directory;
}

std::string InstalledProgramFile(std::string_view productCode) {
    std::string code = UpperAscii(productCode);
    if (code == "DALVO") return "DALVO.EXE";
    if (code == "VIZUVE") return "IMPUEBIZ.BPL";
    if (code == "RORARI") return "IMPUEEST.BPL";
    return code + ".BPL";
}

double ProgramVersionOf(std::uint32_t fileVersionMS) {
    double major = static_cast<double>(fileVersionMS >> 16);
    double minor = static_cast<double>(fileVersionMS & 0xFFFFu);
    return archive::RoundToReal48(major + minor / 100.0);
}

double ReadProgramVersion(std::string_view fileName) {
    platform::SetLastError(platform::kErrorSuccess);
    std::optional<platform::VersionInfo> info = platform::ReadVersionInfo(fileName);
    if (!info) {
        int code = platform::LastError();
        // Never report "success" as the reason of a failure.
        if (code == platform::kErrorSuccess)
            code = platform::FileExists(fileName) ? kErrorResourceTypeNotFound
                                                  : platform::kErrorFileNotFound;
        platform::SetLastError(code);
        throw archive::Exception(platform::SystemErrorMessage(code) + "\r\n\r\n" +
                                 std::string(fileName));
    }
    return ProgramVersionOf(info->fileVersionMS);
}

} // namespace vexo::environment
