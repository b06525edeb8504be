// main.cpp - vexo-archive: builds and inspects archives and self-extracting packages.
#include "ExtractTool.h"
#include "Tool.h"
#include "archive/Exceptions.h"
#include "platform/Encoding.h"

#include <cstring>
#include <iostream>

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
};

// Later subcommands add a line here and a file of their own.
const Command kCommands[] = {
    {"build", vexo::tool::RunBuild},     {"info", vexo::tool::RunInfo},
    {"list", vexo::tool::RunList},       {"test", vexo::tool::RunTest},
    {"extract", vexo::tool::RunExtract},
};

const char* kUsage =
    "usage: vexo-archive build --out FILE [--stub PROGRAM] [--tag-size N] [--block-size N] "
    "[--store] [--level 1-12] [--threads N] [--segment-size N] [--comment TEXT] [--package-version "
    "V] [--package-code N] "
    "[--package-date YYYY-MM-DD] [--product-code CODE] [--archive-id N] [--key K [--keep-key]] "
    "[--solid] (--manifest MANIFEST | DIR)\n"
    "       vexo-archive info FILE [--json] [--key K] [--sfx-info]\n"
    "       vexo-archive list FILE [--json] [--key K] [--sfx-info]\n"
    "       vexo-archive test FILE [--key K] [--sfx-info]\n"
    "       vexo-archive extract FILE -o DIR [--key K] [--sfx-info] [--restore "
    "overwrite|skip|update|ask|"
    "existing-only|update-existing] [--on-error ask|continue|abort] [--junk-paths] "
    "[--absolute-paths]\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        try {
            return c.run(args);
        } catch (const vexo::tool::UsageError& e) {
            std::cerr << "vexo-archive " << c.name << ": " << e.what() << '\n' << kUsage;
            return 2;
        } catch (const std::exception& e) {
            // Texts of the archive layer are Windows-1252.
            std::cerr << vexo::platform::Cp1252ToUtf8(e.what()) << '\n';
            return 1;
        }
    }
    std::cerr << "vexo-archive: unknown command \"" << argv[1] << "\"\n" << kUsage;
    return 2;
}
