// Quiet deletion and renaming: the verdicts and the calls on a temporary prefix.
#include "environment/QuietFiles.h"

#include "EnvFixture.h"
#include "platform/Error.h"

namespace vexo::environment {
namespace {

using test::EnvTest;

struct VerdictCase {
    bool platformOk;
    int lastError;
    bool stillExists;
    bool result;
    bool overridden; // the platform's success is turned into a failure with a code of our own
};

class DeleteVerdictTest : public ::testing::TestWithParam<VerdictCase> {};
class RenameVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

constexpr int kUntouched = 12345;

TEST_P(DeleteVerdictTest, Judged) {
    const VerdictCase& c = GetParam();
    platform::SetLastError(kUntouched);
    EXPECT_EQ(detail::JudgeDelete(c.platformOk, c.lastError, c.stillExists), c.result);
    EXPECT_EQ(platform::LastError(), c.overridden ? platform::kErrorAccessDenied : kUntouched);
}

TEST_P(RenameVerdictTest, Judged) {
    const VerdictCase& c = GetParam();
    platform::SetLastError(kUntouched);
    EXPECT_EQ(detail::JudgeRename(c.platformOk, c.lastError, c.stillExists), c.result);
    EXPECT_EQ(platform::LastError(), c.overridden ? platform::kErrorAlreadyExists : kUntouched);
}

const auto kVerdicts = ::testing::Values(
    VerdictCase{true, 0, false, true, false}, // done and gone
    VerdictCase{true, 0, true, false, true},  // claimed done, yet still there
    VerdictCase{true, 32, true, true, false}, // a code was left: the platform's answer stands
    VerdictCase{false, 2, false, false, false}, VerdictCase{false, 5, true, false, false});

INSTANTIATE_TEST_SUITE_P(Verdicts, DeleteVerdictTest, kVerdicts);
INSTANTIATE_TEST_SUITE_P(Verdicts, RenameVerdictTest, kVerdicts);

class QuietFilesTest : public EnvTest {};

TEST_F(QuietFilesTest, DeleteRemovesTheFile) {
    WriteFile("C:\\TMP\\A.TXT", "a");
    EXPECT_TRUE(DeleteFileQuiet("C:\\TMP\\A.TXT"));
    EXPECT_FALSE(platform::FileExists("C:\\TMP\\A.TXT"));
}

TEST_F(QuietFilesTest, DeleteOfAMissingFileFailsWithoutRaising) {
    EXPECT_FALSE(DeleteFileQuiet("C:\\TMP\\FALTA.TXT"));
    EXPECT_NE(platform::LastError(), platform::kErrorSuccess);
}

TEST_F(QuietFilesTest, RenameMovesFilesAndDirectories) {
    WriteFile("C:\\TMP\\A.TXT", "a");
    EXPECT_TRUE(RenameFileQuiet("C:\\TMP\\A.TXT", "C:\\TMP\\B.TXT"));
    EXPECT_FALSE(platform::FileExists("C:\\TMP\\A.TXT"));
    EXPECT_TRUE(platform::FileExists("C:\\TMP\\B.TXT"));
    MakeDirectory("C:\\TMP\\DIR1");
    EXPECT_TRUE(RenameFileQuiet("C:\\TMP\\DIR1", "C:\\TMP\\DIR2"));
    EXPECT_TRUE(platform::DirectoryExists("C:\\TMP\\DIR2"));
}

TEST_F(QuietFilesTest, RenameOntoAnExistingFileFails) {
    WriteFile("C:\\TMP\\A.TXT", "a");
    WriteFile("C:\\TMP\\B.TXT", "b");
    EXPECT_FALSE(RenameFileQuiet("C:\\TMP\\A.TXT", "C:\\TMP\\B.TXT"));
    EXPECT_TRUE(platform::FileExists("C:\\TMP\\A.TXT"));
}

} // namespace
} // namespace vexo::environment
