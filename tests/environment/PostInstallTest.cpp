// Shortcuts after a successful extraction: first installation, update, suppression, packages.
#include "environment/PostInstall.h"

#include "EnvFixture.h"
#include "LnkInfo.h"
#include "archive/Exceptions.h"
#include "environment/ProgramGroup.h"
#include "environment/Shortcuts.h"
#include "environment/SystemFolders.h"
#include "platform/FaultInjection.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace vexo::environment {
namespace {

using test::EnvTest;

class PostInstallTest : public EnvTest {
  protected:
    void SetUp() override {
        EnvTest::SetUp();
        desktop_ = DesktopDirectory();
        group_ = StartMenuRoot() + ProgramGroupName() + "\\";
        ASSERT_FALSE(desktop_.empty());
    }
    // A file standing for an older shortcut; its contents do not matter to the step.
    void Older(const std::string& path) { WriteFile(path, "older"); }
    void ExpectShortcut(const std::string& file, const std::string& target) {
        std::optional<ShortcutFields> read = ReadShortcut(file);
        ASSERT_TRUE(read.has_value()) << file;
        EXPECT_EQ(read->target, target);
        EXPECT_EQ(read->workingDirectory, target.substr(0, target.rfind('\\') + 1));
    }
    std::string desktop_;
    std::string group_;
};

TEST_F(PostInstallTest, FirstInstallationOfTheAccountingProgram) {
    CreateProductShortcuts("DALVO", "C:\\VEXO\\DALVO");
    const std::string target = "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE";
    ExpectShortcut(desktop_ + "DalvoVexo.lnk", target);
    ExpectShortcut(group_ + "DalvoVexo.lnk", target);

    if (!test::NoLnkInfo().empty()) GTEST_SKIP() << test::NoLnkInfo();
    for (const std::string& file : {desktop_ + "DalvoVexo.lnk", group_ + "DalvoVexo.lnk"}) {
        auto fields = test::LnkInfo(vexo::test::Utf8Path(Host(file)));
        ASSERT_TRUE(fields.has_value()) << file;
        EXPECT_EQ((*fields)["Local path"], target);
        EXPECT_EQ((*fields)["Working directory"], "C:\\VEXO\\DALVO\\Programa\\");
    }
}

TEST_F(PostInstallTest, UpdateRetiresBothOlderShortcuts) {
    Older(desktop_ + "Dalvo Vexo Win.lnk");
    Older(group_ + "Dalvo Vexo Win.lnk");
    CreateProductShortcuts("dalvo", "D:\\CONTA\\");
    EXPECT_FALSE(platform::FileExists(desktop_ + "Dalvo Vexo Win.lnk"));
    EXPECT_FALSE(platform::FileExists(group_ + "Dalvo Vexo Win.lnk"));
    ExpectShortcut(desktop_ + "DalvoVexo.lnk", "D:\\CONTA\\Programa\\DALVO.EXE");
    ExpectShortcut(group_ + "DalvoVexo.lnk", "D:\\CONTA\\Programa\\DALVO.EXE");
}

TEST_F(PostInstallTest, ExistingDesktopShortcutSuppressesEverythingElse) {
    Older(desktop_ + "Dalvo Vexo Win.lnk");
    Older(desktop_ + "DalvoVexo.lnk");
    CreateProductShortcuts("DALVO", "C:\\VEXO\\DALVO\\");
    // Only the older desktop shortcut goes; the group is not even created.
    EXPECT_FALSE(platform::FileExists(desktop_ + "Dalvo Vexo Win.lnk"));
    EXPECT_FALSE(ReadShortcut(desktop_ + "DalvoVexo.lnk").has_value()); // left as it was
    EXPECT_FALSE(platform::DirectoryExists(group_));
}

TEST_F(PostInstallTest, ExistingDesktopShortcutLeavesTheOlderGroupShortcut) {
    Older(desktop_ + "DalvoVexo.lnk");
    Older(group_ + "Dalvo Vexo Win.lnk");
    CreateProductShortcuts("DALVO", "C:\\VEXO\\DALVO\\");
    EXPECT_TRUE(platform::FileExists(group_ + "Dalvo Vexo Win.lnk"));
    EXPECT_FALSE(platform::FileExists(group_ + "DalvoVexo.lnk"));
}

struct TaxCase {
    const char* code;
    const char* name;
    const char* program;
    const char* presenceTest;
};

class CorporateTaxTest : public PostInstallTest, public ::testing::WithParamInterface<TaxCase> {};

TEST_P(CorporateTaxTest, BothShortcutsAreRecreatedEveryRun) {
    const TaxCase& c = GetParam();
    const std::string link = std::string(c.name) + ".lnk";
    CreateProductShortcuts(c.code, "C:\\VEXO\\UNO");
    ExpectShortcut(desktop_ + link, std::string("C:\\VEXO\\UNO\\Programa\\") + c.program);
    ExpectShortcut(group_ + link, std::string("C:\\VEXO\\UNO\\Programa\\") + c.program);
    // The presence test looks for another name, so a second run overwrites both.
    CreateProductShortcuts(c.code, "C:\\VEXO\\DOS");
    ExpectShortcut(desktop_ + link, std::string("C:\\VEXO\\DOS\\Programa\\") + c.program);
    ExpectShortcut(group_ + link, std::string("C:\\VEXO\\DOS\\Programa\\") + c.program);
}

TEST_P(CorporateTaxTest, PresenceTestFileSuppressesBoth) {
    const TaxCase& c = GetParam();
    Older(desktop_ + c.presenceTest);
    CreateProductShortcuts(c.code, "C:\\VEXO\\UNO");
    EXPECT_FALSE(platform::FileExists(desktop_ + c.name + ".lnk"));
    EXPECT_FALSE(platform::DirectoryExists(group_));
}

TEST_P(CorporateTaxTest, RetiredProductShortcutIsNotTheirBusiness) {
    const TaxCase& c = GetParam();
    Older(desktop_ + "Dalvo Vexo Win.lnk");
    CreateProductShortcuts(c.code, "C:\\VEXO\\UNO");
    EXPECT_TRUE(platform::FileExists(desktop_ + "Dalvo Vexo Win.lnk"));
}

INSTANTIATE_TEST_SUITE_P(Packages, CorporateTaxTest,
                         ::testing::Values(TaxCase{"VIZUVE", "Sociedades Bizkaia Vexo",
                                                   "IMPBIZ.EXE", "VizUvekaiaVexo.lnk"},
                                           TaxCase{"rorari", "Sociedades Estatal Vexo",
                                                   "IMPEST.EXE", "RorAriadoVexo.lnk"}));

class OtherPackageTest : public PostInstallTest,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(OtherPackageTest, NothingIsMadeOrChanged) {
    Older(desktop_ + "Dalvo Vexo Win.lnk");
    CreateProductShortcuts(GetParam(), "C:\\VEXO\\DALVO");
    EXPECT_TRUE(platform::FileExists(desktop_ + "Dalvo Vexo Win.lnk"));
    EXPECT_FALSE(platform::DirectoryExists(group_));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Host(desktop_)),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(Codes, OtherPackageTest, ::testing::Values("", "NOMINA", "ZPX", "DALV"));

TEST_F(PostInstallTest, ShortcutWrittenHereIsFoundByTheNextRun) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "MZ");
    CreateProductShortcuts("DALVO", "C:\\VEXO\\DALVO");
    std::optional<ShortcutFields> read = ReadShortcut(desktop_ + "DalvoVexo.lnk");
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(platform::FileExists(read->target));
}

