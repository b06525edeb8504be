// instalar.cpp - the installer program: the window, or --unattended without one. The program
// itself is toolkit-free; the window is a module it carries, or on Windows the native window
// linked in (WindowModule.h).
#include "archive/PathRoutines.h"
#include "installer/CommandLine.h"
#include "installer/Services.h"
#include "installer/Unattended.h"
#include "platform/HostFiles.h"
#include "platform/Interrupt.h"
#include "platform/Paths.h"
#include "platform/Terminal.h"
#include "ui/WindowModule.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    using namespace vexo;
    installer::CommandLine cmd =
        installer::ParseCommandLine(platform::ProgramArguments(argc, argv));
    // The host's own separators first, then a Windows path's.
    std::string program =
        archive::ExtractFileName(platform::HostFileName(argc > 0 ? argv[0] : "instalar"));

    // Everything but the window reports on the console, which a Windows GUI program must join.
    if (cmd.mode != installer::CommandLine::Mode::Window) platform::UseParentConsole();
    // Only an installation writes; the help and a usage error leave the home untouched.
    if (cmd.mode == installer::CommandLine::Mode::Unattended ||
        cmd.mode == installer::CommandLine::Mode::Window)
        platform::PrepareForWriting();
    switch (cmd.mode) {
    case installer::CommandLine::Mode::Help:
        std::cout << installer::UsageText(program);
        return 0;
    case installer::CommandLine::Mode::UsageError:
        std::cerr << program << ": " << cmd.error << "\n" << installer::UsageText(program);
        return installer::kExitUsage;
    case installer::CommandLine::Mode::Unattended:
    case installer::CommandLine::Mode::Window:
        break;
    }

    // A stop request ends the run between blocks as a cancel does, the old files whole; the
    // window then closes without asking.
    platform::InterruptCatcher stopRequests;
    int status = 0;
    if (cmd.mode == installer::CommandLine::Mode::Unattended) {
        installer::InstallerServices services;
        status = installer::RunUnattended(cmd.directory, cmd.yes, services, std::cout, std::cerr,
                                          platform::IsTerminal(platform::StandardStream::Output));
    } else {
        status = ui::RunWindowModule(argc, argv, program, std::cerr);
    }
    if (!platform::InterruptRequested()) return status;
    std::cerr << program << ": interrupted (" << platform::InterruptName() << ")\n";
    return platform::InterruptExitStatus();
}
