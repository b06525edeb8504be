// ChangesDuringRunTest.cpp - files and folders that other programs make or remove while an
// extraction runs: every restore decision and folder creation sees the disk as it is.
#include "ExtractorFixture.h"

#include "archive/PathRoutines.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace vexo::extract::testing {
namespace {

namespace fs = std::filesystem;

const Bytes kOthers = {'m', 'i', 'n', 'e'};

enum class Holds { Others, Archived, Nothing };

// When the other program acts: before the second entry's restore decision, or after it,
// while the entry's data is written to its temporary file.
enum class Moment { BeforeDecision, WhileWritten };

struct DuringRun {
    const char* what;
    TRestoreAction action;
    const char* second;                                         // stored name after "a.txt"
    std::function<void(platform::ScopedTestPrefix&)> before;    // made before the run
    std::function<void(platform::ScopedTestPrefix&)> meanwhile; // host calls, second's turn
    const char* expectFile;                                     // under C:\out, spelt as on disk
    Holds holds;
    std::set<std::string> names; // what C:\out holds at the end, as spelt on disk
    Moment moment = Moment::BeforeDecision;
};

void HostWrite(const std::string& host) {
    std::ofstream(host, std::ios::binary) << "mine";
}

class ChangesDuringRun : public ExtractorFixture,
                         public ::testing::WithParamInterface<DuringRun> {};

TEST_P(ChangesDuringRun, DecideOnTheDisk) {
    const DuringRun& row = GetParam();
    const Bytes archived = Compressible(300);
    std::string arc = Build({{"a.txt", archived}, {row.second, archived}});
    if (row.before) row.before(prefix_);
    TExtractor x;
    Prepare(x, arc);
    x.SetRestoreAction(row.action);
    const std::string second = Out(row.second);
    bool secondStarted = false, actedWhileWritten = false;
    x.OnExtractFile = [&](archive::TArchiverRoot&, const archive::TFileEntry& entry, std::string&,
                          bool&) {
        if (entry.Name == "a.txt") {
            // The run asks about the second name first, so it is remembered before the change.
            (void)platform::FileExists(second);
            (void)platform::DirectoryExists(archive::ExtractFilePath(second));
            (void)platform::FileExists(Out("B.TXT"));
        } else if (row.moment == Moment::BeforeDecision) {
            row.meanwhile(prefix_);
        } else {
            secondStarted = true;
        }
    };
    x.OnFileProgress = [&](archive::TArchiverRoot&, int) {
        if (!secondStarted || actedWhileWritten) return;
        actedWhileWritten = true;
        row.meanwhile(prefix_);
    };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(actedWhileWritten, row.moment == Moment::WhileWritten);
    const std::string expect = Out(row.expectFile);
    if (row.holds != Holds::Nothing) {
        ASSERT_TRUE(platform::FileExists(expect));
        EXPECT_EQ(ReadFileBytes(expect), row.holds == Holds::Others ? kOthers : archived);
    } else {
        EXPECT_FALSE(platform::FileExists(expect));
    }
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(prefix_.Host("drive_c/out")))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, row.names);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChangesDuringRun,
    ::testing::Values(DuringRun{"SkipKeepsAFileMadeMeanwhile",
                                raSkip,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/b.txt")); },
                                "b.txt",
                                Holds::Others,
                                {"a.txt", "b.txt"}},
                      DuringRun{"SkipKeepsAFileMadeMeanwhileInOtherCase",
                                raSkip,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/B.TXT")); },
                                "B.TXT",
                                Holds::Others,
                                {"a.txt", "B.TXT"}},
                      DuringRun{"ExistingOnlyLeavesAFileRemovedMeanwhile",
                                raExistingOnly,
                                "b.txt",
                                [](auto& p) { HostWrite(p.Host("drive_c/out/b.txt")); },
                                [](auto& p) { fs::remove(p.Host("drive_c/out/b.txt")); },
                                "b.txt",
                                Holds::Nothing,
                                {}},
                      DuringRun{"AFolderMadeMeanwhileIsUsed",
                                raOverwrite,
                                "Sub\\c.txt",
                                nullptr,
                                [](auto& p) { fs::create_directory(p.Host("drive_c/out/SUB")); },
                                "SUB\\c.txt",
                                Holds::Archived,
                                {"a.txt", "SUB"}},
                      DuringRun{"AFolderRemovedMeanwhileIsMadeAgain",
                                raOverwrite,
                                "Sub\\c.txt",
                                [](auto& p) { fs::create_directory(p.Host("drive_c/out/Sub")); },
                                [](auto& p) { fs::remove(p.Host("drive_c/out/Sub")); },
                                "Sub\\c.txt",
                                Holds::Archived,
                                {"a.txt", "Sub"}},
                      DuringRun{"OverwriteReplacesAFileMadeMeanwhile",
                                raOverwrite,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/b.txt")); },
                                "b.txt",
                                Holds::Archived,
                                {"a.txt", "b.txt"}},
                      DuringRun{"SkipKeepsAFileMadeWhileWritten",
                                raSkip,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/b.txt")); },
                                "b.txt",
                                Holds::Others,
                                {"a.txt", "b.txt"},
                                Moment::WhileWritten},
                      DuringRun{"SkipKeepsAFileMadeWhileWrittenInOtherCase",
                                raSkip,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/B.TXT")); },
                                "B.TXT",
                                Holds::Others,
                                {"a.txt", "B.TXT"},
                                Moment::WhileWritten},
                      DuringRun{"UpdateKeepsANewerFileMadeWhileWritten",
                                raUpdate,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/b.txt")); },
                                "b.txt",
                                Holds::Others,
                                {"a.txt", "b.txt"},
                                Moment::WhileWritten},
                      DuringRun{"OverwriteReplacesAFileMadeWhileWritten",
                                raOverwrite,
                                "b.txt",
                                nullptr,
                                [](auto& p) { HostWrite(p.Host("drive_c/out/b.txt")); },
                                "b.txt",
                                Holds::Archived,
                                {"a.txt", "b.txt"},
                                Moment::WhileWritten}),
    [](const auto& row) { return std::string(row.param.what); });

} // namespace
} // namespace vexo::extract::testing