TEST_F(PostInstallTest, GroupThatCannotBeCreatedEndsTheStepAfterTheDesktopShortcut) {
    platform::InjectFault(platform::FaultKind::CreateDirectory,
                          {1, true, platform::kErrorAccessDenied});
    EXPECT_THROW(CreateProductShortcuts("DALVO", "C:\\VEXO\\DALVO"), archive::Exception);
    EXPECT_TRUE(ReadShortcut(desktop_ + "DalvoVexo.lnk").has_value());
    EXPECT_FALSE(platform::DirectoryExists(group_));
}

TEST_F(PostInstallTest, UnknownDesktopWritesNoShortcutIntoTheCurrentDirectory) {
    // A plain file where the desktop should be: the platform cannot name the folder.
    std::filesystem::path desktop = Host(desktop_.substr(0, desktop_.size() - 1));
    std::filesystem::remove_all(desktop);
    std::ofstream(desktop) << "not a folder";
    ASSERT_EQ(DesktopDirectory(), "");
    MakeDirectory("C:\\CWD");
    ASSERT_TRUE(platform::SetCurrentDirectory("C:\\CWD"));
    CreateProductShortcuts("DALVO", "C:\\VEXO\\DALVO");
    EXPECT_FALSE(platform::FileExists("C:\\CWD\\DalvoVexo.lnk"));
    ExpectShortcut(group_ + "DalvoVexo.lnk", "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE");
}

} // namespace
} // namespace vexo::environment
