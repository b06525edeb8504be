// open.cpp - the installer's start-up read of its own file, timed in-process: locate the
// archive, open it, identify the package from the header in OnAfterOpen, close.
// Usage: open INSTALLER RUNS; prints the median, the fastest and the slowest run in ms.
#include "archive/Format.h"
#include "archive/PackageValues.h"
#include "extract/Extractor.h"
#include "installer/PackageIdentity.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace vexo;
    if (argc != 3) {
        std::cerr << "usage: open INSTALLER RUNS\n";
        return 2;
    }
    try {
        const std::string windows =
            platform::WindowsPath(std::filesystem::absolute(argv[1]).string());
        const std::string fileName = std::filesystem::path(argv[1]).filename().string();
        std::vector<double> ms;
        std::string title;
        for (int run = 0; run < std::stoi(argv[2]); ++run) {
            auto t0 = std::chrono::steady_clock::now();
            extract::TExtractor x;
            {
                auto s = platform::OpenFile(windows, platform::OpenMode::ReadShareAll);
                x.SetSFXCodeSize(archive::FindArchiveStart(*s));
            }
            x.SetFileName(windows);
            x.OnAfterOpen = [&](archive::TArchiverRoot& sender) {
                auto values = archive::ReadPackageValues(sender.Header());
                title = installer::PackageTitle(fileName, values.PackageCode);
            };
            x.Open();
            x.Close();
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%.3f %.3f %.3f %s\n", ms[ms.size() / 2], ms.front(), ms.back(), title.c_str());
    } catch (const std::exception& e) {
        std::cerr << "open: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
