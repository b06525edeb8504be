// WriteFaultTest.cpp - every failure point of a three-file extraction over existing files:
// each file on disk afterwards is its old or its new version, whole, no temporary file is
// left, and the failure is reported with its own text.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/Prompts.h"
#include "platform/FaultInjection.h"

#include <algorithm>
#include <map>
#include <set>

namespace vexo::extract::testing {
namespace {

using platform::FaultKind;

const std::string kWriteError = "Stream write error";

std::string CannotCreate(const std::string& file) {
    return "No puedo crear el Archivo C:\\out\\" + file;
}

struct Version {
    Bytes before; // empty: the file does not exist before the run
    Bytes after;
    std::uint32_t attributesBefore = platform::kAttrArchive;
};

// a.txt spans three blocks, b.txt is read-only before the run, c.txt is new.
std::map<std::string, Version> Files() {
    std::map<std::string, Version> files;
    files["a.txt"] = {RandomBytes(9000, 7), RandomBytes(150000, 1)};
    files["b.txt"] = {Compressible(123), Compressible(70000),
                      platform::kAttrReadOnly | platform::kAttrArchive};
    files["c.txt"] = {{}, Compressible(5000)};
    return files;
}

std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& f : platform::FindFiles(dir + "\\*"))
        if (f.name != "." && f.name != "..") names.push_back(f.name);
    std::sort(names.begin(), names.end());
    return names;
}

struct FaultCase {
    const char* name;
    FaultKind kind;
    bool persistent;
    archive::TErrorAction policy; // eaContinue goes on; eaAsk is answered "No" and stops
};

std::string ErrorText(FaultKind kind, const std::string& file) {
    return kind == FaultKind::Write || kind == FaultKind::DiskFull ? kWriteError
                                                                   : CannotCreate(file);
}

class WriteFaults : public ExtractorFixture, public ::testing::WithParamInterface<FaultCase> {
  protected:
    void SetUp() override {
        ExtractorFixture::SetUp();
        files_ = Files();
        std::vector<SourceFile> sources;
        for (const auto& [name, v] : files_)
            sources.push_back({name, v.after});
        archive_ = Build(sources);
    }

    void PutOldFiles() {
        for (const auto& name : Listing(kOut)) {
            platform::SetFileAttributes(Out(name), platform::kAttrArchive);
            ASSERT_TRUE(platform::DeleteFile(Out(name))) << name;
        }
        for (const auto& [name, v] : files_) {
            if (v.before.empty()) continue;
            WriteFileBytes(Out(name), v.before);
            platform::SetFileAttributes(Out(name), v.attributesBefore);
        }
    }

    std::map<std::string, Version> files_;
    std::string archive_;
};

TEST_P(WriteFaults, EveryFilePointLeavesOldOrNewWholeAndNoTemporaryFile) {
    const FaultCase& c = GetParam();
    int points = 0;
    for (int nth = 1;; ++nth) {
        ASSERT_LT(nth, 100) << "the fault never stopped firing";
        SCOPED_TRACE("failing call " + std::to_string(nth));
        PutOldFiles();
        prompts_.Clear();
        TExtractor x;
        Prepare(x, archive_);
        x.SetErrorAction(c.policy);
        std::vector<std::pair<std::string, std::string>> errors; // entry, text
        if (c.policy == archive::eaContinue)
            x.OnError = [&](archive::TArchiverRoot&, const std::exception& e,
                            const archive::TFileEntry& entry,
                            archive::TErrorAction&) { errors.emplace_back(entry.Name, e.what()); };
        else
            prompts_.QueueResult(archive::ContinueAnswer::No);
        int failures = 0;
        {
            platform::ScopedFaults faults;
            platform::InjectFault(c.kind, {nth, c.persistent});
            try {
                x.ExtractAll();
            } catch (const archive::EAbort&) {
                EXPECT_EQ(c.policy, archive::eaAsk); // "No" ends the run silently
            }
            failures = platform::FaultFailureCount(c.kind);
        }
        if (c.policy == archive::eaAsk) {
            // The continue prompt carries the failure's text and the entry's name.
            for (const auto& view : prompts_.Records()) {
                ASSERT_EQ(view.Kind, archive::PromptKind::Continue);
                ASSERT_GE(view.Lines.size(), 4u);
                errors.emplace_back(view.Lines[3], view.Lines[1]);
            }
        }

        // Every file is its old or its new version, whole; new exactly when no error named it.
        std::set<std::string> failed;
        for (const auto& [entry, text] : errors) {
            EXPECT_EQ(text, ErrorText(c.kind, entry));
            failed.insert(entry);
        }
        bool stopped = false;
        for (const auto& [name, v] : files_) {
            const bool expectNew = !stopped && failed.count(name) == 0;
            if (failed.count(name) != 0 && c.policy == archive::eaAsk) stopped = true;
            if (expectNew) {
                EXPECT_EQ(ReadFileBytes(Out(name)), v.after) << name;
                EXPECT_EQ(platform::GetFileAttributes(Out(name)), platform::kAttrArchive) << name;
            } else if (v.before.empty()) {
                EXPECT_FALSE(platform::FileExists(Out(name))) << name;
            } else {
                EXPECT_EQ(ReadFileBytes(Out(name)), v.before) << name;
                EXPECT_EQ(platform::GetFileAttributes(Out(name)), v.attributesBefore) << name;
            }
        }
        // Nothing but the three names: no temporary file survives a failure.
        std::vector<std::string> listing = Listing(kOut);
        for (const auto& name : listing)
            EXPECT_TRUE(files_.count(name) != 0) << "left behind: " << name;

        if (failures == 0) {
            EXPECT_TRUE(errors.empty());
            EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
            break;
        }
        ++points;
        EXPECT_FALSE(errors.empty());
        EXPECT_EQ(x.OperationStatus(), c.policy == archive::eaContinue
                                           ? archive::TOperationStatus::Completed
                                           : archive::TOperationStatus::RunningOrFailed);
    }
    // Each kind has a failure point in every file (two for a file's several writes).
    EXPECT_GE(points, c.persistent ? 1 : 3);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPoint, WriteFaults,
    // A full disk stays full: one short write alone is retried and lands whole.
    ::testing::Values(FaultCase{"Write", FaultKind::Write, false, archive::eaContinue},
                      FaultCase{"DiskFull", FaultKind::DiskFull, true, archive::eaContinue},
                      FaultCase{"Rename", FaultKind::Rename, false, archive::eaContinue},
                      FaultCase{"CreateFile", FaultKind::CreateFile, false, archive::eaContinue},
                      FaultCase{"WriteFromThenOn", FaultKind::Write, true, archive::eaContinue},
                      FaultCase{"RenameFromThenOn", FaultKind::Rename, true, archive::eaContinue},
                      FaultCase{"WriteAnswerNo", FaultKind::Write, false, archive::eaAsk},
                      FaultCase{"DiskFullAnswerNo", FaultKind::DiskFull, true, archive::eaAsk},
                      FaultCase{"RenameAnswerNo", FaultKind::Rename, false, archive::eaAsk},
                      FaultCase{"CreateFileAnswerNo", FaultKind::CreateFile, false,
                                archive::eaAsk}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace vexo::extract::testing
