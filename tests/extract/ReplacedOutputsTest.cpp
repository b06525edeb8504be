// ReplacedOutputsTest.cpp - segment sets and cipher outputs that fail or stop before their end
// leave the previous files whole and no temporary file.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/SegmentedArchiveWriter.h"
#include "extract/BlowFish.h"
#include "platform/FaultInjection.h"
#include "platform/TemporaryFiles.h"

#include <climits>

#include <map>

namespace vexo::extract::testing {
namespace {

using Files = std::map<std::string, Bytes>;

// Every file of C:\work by name, with its bytes.
Files WorkFiles() {
    Files files;
    for (const platform::FindEntry& e : platform::FindFiles("C:\\work\\*"))
        if ((e.attributes & platform::kAttrDirectory) == 0)
            files[e.name] = ReadFileBytes("C:\\work\\" + e.name);
    return files;
}

class ReplacedOutputs : public ExtractorFixture {
  protected:
    // A segmented archive of one file of `data`; the segment names.
    static std::vector<std::string> BuildSet(const Bytes& data,
                                             const std::string& name = "C:\\work\\parts.arc") {
        archive::ArchiveWriterOptions o;
        o.BlockSize = 1024;
        o.Store = true;
        archive::SegmentedArchiveWriter w(name, o, 2500);
        w.AddFile("big.bin", EntryDate(), 0x20, 'R', data);
        w.Finish();
        return w.SegmentNames();
    }
    // Extracts C:\work\parts.arc and answers with what big.bin became.
    Bytes ExtractSet() {
        TExtractor x;
        Prepare(x, "C:\\work\\parts.arc");
        x.ExtractAll();
        EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
        return ReadFileBytes(Out("big.bin"));
    }

    platform::ScopedFaults faults_;
};

struct SetFailure {
    const char* what;
    platform::FaultKind fault;
    int nth;                 // the failing call; 0: a quarter of the writes of the whole build
    bool persistent = false; // that call and every later one fail
};

// The previous set has four segments of 2.5 KB; the new one would have six.
const SetFailure kSetFailures[] = {
    {"the second segment cannot be created", platform::FaultKind::CreateFile, 2},
    {"a write in the second segment fails", platform::FaultKind::Write, 0},
    {"the disk fills in the second segment", platform::FaultKind::DiskFull, 0, true},
    {"the first rename is refused", platform::FaultKind::Rename, 1},
    {"the last rename is refused", platform::FaultKind::Rename, 6},
};

TEST_F(ReplacedOutputs, AFailedSegmentedBuildLeavesThePreviousSetWhole) {
    const Bytes previous = RandomBytes(7000, 1);
    ASSERT_EQ(BuildSet(previous).size(), 4u);
    const Files before = WorkFiles();
    const Bytes next = RandomBytes(12000, 2);
    // The same build elsewhere counts its writes and its segments.
    platform::InjectFault(platform::FaultKind::Write, {.nth = INT_MAX});
    ASSERT_EQ(BuildSet(next, Out("count.arc")).size(), 6u);
    const int writes = platform::FaultCallCount(platform::FaultKind::Write);
    for (const SetFailure& f : kSetFailures) {
        SCOPED_TRACE(f.what);
        platform::ResetFaults();
        platform::InjectFault(f.fault,
                              {.nth = f.nth != 0 ? f.nth : writes / 4, .persistent = f.persistent});
        EXPECT_ANY_THROW(BuildSet(next));
        EXPECT_GE(platform::FaultFailureCount(f.fault), 1);
        platform::ResetFaults();
        if (f.fault != platform::FaultKind::Rename || f.nth == 1) {
            EXPECT_EQ(WorkFiles(), before); // nothing new, nothing torn, no temporary file
            EXPECT_EQ(ExtractSet(), previous);
        } else {
            // Renamed one by one, a refusal past the first leaves a mixed set; still no
            // temporary file remains.
            for (const auto& [name, bytes] : WorkFiles())
                EXPECT_FALSE(platform::IsTemporaryName(name)) << name;
        }
    }
}

TEST_F(ReplacedOutputs, ASegmentedBuildReplacesTheSetWhenItSucceeds) {
    ASSERT_EQ(BuildSet(RandomBytes(7000, 1)).size(), 4u);
    const Bytes next = RandomBytes(9000, 3);
    const std::vector<std::string> names = BuildSet(next);
    ASSERT_EQ(names.size(), 5u);
    const Files after = WorkFiles();
    EXPECT_EQ(after.size(), names.size());
    for (const auto& [name, bytes] : after)
        EXPECT_FALSE(platform::IsTemporaryName(name)) << name;
    EXPECT_EQ(ExtractSet(), next);
}

// --- the cipher's file output ----------------------------------------------------------------

struct CipherFailure {
    const char* what;
    platform::FaultKind fault;
    platform::FaultPlan plan;
};

const CipherFailure kCipherFailures[] = {
    {"the second chunk's write fails", platform::FaultKind::Write, {.nth = 2}},
    {"the disk fills", platform::FaultKind::DiskFull, {.nth = 1, .persistent = true}},
    {"the rename is refused", platform::FaultKind::Rename, {.nth = 1}},
};

TEST_F(ReplacedOutputs, AFailedCipherRunKeepsThePreviousOutput) {
    WriteFileBytes("C:\\work\\plain.bin", RandomBytes(3 * 4096 + 10, 4));
    const Bytes old = Compressible(500);
    WriteFileBytes("C:\\work\\secret.bin", old);
    const Files before = WorkFiles();
    for (const CipherFailure& f : kCipherFailures) {
        SCOPED_TRACE(f.what);
        platform::ResetFaults();
        platform::InjectFault(f.fault, f.plan);
        TBlowFish cipher;
        cipher.SetKey("Clave de ficheros");
        cipher.SetInputType(TSourceType::SourceFile);
        cipher.SetInputFilePath("C:\\work\\plain.bin");
        cipher.SetOutputFilePath("C:\\work\\secret.bin");
        EXPECT_ANY_THROW(cipher.Encrypt(false));
        EXPECT_GE(platform::FaultFailureCount(f.fault), 1);
        platform::ResetFaults();
        EXPECT_EQ(WorkFiles(), before);
    }
}

} // namespace
} // namespace vexo::extract::testing
