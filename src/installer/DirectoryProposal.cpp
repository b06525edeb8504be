// DirectoryProposal.cpp - where each kind of package proposes to go.
#include "installer/DirectoryProposal.h"

#include "archive/PathRoutines.h"
#include "installer/PathExpansion.h"
#include "platform/Encoding.h"

namespace vexo::installer {

using archive::WithTrailingBackslash;

AdjustedProposal AdjustProposalFor(std::string_view installerFileName, std::string_view field,
                                   std::string_view currentDirectory, InstallerServices& services) {
    std::string name = platform::UpperAscii(installerFileName);
    AdjustedProposal out{std::string(field), false};
    auto siblingOf = [&](std::string_view dir, std::string_view child) {
        return ParentDirectory(ExpandFileName(dir, currentDirectory)) + "\\" + std::string(child);
    };

    if (name == "VIZUVE.EXE" || name == "RORARI.EXE") {
        out.sharedEngineRedirect = true;
        out.directory = services.FindProductDirectory(name == "VIZUVE.EXE" ? "VIZUVE" : "RORARI",
                                                      services.DesktopDirectory(), field);
    } else if (name == "BTRIEVE.EXE") {
        out.directory =
            WithTrailingBackslash(services.ReadEngineDirectory(WithTrailingBackslash(field)));
    } else if (name == "ZPBANCOS.EXE") {
        out.directory =
            WithTrailingBackslash(services.ReadDataDirectory(WithTrailingBackslash(field)));
    } else if (name == "ZPMAESTRO.EXE") {
        out.directory = WithTrailingBackslash(field) + "Programa\\Maestro\\";
    } else if (name.find("AEAT-") != std::string::npos) {
        std::string current(field);
        if (name.find("AEAT-201-") != std::string::npos) {
            std::string located =
                services.FindProductDirectory("RORARI", services.DesktopDirectory(), current);
            if (located != archive::ExtractFileDrive(current) + "\\VEXO\\DALVO") current = located;
        }
        out.directory = siblingOf(current, "ModulosAEAT\\");
    } else if (name == "ZPMOTORDB.EXE") {
        out.directory = siblingOf(field, "Externos\\");
    }
    return out;
}

} // namespace vexo::installer
