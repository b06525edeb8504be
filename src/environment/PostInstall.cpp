// PostInstall.cpp - desktop and program-group shortcuts of the installed program.
#include "environment/PostInstall.h"

#include "archive/PathRoutines.h"
#include "environment/PathText.h"
#include "environment/ProgramGroup.h"
#include "environment/ProgramIdentity.h"
#include "environment/QuietFiles.h"
#include "environment/Shortcuts.h"
#include "environment/SystemFolders.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"

#include <array>
#include <string>

namespace vexo::environment {

namespace {

struct ProductShortcut {
    std::string_view productCode;
    std::string_view target; // under the extraction root
    std::string_view name;
    std::string_view presenceTest; // desktop file that means "already made"
    bool retiresOlderShortcut;
};

// The corporate-tax rows test names this step never writes, so those run every time; the
// names must match what the next run's shortcut lookup reads.
constexpr std::array<ProductShortcut, 3> kProducts{{
    {"DALVO", "Programa\\DALVO.EXE", "DalvoVexo", "DalvoVexo.lnk", true},
    {"VIZUVE", "Programa\\IMPBIZ.EXE", "Sociedades Bizkaia Vexo", "VizUvekaiaVexo.lnk", false},
    {"RORARI", "Programa\\IMPEST.EXE", "Sociedades Estatal Vexo", "RorAriadoVexo.lnk", false},
}};

const ProductShortcut* FindProduct(std::string_view productCode) {
    std::string code = platform::UpperAscii(productCode);
    for (const ProductShortcut& row : kProducts)
        if (row.productCode == code) return &row;
    return nullptr;
}

} // namespace

void CreateProductShortcuts(std::string_view productCode, std::string_view extractionRoot) {
    const ProductShortcut* row = FindProduct(productCode);
    if (!row) return;

    std::string desktop = DesktopDirectory();
    bool make = true;
    if (!desktop.empty()) {
        if (row->retiresOlderShortcut) {
            std::string older = desktop + std::string(kRetiredProductShortcut);
            if (platform::FileExists(older)) DeleteFileQuiet(older);
        }
        if (platform::FileExists(desktop + std::string(row->presenceTest))) make = false;
    }
    if (!make) return;

    std::string root = CutPath(archive::WithTrailingBackslash(extractionRoot));
    std::string target = CutPath(root + std::string(row->target));
    // Without a desktop the shortcut would land in the current directory: leave it out.
    desktop = DesktopDirectory();
    if (!desktop.empty()) CreateShortcut(target, row->name, desktop);

    CreateShortcut(target, row->name, EnsureProgramGroup());
    if (row->retiresOlderShortcut) {
        std::string older = EnsureProgramGroup() + std::string(kRetiredProductShortcut);
        if (platform::FileExists(older)) DeleteFileQuiet(older);
    }
}

} // namespace vexo::environment
