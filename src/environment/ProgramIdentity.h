// ProgramIdentity.h - where the installed product is and which version its program has.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexo::environment {

/// \returns the desktop shortcut name of a shortcut code (compared in upper case): "DalvoVexo"
/// for ZPX, "Sociedades Bizkaia Vexo" for VIZUVE, "Sociedades Estatal Vexo" for RORARI, empty
/// for any other code.
std::string ShortcutNameFor(std::string_view shortcutCode);

/// The older desktop shortcut of the accounting product, tried when the current one is missing.
inline constexpr std::string_view kRetiredProductShortcut = "Dalvo Vexo Win.lnk";

/// How FindProductDirectory came to its proposal.
enum class ProposalReason {
    NoShortcut,    // the shortcut could not be loaded: the field text stays
    TargetFound,   // the shortcut's target exists: its directory's parent
    TargetMissing, // the target is gone: the working directory's drive + "\VEXO\DALVO"
    DriveOnly,     // the target is gone and the code has no default sub-path: the drive alone
};

struct ProductDirectoryProposal {
    std::string shortcutFile; // the shortcut file looked at (upper case)
    bool loaded = false;
    std::string workingDirectory; // as read from the shortcut
    std::string target;           // as read from the shortcut
    ProposalReason reason = ProposalReason::NoShortcut;
    std::string directory; // the proposal
};

/// Proposes the product directory from the desktop shortcut of `shortcutCode`; `desktop` ends
/// in a backslash; `fieldText` is returned when the shortcut cannot be loaded.
ProductDirectoryProposal ProposeFromShortcut(std::string_view shortcutCode,
                                             std::string_view desktop, std::string_view fieldText);

/// \returns ProposeFromShortcut(...).directory.
std::string FindProductDirectory(std::string_view shortcutCode, std::string_view desktop,
                                 std::string_view fieldText);

/// \returns the program file of a module in ProgramDirectory: "DALVO.EXE" for DALVO,
/// "IMPUEBIZ.BPL" for VIZUVE, "IMPUEEST.BPL" for RORARI, the upper-cased code + ".BPL" else.
std::string InstalledProgramFile(std::string_view productCode);

/// \returns the version number of a file version's most significant 32 bits: major + minor /
/// 100, rounded to the six-byte real form so that equal versions compare equal.
double ProgramVersionOf(std::uint32_t fileVersionMS);

/// Reads the file version of `fileName`. Raises archive::Exception with the system's message,
/// "\r\n\r\n" and the file name when the file has no version information.
double ReadProgramVersion(std::string_view fileName);

} // namespace vexo::environment
