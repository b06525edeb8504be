// ReplacingFileTest.cpp - a file written beside its destination: the old one whole until the end.
#include "platform/ReplacingFile.h"
#include "FileText.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vexo::platform;

namespace {

using test::ReadText;
using test::WriteText;

constexpr const char* kFolder = "C:\\r";
constexpr const char* kDest = "C:\\r\\out.arc";

class ReplacingFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectory(kFolder));
        WriteText(kDest, "the previous archive");
    }
    // Names in the folder besides the destination.
    static std::vector<std::string> Others() {
        std::vector<std::string> names;
        for (const FindEntry& e : FindFiles(std::string(kFolder) + "\\*"))
            if (e.name != "." && e.name != ".." && e.name != "out.arc") names.push_back(e.name);
        return names;
    }
    static void Write(ReplacingFile& file, const std::string& text) {
        file.Stream().WriteBuffer(text.data(), text.size());
    }

    ScopedTestPrefix prefix_;
    ScopedFaults faults_;
};

TEST_F(ReplacingFileTest, TheDestinationChangesOnlyAtCommit) {
    {
        ReplacingFile abandoned(kDest);
        Write(abandoned, "abandoned");
    }
    EXPECT_EQ(ReadText(kDest), "the previous archive");
    EXPECT_TRUE(Others().empty());
    ReplacingFile file(kDest);
    Write(file, "the new archive");
    EXPECT_EQ(ReadText(kDest), "the previous archive");
    EXPECT_EQ(Others().size(), 1u); // the temporary file, beside it
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadText(kDest), "the new archive");
    EXPECT_TRUE(Others().empty());
}

// Every way a write can end short of its commit leaves the previous file and nothing else.
struct Failure {
    const char* what;
    FaultKind fault;
    FaultPlan plan;
    bool commitRefused; // the writes succeed; the rename is what fails
};

const Failure kFailures[] = {
    {"write fails", FaultKind::Write, {.nth = 2}, false},
    {"disk full", FaultKind::DiskFull, {.nth = 3, .persistent = true}, false},
    {"every write fails", FaultKind::Write, {.nth = 1, .persistent = true}, false},
    {"rename refused", FaultKind::Rename, {}, true},
};

TEST_F(ReplacingFileTest, AFailureLeavesThePreviousFileAndNoTemporaryFile) {
    for (const Failure& f : kFailures) {
        SCOPED_TRACE(f.what);
        ResetFaults();
        WriteText(kDest, "the previous archive");
        InjectFault(f.fault, f.plan);
        bool committed = false;
        try {
            ReplacingFile file(kDest);
            for (int i = 0; i < 4; ++i)
                Write(file, "block of the new archive ");
            committed = file.Commit();
            EXPECT_TRUE(f.commitRefused) << "the writes went through";
        } catch (const std::exception&) {
            EXPECT_FALSE(f.commitRefused) << "a write failed";
        }
        EXPECT_FALSE(committed);
        EXPECT_GE(FaultFailureCount(f.fault), 1);
        ResetFaults();
        EXPECT_EQ(ReadText(kDest), "the previous archive");
        EXPECT_TRUE(Others().empty());
    }
}

// The commit that never replaces: a name taken meanwhile is reported and the work kept.
TEST_F(ReplacingFileTest, CommitIfMissingNeverReplaces) {
    ReplacingFile file(kDest);
    Write(file, "new");
    EXPECT_FALSE(file.CommitIfMissing());
    EXPECT_EQ(ReadText(kDest), "the previous archive");
    EXPECT_EQ(Others().size(), 1u); // kept for a decision
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadText(kDest), "new");
    // A missing destination is made by either commit.
    ReplacingFile fresh("C:\\r\\fresh.arc"), made("C:\\r\\made.arc");
    Write(fresh, "fresh");
    Write(made, "made");
    ASSERT_TRUE(fresh.CommitIfMissing());
    ASSERT_TRUE(made.Commit());
    EXPECT_EQ(ReadText("C:\\r\\fresh.arc"), "fresh");
    EXPECT_EQ(ReadText("C:\\r\\made.arc"), "made");
}

TEST_F(ReplacingFileTest, ADirectoryInTheWayIsRefusedBeforeAnyWork) {
    ASSERT_TRUE(CreateDirectory("C:\\r\\folder.arc"));
    try {
        ReplacingFile file("C:\\r\\folder.arc");
        FAIL() << "a directory was taken as the destination";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Code(), kErrorAccessDenied);
    }
    EXPECT_TRUE(DirectoryExists("C:\\r\\folder.arc"));
    for (const std::string& name : Others())
        EXPECT_EQ(name, "folder.arc");
}

TEST_F(ReplacingFileTest, AReadOnlyDestinationIsRefusedAtCommitAndKept) {
    ASSERT_TRUE(SetFileAttributes(kDest, kAttrReadOnly | kAttrArchive));
    ReplacingFile file(kDest);
    Write(file, "new");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(LastError(), kErrorAccessDenied);
    SetFileAttributes(kDest, kAttrArchive);
    EXPECT_EQ(ReadText(kDest), "the previous archive");
    EXPECT_TRUE(Others().empty());
}

#ifndef _WIN32
// A link at the destination is replaced itself; what it points to is never written.
TEST_F(ReplacingFileTest, ALinkAtTheDestinationIsReplacedNotFollowed) {
    const std::string target = prefix_.Host("drive_c/outside.arc");
    WriteText("C:\\outside.arc", "not ours");
    const std::string link = prefix_.Host("drive_c/r/linked.arc");
    std::filesystem::create_symlink(target, link);
    {
        ReplacingFile file("C:\\r\\linked.arc");
        Write(file, "new");
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText("C:\\r\\linked.arc"), "new");
    EXPECT_EQ(ReadText("C:\\outside.arc"), "not ours");
}
#endif

} // namespace
