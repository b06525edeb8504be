// Special folders, the program group's parent by platform, and the program group folder.
#include "environment/SystemFolders.h"
#include "environment/ProgramGroup.h"

#include "EnvFixture.h"
#include "archive/Exceptions.h"
#include "platform/Encoding.h"
#include "platform/FaultInjection.h"
#include "platform/Shell.h"

#include <string>

namespace vexo::environment {
namespace {

using test::EnvTest;
using test::ScopedEnv;

struct FamilyCase {
    int platformId;
    int major;
    int csidl;
};

class StartMenuFolderTest : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(StartMenuFolderTest, ByFamilyAndMajorVersion) {
    platform::OsVersion v;
    v.platformId = GetParam().platformId;
    v.major = GetParam().major;
    EXPECT_EQ(StartMenuFolderFor(v), GetParam().csidl);
}

INSTANTIATE_TEST_SUITE_P(Platforms, StartMenuFolderTest,
                         ::testing::Values(FamilyCase{1, 4, platform::CSIDL_STARTMENU},
                                           FamilyCase{1, 6, platform::CSIDL_STARTMENU},
                                           FamilyCase{2, 5, platform::CSIDL_COMMON_STARTMENU},
                                           FamilyCase{2, 6, platform::CSIDL_COMMON_PROGRAMS},
                                           FamilyCase{2, 10, platform::CSIDL_COMMON_STARTMENU}));

class SystemFoldersTest : public EnvTest {};

TEST_F(SystemFoldersTest, FoldersEndInABackslash) {
    for (int csidl : {platform::CSIDL_DESKTOPDIRECTORY, platform::CSIDL_STARTMENU,
                      platform::CSIDL_COMMON_STARTMENU, platform::CSIDL_COMMON_PROGRAMS}) {
        std::string path = SpecialFolderPath(csidl);
        ASSERT_FALSE(path.empty()) << csidl;
        EXPECT_EQ(path.back(), '\\') << csidl;
        EXPECT_EQ(path, platform::SpecialFolderPath(csidl) + "\\") << csidl;
    }
    EXPECT_EQ(DesktopDirectory(), SpecialFolderPath(platform::CSIDL_DESKTOPDIRECTORY));
}

TEST_F(SystemFoldersTest, UnknownFolderIsEmpty) {
    EXPECT_EQ(SpecialFolderPath(0x7F), "");
}

TEST(ProgramGroupNameTest, SpellingsDifferOnlyInTheAccentedLetter) {
    std::string current = ProgramGroupName();
    std::string legacy = LegacyProgramGroupName();
    ASSERT_EQ(current.size(), legacy.size());
    int differences = 0;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (current[i] == legacy[i]) continue;
        ++differences;
        EXPECT_EQ(current[i], '\xE1'); // á in Windows-1252
        EXPECT_EQ(legacy[i], 'a');
    }
    EXPECT_EQ(differences, 1);
}

class ProgramGroupTest : public EnvTest,
                         public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(ProgramGroupTest, CreatedInTheFolderOfTheReportedVersion) {
    ScopedEnv winver("VEXO_WINVER", GetParam().first);
    std::string expectedRoot = SpecialFolderPath(GetParam().second);
    ASSERT_FALSE(expectedRoot.empty());
    EXPECT_EQ(StartMenuRoot(), expectedRoot);
    std::string group = EnsureProgramGroup();
    EXPECT_EQ(group, expectedRoot + ProgramGroupName() + "\\");
    EXPECT_TRUE(platform::DirectoryExists(group));
}

INSTANTIATE_TEST_SUITE_P(MajorVersions, ProgramGroupTest,
                         ::testing::Values(std::make_pair("5", platform::CSIDL_COMMON_STARTMENU),
                                           std::make_pair("6", platform::CSIDL_COMMON_PROGRAMS),
                                           std::make_pair("10", platform::CSIDL_COMMON_STARTMENU)));

class ProgramGroupFolderTest : public EnvTest {
  protected:
    std::string Root() { return StartMenuRoot(); }
};

TEST_F(ProgramGroupFolderTest, OnlyLegacyFolderIsRenamedWithItsContents) {
    std::string legacy = Root() + LegacyProgramGroupName();
    WriteFile(legacy + "\\Dalvo Vexo Win.lnk", "old");
    ProgramGroupPlan plan = PlanProgramGroup();
    EXPECT_TRUE(plan.RenamesLegacy());
    std::string group = EnsureProgramGroup();
    EXPECT_EQ(group, Root() + ProgramGroupName() + "\\");
    EXPECT_FALSE(platform::DirectoryExists(legacy));
    EXPECT_TRUE(platform::FileExists(group + "Dalvo Vexo Win.lnk"));
}

TEST_F(ProgramGroupFolderTest, BothFoldersAreLeftAlone) {
    std::string legacy = Root() + LegacyProgramGroupName();
    std::string current = Root() + ProgramGroupName();
    WriteFile(legacy + "\\viejo.lnk", "old");
    WriteFile(current + "\\nuevo.lnk", "new");
    ProgramGroupPlan plan = PlanProgramGroup();
    EXPECT_FALSE(plan.RenamesLegacy());
    EXPECT_FALSE(plan.Creates());
    EXPECT_EQ(EnsureProgramGroup(), current + "\\");
    EXPECT_TRUE(platform::FileExists(legacy + "\\viejo.lnk"));
    EXPECT_TRUE(platform::FileExists(current + "\\nuevo.lnk"));
}

TEST_F(ProgramGroupFolderTest, ExistingGroupIsUsedAsItIs) {
    std::string current = Root() + ProgramGroupName();
    WriteFile(current + "\\nuevo.lnk", "new");
    EXPECT_EQ(EnsureProgramGroup(), current + "\\");
    EXPECT_EQ(EnsureProgramGroup(), current + "\\");
    EXPECT_TRUE(platform::FileExists(current + "\\nuevo.lnk"));
}

TEST_F(ProgramGroupFolderTest, FolderThatCannotBeCreatedRaisesWithThePath) {
    platform::InjectFault(platform::FaultKind::CreateDirectory,
                          {1, true, platform::kErrorAccessDenied});
    std::string path = Root() + ProgramGroupName();
    try {
        EnsureProgramGroup();
        ADD_FAILURE() << "no error raised";
    } catch (const archive::Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  platform::SystemErrorMessage(platform::kErrorAccessDenied) + " (" + path + ")");
    }
}

