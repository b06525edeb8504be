// UncPathsTest.cpp - "\\server\share\..." paths on the prefix's dosdevices/unc, as Wine maps them.
// Windows resolves network paths itself: these are the POSIX layer's prefix (POSIX build only).
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ScopedTestPrefix.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

using namespace vexo::platform;
namespace fs = std::filesystem;

namespace {

// A share as a network folder would be: server and share spelt in mixed case on disk.
class UncPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(prefix_.Host("dosdevices/unc/Servidor/Vexo/Programa"));
        std::ofstream(prefix_.Host("dosdevices/unc/Servidor/Vexo/Programa/DALVO.EXE")) << "x";
    }
    std::string Unc(const std::string& below) const {
        return prefix_.Host("dosdevices/unc/" + below);
    }
    ScopedTestPrefix prefix_;
};

struct UncCase {
    const char* windows;
    const char* below; // under dosdevices/unc; nullptr: no host path
};

class UncMapping : public UncPaths, public ::testing::WithParamInterface<UncCase> {};

TEST_P(UncMapping, ToTheNetworkRootWithoutRegardToCase) {
    std::optional<std::string> host = HostPath(GetParam().windows);
    if (GetParam().below == nullptr) {
        EXPECT_FALSE(host.has_value()) << *host;
        EXPECT_EQ(LastError(), kErrorPathNotFound);
        return;
    }
    ASSERT_TRUE(host.has_value());
    EXPECT_EQ(*host, Unc(GetParam().below));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UncMapping,
    ::testing::Values(
        UncCase{"\\\\Servidor\\Vexo\\Programa\\DALVO.EXE", "Servidor/Vexo/Programa/DALVO.EXE"},
        UncCase{"\\\\SERVIDOR\\VEXO\\PROGRAMA\\DALVO.EXE", "Servidor/Vexo/Programa/DALVO.EXE"},
        UncCase{"\\\\servidor\\vexo\\programa\\dalvo.exe", "Servidor/Vexo/Programa/DALVO.EXE"},
        UncCase{"//servidor/vexo/Programa/DALVO.EXE", "Servidor/Vexo/Programa/DALVO.EXE"},
        UncCase{"\\\\?\\UNC\\servidor\\vexo\\Programa\\DALVO.EXE",
                "Servidor/Vexo/Programa/DALVO.EXE"},
        UncCase{"\\\\servidor\\vexo\\", "Servidor/Vexo/"},
        // New names keep the case given; ".." stops at the share.
        UncCase{"\\\\servidor\\vexo\\Nuevo\\a.txt", "Servidor/Vexo/Nuevo/a.txt"},
        UncCase{"\\\\servidor\\vexo\\..\\..\\otro\\Programa", "Servidor/Vexo/otro/Programa"},
        UncCase{"\\\\servidor", nullptr}, UncCase{"\\\\servidor\\", nullptr},
        UncCase{"\\\\", nullptr}, UncCase{"\\\\..\\vexo\\x", nullptr}));

TEST_F(UncPaths, FilesAreFoundMadeAndListedThroughTheShare) {
    EXPECT_TRUE(FileExists("\\\\SERVIDOR\\VEXO\\PROGRAMA\\DALVO.EXE"));
    EXPECT_TRUE(DirectoryExists("\\\\servidor\\vexo"));
    EXPECT_FALSE(FileExists("\\\\servidor\\otra\\DALVO.EXE"));
    OpenFile("\\\\servidor\\vexo\\Programa\\NOTAS.TXT", OpenMode::Create).reset();
    EXPECT_TRUE(fs::exists(Unc("Servidor/Vexo/Programa/NOTAS.TXT")));
    std::vector<std::string> names;
    for (const FindEntry& e : FindFiles("\\\\servidor\\vexo\\programa\\*.*"))
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "DALVO.EXE", "NOTAS.TXT"}));
}

TEST_F(UncPaths, OnlyTheLowerCaseUncFolderIsTheNetworkRoot) {
    // Wine looks for dosdevices/unc as it looks for the drive links: in lower case only.
    fs::rename(prefix_.Host("dosdevices/unc"), prefix_.Host("dosdevices/UNC"));
    EXPECT_FALSE(HostPath("\\\\servidor\\vexo\\Programa\\DALVO.EXE").has_value());
    EXPECT_EQ(LastError(), kErrorPathNotFound);
    EXPECT_FALSE(FileExists("\\\\servidor\\vexo\\Programa\\DALVO.EXE"));
}

} // namespace
