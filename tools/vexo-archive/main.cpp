// main.cpp - vexo-archive: builds and inspects archives and self-extracting packages.
#include "ExtractTool.h"
#include "Tool.h"
#include "archive/Exceptions.h"
#include "platform/DisplayText.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* usage; // the command's line of the usage text, after "vexo-archive "
};

// Later subcommands add a line here and a file of their own.
const Command kCommands[] = {
    {"build", vexo::tool::RunBuild,
     "build --out FILE [--stub PROGRAM] [--tag-size N] [--block-size N] [--store] "
     "[--level 1-12] [--threads N] "
     "[--segment-size N] [--comment TEXT] [--package-version V] [--package-code N] "
     "[--package-date YYYY-MM-DD] [--product-code CODE] [--archive-id N] [--key K [--keep-key]] "
     "[--solid] (--manifest MANIFEST | DIR)\n"},
    {"info", vexo::tool::RunInfo, "info FILE [--json] [--key K] [--sfx-info]\n"},
    {"list", vexo::tool::RunList, "list FILE [--json] [--key K] [--sfx-info]\n"},
    {"test", vexo::tool::RunTest, "test FILE [--key K] [--sfx-info]\n"},
    {"extract", vexo::tool::RunExtract,
     "extract FILE -o DIR [--key K] [--sfx-info] [--restore overwrite|skip|update|ask|"
     "existing-only|update-existing] [--on-error ask|continue|abort] [--junk-paths] "
     "[--absolute-paths] [--follow-links]\n"},
};

std::string Usage() {
    std::string text;
    for (const auto& c : kCommands)
        text += std::string(text.empty() ? "usage: " : "       ") + "vexo-archive " + c.usage;
    return text + "Each command also takes -h or --help.\n";
}

bool IsHelp(const std::string& arg) {
    return arg == "-h" || arg == "--help";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << Usage();
        return 2;
    }
    if (IsHelp(argv[1])) {
        std::cout << Usage();
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        // Help wins over whatever else the line holds, as it does for vexo-env.
        if (std::any_of(args.begin(), args.end(), IsHelp)) {
            std::cout << "usage: vexo-archive " << c.usage;
            return 0;
        }
        try {
            return c.run(args);
        } catch (const vexo::tool::UsageError& e) {
            std::cerr << "vexo-archive " << c.name << ": " << vexo::platform::DisplayUtf8(e.what())
                      << '\n'
                      << Usage();
            return 2;
        } catch (const std::exception& e) {
            // Texts of the archive layer are Windows-1252.
            std::cerr << vexo::platform::DisplayMessage(e.what()) << '\n';
            return 1;
        }
    }
    std::cerr << "vexo-archive: unknown command \"" << vexo::platform::DisplayUtf8(argv[1])
              << "\"\n"
              << Usage();
    return 2;
}