TEST_F(ProgramGroupFolderTest, FailedRenameOfTheLegacyFolderIsIgnored) {
    std::string legacy = Root() + LegacyProgramGroupName();
    MakeDirectory(legacy);
    platform::InjectFault(platform::FaultKind::Rename, {1, true, platform::kErrorAccessDenied});
    EXPECT_EQ(EnsureProgramGroup(), Root() + ProgramGroupName() + "\\");
    EXPECT_TRUE(platform::DirectoryExists(legacy));
    EXPECT_TRUE(platform::DirectoryExists(Root() + ProgramGroupName()));
}

TEST_F(ProgramGroupFolderTest, PlainFileOfTheGroupNameCountsAsFound) {
    std::string path = Root() + ProgramGroupName();
    WriteFile(path, "");
    EXPECT_TRUE(PlanProgramGroup().currentFound);
    EXPECT_EQ(EnsureProgramGroup(), path + "\\");
    EXPECT_TRUE(platform::FileExists(path));
}

TEST_F(ProgramGroupFolderTest, HiddenLegacyFolderDoesNotCount) {
    std::string legacy = Root() + LegacyProgramGroupName();
    MakeDirectory(legacy);
    ASSERT_TRUE(
        platform::SetFileAttributes(legacy, platform::kAttrDirectory | platform::kAttrHidden));
    ProgramGroupPlan plan = PlanProgramGroup();
    EXPECT_FALSE(plan.legacyFound);
    EXPECT_TRUE(plan.Creates());
    EnsureProgramGroup();
    EXPECT_TRUE(platform::DirectoryExists(legacy));
    EXPECT_TRUE(platform::DirectoryExists(Root() + ProgramGroupName()));
}

} // namespace
} // namespace vexo::environment
