// vexo-env - shows what the installer would decide on this machine, without installing.
#include "Commands.h"
#include "Report.h"

#include "platform/Encoding.h"
#include "platform/Paths.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* kUsage =
    "usage: vexo-env [--json] COMMAND ...\n"
    "  dirs PRODUCT_DIR                 configuration file and the directories it names\n"
    "  product [CODE] [--field TEXT]    the product directory the installer proposes\n"
    "                                   (CODE ZPX, VIZUVE or RORARI; default ZPX)\n"
    "  version FILE                     the program version as the installer computes it\n"
    "  shortcut read FILE.lnk           the fields of a shortcut file\n"
    "  shortcut make TARGET NAME FOLDER write FOLDER\\NAME.lnk pointing at TARGET\n"
    "  folders                          special folders and the program group\n"
    "Paths are Windows paths; host paths starting with \"/\" are mapped through the prefix\n"
    "($VEXO_PREFIX, else $WINEPREFIX, else ~/.wine).\n";

struct UsageError {};

vexo::tools::Report Run(std::vector<std::string> args) {
    using namespace vexo::tools;
    if (args.empty()) throw UsageError{};
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "dirs" && args.size() == 1) return DirsCommand(WindowsArgument(args[0]));
    if (command == "product") {
        std::string code = "ZPX";
        std::string field = "C:\\VEXO\\DALVO";
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--field" && i + 1 < args.size())
                field = WindowsArgument(args[++i]);
            else if (args[i].rfind("--", 0) != 0)
                code = vexo::platform::Utf8ToCp1252(args[i]);
            else
                throw UsageError{};
        }
        return ProductCommand(code, field);
    }
    if (command == "version" && args.size() == 1) return VersionCommand(WindowsArgument(args[0]));
    if (command == "shortcut" && args.size() == 2 && args[0] == "read")
        return ShortcutReadCommand(WindowsArgument(args[1]));
    if (command == "shortcut" && args.size() == 4 && args[0] == "make") {
        vexo::platform::PrepareForWriting(); // the one command that writes
        return ShortcutMakeCommand(WindowsArgument(args[1]), vexo::platform::Utf8ToCp1252(args[2]),
                                   WindowsArgument(args[3]));
    }
    if (command == "folders" && args.empty()) return FoldersCommand();
    throw UsageError{};
}

} // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--json")
            json = true;
        else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return kExitOk;
        } else
            args.push_back(arg);
    }
    try {
        vexo::tools::Report report = Run(args);
        if (json)
            report.PrintJson(std::cout);
        else
            report.PrintPlain(std::cout);
        return kExitOk;
    } catch (const UsageError&) {
        std::cerr << kUsage;
        return kExitUsage;
    } catch (const vexo::tools::CommandFailed& e) {
        std::cerr << "vexo-env: " << vexo::platform::Cp1252ToUtf8(e.message) << '\n';
        return kExitFailed;
    } catch (const std::exception& e) {
        std::cerr << "vexo-env: " << vexo::platform::Cp1252ToUtf8(e.what()) << '\n';
        return kExitFailed;
    }
}
