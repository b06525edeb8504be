// RenameReplacingTest.cpp - the replacing rename: one step, with Windows' refusals.
#include "FileText.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"

#include <gtest/gtest.h>

using namespace vexo::platform;

namespace {

using test::ReadText;
using test::WriteText;

class RenameReplacing : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectory("C:\\r"));
        WriteText(from_, "new");
        WriteText(to_, "old");
    }
    ScopedTestPrefix prefix_;
    const std::string from_ = "C:\\r\\~vx1.tmp";
    const std::string to_ = "C:\\r\\file.txt";
};

TEST_F(RenameReplacing, ReplacesAnExistingFile) {
    ASSERT_TRUE(RenameFileReplacing(from_, to_));
    EXPECT_EQ(ReadText(to_), "new");
    EXPECT_FALSE(FileExists(from_));
}

TEST_F(RenameReplacing, MovesToAFreeName) {
    ASSERT_TRUE(RenameFileReplacing(from_, "C:\\r\\other.txt"));
    EXPECT_EQ(ReadText("C:\\r\\other.txt"), "new");
    EXPECT_EQ(ReadText(to_), "old");
}

TEST_F(RenameReplacing, ReplacesWhateverCaseTheOldNameHas) {
    ASSERT_TRUE(RenameFileReplacing(from_, "C:\\R\\FILE.TXT"));
    EXPECT_EQ(ReadText(to_), "new");
    EXPECT_FALSE(FileExists(from_));
}

struct Refusal {
    const char* what;
    void (*arrange)(const std::string& to);
    int error;
    bool targetOpen = false;      // held open while the rename is tried
    bool targetDirectory = false; // a directory stands at the target's name
};

class RenameRefused : public RenameReplacing, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RenameRefused, LeavesBothFilesAsTheyWere) {
    if (GetParam().arrange != nullptr) GetParam().arrange(to_);
    std::unique_ptr<Stream> held;
    if (GetParam().targetOpen) held = OpenFile(to_, OpenMode::ReadShareAll);
    ScopedFaults faults;
    if (GetParam().arrange == nullptr) InjectFault(FaultKind::Rename);
    EXPECT_FALSE(RenameFileReplacing(from_, to_));
    EXPECT_EQ(LastError(), GetParam().error);
    held.reset();
    EXPECT_EQ(ReadText(from_), "new");
    if (GetParam().targetDirectory)
        EXPECT_TRUE(DirectoryExists(to_));
    else
        EXPECT_EQ(ReadText(to_), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Windows, RenameRefused,
    ::testing::Values(Refusal{"ReadOnlyTarget",
                              [](const std::string& to) { SetFileAttributes(to, kAttrReadOnly); },
                              kErrorAccessDenied},
                      // Windows: access denied, as for any target it may not delete.
                      Refusal{"OpenTarget", [](const std::string&) {}, kErrorAccessDenied, true},
                      Refusal{"DirectoryTarget",
                              [](const std::string& to) {
                                  DeleteFile(to);
                                  CreateDirectory(to);
                              },
                              kErrorAccessDenied, false, true},
                      Refusal{"InjectedFault", nullptr, kErrorAccessDenied}),
    [](const auto& row) { return std::string(row.param.what); });

} // namespace
