// DirectoryProposalTest.cpp - the second stage of the proposal and the path rules under it.
#include "installer/DirectoryProposal.h"
#include "FakeServices.h"
#include "installer/InstallRules.h"
#include "installer/PathExpansion.h"

#include <gtest/gtest.h>

namespace vexo::installer {
namespace {

struct ProposalCase {
    const char* name;
    const char* field;
    const char* expected;
    bool redirect;
};

class AdjustProposalTest : public ::testing::TestWithParam<ProposalCase> {};

TEST_P(AdjustProposalTest, ByInstallerName) {
    test::FakeServices services;
    services.products["VIZUVE"] = "C:\\VEXO\\VIZUVE\\";
    services.products["RORARI"] = "D:\\VEXO\\RORARI\\";
    services.engineDirectory = "C:\\VEXO\\Btrieve";
    services.dataDirectory = "E:\\EMPRESAS\\DATOS\\";
    AdjustedProposal p =
        AdjustProposalFor(GetParam().name, GetParam().field, "C:\\users\\ana", services);
    EXPECT_EQ(p.directory, GetParam().expected);
    EXPECT_EQ(p.sharedEngineRedirect, GetParam().redirect);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AdjustProposalTest,
    ::testing::Values(
        ProposalCase{"AEAT-ZORI-09.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\ModulosAEAT\\", false},
        ProposalCase{"AEAT-ZORI-09.EXE", "C:\\VEXO\\DALVO", "C:\\VEXO\\ModulosAEAT\\", false},
        ProposalCase{"AEAT-390-09.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\ModulosAEAT\\", false},
        // The corporate-tax program lives on D: and its modules go beside it.
        ProposalCase{"AEAT-201-09.EXE", "C:\\VEXO\\DALVO\\", "D:\\VEXO\\ModulosAEAT\\", false},
        ProposalCase{"aeat-201-09.exe", "C:\\VEXO\\DALVO\\", "D:\\VEXO\\ModulosAEAT\\", false},
        ProposalCase{"ZPMAESTRO.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\DALVO\\Programa\\Maestro\\",
                     false},
        ProposalCase{"ZPMAESTRO.EXE", "C:\\VEXO\\DALVO", "C:\\VEXO\\DALVO\\Programa\\Maestro\\",
                     false},
        ProposalCase{"BTRIEVE.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\Btrieve\\", false},
        ProposalCase{"ZPBANCOS.EXE", "C:\\VEXO\\DALVO\\", "E:\\EMPRESAS\\DATOS\\", false},
        ProposalCase{"ZPMOTORDB.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\Externos\\", false},
        ProposalCase{"VIZUVE.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\VIZUVE\\", true},
        ProposalCase{"RORARI.EXE", "C:\\VEXO\\DALVO\\", "D:\\VEXO\\RORARI\\", true},
        ProposalCase{"ZPX16.EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\DALVO\\", false},
        ProposalCase{"ZPX10 (1).EXE", "C:\\VEXO\\DALVO\\", "C:\\VEXO\\DALVO\\", false},
        // Relative fields are made absolute before the parent is taken.
        ProposalCase{"ZPMOTORDB.EXE", "prog\\dalvo", "C:\\users\\ana\\prog\\Externos\\", false},
        // A drive root has no parent: the drive stands in for it.
        ProposalCase{"AEAT-390-09.EXE", "C:\\", "C:\\ModulosAEAT\\", false}));

TEST(AdjustProposal, Aeat201KeepsFieldWhenShortcutTargetIsGone) {
    test::FakeServices services;
    services.products["RORARI"] = "F:\\VEXO\\DALVO"; // the default for a missing target
    AdjustedProposal p =
        AdjustProposalFor("AEAT-201-10.EXE", "F:\\CONTA\\DALVO\\", "C:\\", services);
    EXPECT_EQ(p.directory, "F:\\CONTA\\ModulosAEAT\\");
    EXPECT_EQ(services.findCalls, std::vector<std::string>{"RORARI"});
}

TEST(AdjustProposal, OnlyAeat201LooksForTheCorporateTaxProgram) {
    test::FakeServices services;
    services.products["RORARI"] = "D:\\VEXO\\RORARI\\";
    AdjustProposalFor("AEAT-390-09.EXE", "C:\\VEXO\\DALVO\\", "C:\\", services);
    EXPECT_TRUE(services.findCalls.empty());
}

struct ExpandCase {
    const char* path;
    const char* expected;
};

class ExpandFileNameTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandFileNameTest, AgainstCurrentDirectory) {
    EXPECT_EQ(ExpandFileName(GetParam().path, "C:\\users\\ana"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExpandFileNameTest,
    ::testing::Values(ExpandCase{"C:\\VEXO\\DALVO", "C:\\VEXO\\DALVO"},
                      ExpandCase{"C:\\VEXO\\DALVO\\", "C:\\VEXO\\DALVO\\"},
                      ExpandCase{"dalvo", "C:\\users\\ana\\dalvo"},
                      ExpandCase{"..\\dalvo\\", "C:\\users\\dalvo\\"},
                      ExpandCase{".\\a\\.\\b", "C:\\users\\ana\\a\\b"},
                      ExpandCase{"\\VEXO", "C:\\VEXO"}, ExpandCase{"D:\\x\\..\\..\\y", "D:\\y"},
                      ExpandCase{"C:sub", "C:\\users\\ana\\sub"}, ExpandCase{"D:sub", "D:\\sub"},
                      ExpandCase{"\\\\srv\\share\\a\\..\\b", "\\\\srv\\share\\b"},
                      ExpandCase{"", "C:\\users\\ana"},
                      ExpandCase{"C:/VEXO/DALVO/", "C:\\VEXO\\DALVO\\"}));

TEST(SharedEngineDirectory, TwoComponentsUpThenBtrieve) {
    EXPECT_EQ(SharedEngineDirectory("C:\\VEXO\\VIZUVE\\BTRIEVE\\", "C:\\"), "C:\\VEXO\\Btrieve\\");
    EXPECT_EQ(SharedEngineDirectory("D:\\A\\B\\C\\D", "C:\\"), "D:\\A\\B\\Btrieve\\");
}

} // namespace
} // namespace vexo::installer
