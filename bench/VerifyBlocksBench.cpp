// VerifyBlocksBench.cpp - cost of the whole-archive block check on a 2,000-file, 200 MiB corpus.
// Not part of the build; see verify-blocks.md for how to compile and run it.
#include "archive/ArchiveWriter.h"
#include "archive/DateTime.h"
#include "extract/Extractor.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace vexo;
static double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
int main(int argc, char** argv) {
    std::string mode = argv[1];
    platform::PrepareForWriting(); // it writes its corpus on drive C:
    const std::string arc = "C:\\bench\\corpus.arc";
    if (mode == "build") {
        platform::CreateDirectory("C:\\bench");
        auto out = platform::OpenFile(arc, platform::OpenMode::Create);
        archive::ArchiveWriterOptions o;
        o.CompressionLevel = 6;
        archive::ArchiveWriter w(*out, o);
        std::mt19937 rng(1);
        const char* words[] = {"cuenta ", "asiento ", "saldo ", "factura ", "IVA ",    "ejercicio ",
                               "2009 ",   "balance ", "\r\n",   "empresa ", "diario ", "0001 "};
        std::size_t total = 0;
        for (int i = 0; i < 2000; ++i) {
            std::size_t n = 20000 + rng() % 169000; // ~104 KiB average
            std::vector<std::uint8_t> d(n);
            if (i % 3 == 0) {
                for (auto& b : d)
                    b = static_cast<std::uint8_t>(rng());
            } else {
                std::size_t p = 0;
                while (p < n) {
                    const char* wd = words[rng() % 12];
                    for (; *wd && p < n; ++wd)
                        d[p++] = static_cast<std::uint8_t>(*wd);
                }
            }
            total += n;
            char name[64];
            std::snprintf(name, sizeof name, "d%02d\\f%04d.dat", i % 40, i);
            w.AddFile(name, archive::CivilToDateTime({2009, 1, 22, 9, 36, 36, 0}), 0x20, 'R', d);
        }
        w.Finish();
        std::printf("files 2000, bytes %zu\n", total);
        return 0;
    }
    extract::TExtractor x;
    x.SetFileName(arc);
    x.SetExtractPath(argc > 2 ? argv[2] : "C:\\bench\\out");
    x.SetRestoreAction(extract::raOverwrite);
    double t0 = Now();
    if (mode == "verify") {
        auto f = x.VerifyArchiveBlocks();
        std::printf("%s", f ? "FAILED\n" : "");
    } else {
        x.SetVerifyBeforeExtract(mode == "extract+verify");
        x.ExtractAll();
    }
    std::printf("%s %.3f s status %d\n", mode.c_str(), Now() - t0,
                static_cast<int>(x.OperationStatus()));
}
