// CommandLine.cpp - a handful of options, parsed by hand.
#include "installer/CommandLine.h"

#include <optional>
#include <utility>

namespace vexo::installer {

namespace {

/// The switches Windows administrators type, "/name" or "/name=value", the name in any case.
/// \returns the name in lower case and the value (empty without '='), or nothing for an
/// argument that is no such switch.
std::optional<std::pair<std::string, std::string>> WindowsSwitch(const std::string& a) {
    if (a.size() < 2 || a[0] != '/') return std::nullopt;
    std::size_t eq = a.find('=');
    std::string name = a.substr(1, eq == std::string::npos ? std::string::npos : eq - 1);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (name != "unattended" && name != "dir" && name != "yes" && name != "?") return std::nullopt;
    return std::pair{name, eq == std::string::npos ? std::string() : a.substr(eq + 1)};
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cmd;
    bool unattended = false;
    auto fail = [&](std::string message) {
        CommandLine bad;
        bad.mode = CommandLine::Mode::UsageError;
        bad.error = std::move(message);
        return bad;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        // A Windows switch is read as the option of the same meaning.
        if (auto sw = WindowsSwitch(a)) {
            const auto& [name, value] = *sw;
            if (name == "dir" && a.find('=') == std::string::npos)
                return fail("/dir needs a directory: /dir=DIR");
            if (name != "dir" && a.find('=') != std::string::npos)
                return fail("unknown argument: " + a);
            a = name == "?" ? "--help" : name == "dir" ? "--dir=" + value : "--" + name;
        }
        if (a == "--help" || a == "-h") {
            CommandLine help;
            help.mode = CommandLine::Mode::Help;
            return help;
        } else if (a == "--unattended") {
            unattended = true;
        } else if (a == "--yes") {
            cmd.yes = true;
        } else if (a == "--dir") {
            if (i + 1 >= args.size()) return fail("--dir needs a directory");
            cmd.directory = args[++i];
        } else if (a.rfind("--dir=", 0) == 0) {
            cmd.directory = a.substr(6);
        } else {
            return fail("unknown argument: " + a);
        }
        if (cmd.directory && cmd.directory->empty()) return fail("--dir needs a directory");
    }
    if (!unattended && (cmd.yes || cmd.directory))
        return fail("--dir and --yes are options of --unattended");
    cmd.mode = unattended ? CommandLine::Mode::Unattended : CommandLine::Mode::Window;
    return cmd;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName +
           " [--unattended [--dir DIR] [--yes]]\n"
           "\n"
           "Without options the installer opens its window.\n"
           "\n"
           "  --unattended  install without a window: the same start-up and installation run,\n"
           "                reported on standard output (package date, version and title, the\n"
           "                proposed directory, the extraction root, one line per file with its\n"
           "                decision, progress on a terminal, the final message).\n"
           "  --dir DIR     install into DIR instead of the proposed directory; a Windows path\n"
           "                (C:\\VEXO\\DALVO) or a host path "
           "(/home/ana/.wine/drive_c/VEXO/DALVO).\n"
           "  --yes         answer every question with its go-ahead (\"Vale\", Yes); without it\n"
           "                every question takes its safe answer (\"Cancelar\", No).\n"
           "  --help        show this text.\n"
           "\n"
           "The same as Windows switches (any case): /unattended, /dir=DIR, /yes, /?.\n"
           "\n"
           "Exit status: 0 after \"Instalación Finalizada\"; 1 after \"Instalación Incorrecta\"\n"
           "or an error (its text on standard error); 2 for usage errors; 3 when a question was\n"
           "declined; 4 after \"Instalación Finalizada\" when a file failed and the run went on\n"
           "without it (--yes).\n"
           "\n"
           "Windows paths resolve in the prefix $VEXO_PREFIX, else $WINEPREFIX, else ~/.wine.\n";
}

} // namespace vexo::installer
