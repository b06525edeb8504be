// FakeServices.h - the machine as a table: shortcuts, configured directories, files, clock.
#pragma once

#include "installer/Services.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vexo::installer::test {

class FakeServices : public InstallerServices {
  public:
    int platformId = kPlatformNtFamily;
    std::string desktop = "C:\\users\\ana\\Desktop\\";
    /// Shortcut code -> the directory its shortcut points to; missing codes keep the field.
    std::map<std::string, std::string> products;
    std::string engineDirectory; // empty: the default beside the product
    std::string dataDirectory;   // empty: product + "Datos\"
    std::string currentDirectory = "C:\\users\\ana";
    std::vector<std::string> findCalls; // shortcut codes asked for
    std::uint32_t now = 1000;
    std::vector<unsigned> sleeps;

    int PlatformId() override { return platformId; }
    std::string DesktopDirectory() override { return desktop; }
    std::string FindProductDirectory(std::string_view code, std::string_view /*desk*/,
                                     std::string_view field) override {
        findCalls.emplace_back(code);
        auto it = products.find(std::string(code));
        return it == products.end() ? std::string(field) : it->second;
    }
    std::string ReadEngineDirectory(std::string_view product) override {
        if (!engineDirectory.empty()) return engineDirectory;
        return "engine-of:" + std::string(product);
    }
    std::string ReadDataDirectory(std::string_view product) override {
        if (!dataDirectory.empty()) return dataDirectory;
        return std::string(product) + "Datos\\";
    }
    std::string CurrentDirectory() override { return currentDirectory; }
    std::uint32_t TickCount() override { return now; }
    void Sleep(unsigned ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

} // namespace vexo::installer::test
