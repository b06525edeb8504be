// DamagedPackageTest.cpp - a damaged download is refused before the installation run writes
// its first file.
#include "InstallerFixture.h"

#include <filesystem>
#include <fstream>

namespace vexo::installer::test {
namespace {

const std::string kRoot = "C:\\VEXO\\DALVO\\";
const std::string kInstaller = "C:\\descargas\\ZPX16.EXE";

// Flips a bit in the last block of the last entry: the byte before the 8-byte locator.
void DamageLastBlock(const std::filesystem::path& host) {
    std::fstream f(host, std::ios::binary | std::ios::in | std::ios::out);
    f.seekg(-9, std::ios::end);
    char c = 0;
    f.get(c);
    f.seekp(-9, std::ios::end);
    f.put(static_cast<char>(c ^ 0x20));
}

TEST_F(InstallerTest, ADamagedPackageWritesNothingAndNamesTheEntry) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', std::string(70000, 'a')},
                 {"Datos\\B.TXT", 'R', "b"},
                 {"C.TXT", 'R', std::string(3000, 'c')}};
    InstallerWindow& w = Window(kInstaller, pkg);
    DamageLastBlock(Host(kInstaller));
    WriteFile(kRoot + "A.TXT", "old a");
    ASSERT_TRUE(w.OnCreate());
    w.OnInstallClicked();
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Instalación Incorrecta")});
    ASSERT_EQ(view_.errors.size(), 1u);
    EXPECT_EQ(view_.errors[0].second,
              "CRC incorrecto: los datos dentro del archivo estan corrompidos\r\n\r\nC.TXT");
    EXPECT_EQ(w.LastRunResult(), RunResult::Failed);
    EXPECT_EQ(ReadFile(kRoot + "A.TXT"), "old a");
    EXPECT_FALSE(ReadFile(kRoot + "Datos\\B.TXT").has_value());
    EXPECT_FALSE(ReadFile(kRoot + "C.TXT").has_value());
}

TEST_F(InstallerTest, ASoundPackageIsCheckedAndInstalled) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', std::string(70000, 'a')}, {"C.TXT", 'R', "c"}};
    InstallerWindow& w = Window(kInstaller, pkg);
    WriteFile(kRoot + "A.TXT", "old a");
    ASSERT_TRUE(w.OnCreate());
    w.OnInstallClicked();
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Instalación Finalizada")});
    EXPECT_TRUE(view_.errors.empty());
    EXPECT_EQ(ReadFile(kRoot + "A.TXT"), std::string(70000, 'a'));
    EXPECT_EQ(ReadFile(kRoot + "C.TXT"), "c");
}

} // namespace
} // namespace vexo::installer::test
