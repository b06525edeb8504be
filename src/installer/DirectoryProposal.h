// DirectoryProposal.h - the second stage of the directory proposal, by the installer's name.
#pragma once

#include "installer/Services.h"

#include <string>
#include <string_view>

namespace vexo::installer {

/// The shortcut code of the accounting product.
inline constexpr std::string_view kProductShortcutCode = "ZPX";

struct AdjustedProposal {
    std::string directory;             // the new text of the directory field
    bool sharedEngineRedirect = false; // the corporate-tax packages' record-manager files
};

/// Adjusts `field` (the first stage's proposal) by `installerFileName` (compared upper-cased).
/// `currentDirectory` makes relative fields absolute where a parent is taken.
AdjustedProposal AdjustProposalFor(std::string_view installerFileName, std::string_view field,
                                   std::string_view currentDirectory, InstallerServices& services);

} // namespace vexo::installer
