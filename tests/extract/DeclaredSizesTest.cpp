// DeclaredSizesTest.cpp - the sizes an entry record declares bound what is written: a piece
// decodes to exactly its PieceSize, lies inside FileSize, and the pieces make up the file. A
// mismatch is a damaged entry: the old file stays, the run goes on, the test run reports it.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/SegmentedArchiveWriter.h"
#include "platform/Encoding.h"

#include <limits>

namespace vexo::extract::testing {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

struct SizeCase {
    const char* what;
    Bytes data;                 // what the blocks decode to
    bool compressed;            // one zlib block instead of stored ones
    std::size_t blocks;         // stored blocks of `data` each (the piece repeats it)
    std::int32_t fileSize;      // declared
    std::int32_t pieceSize;     // declared
    std::int32_t startPosition; // declared
};

std::vector<SizeCase> DamagedCases() {
    const Bytes hundred = Compressible(100);
    return {
        {"DecodesToMoreThanDeclared", Compressible(200), false, 1, 100, 100, 0},
        {"DecodesToLessThanDeclared", Compressible(50), false, 1, 100, 100, 0},
        {"InflatesFarBeyondDeclared", Compressible(60000), true, 1, 100, 100, 0},
        {"EndlessBlocksPastDeclared", hundred, false, 40, 100, 100, 0},
        {"PieceStartsPastFileSize", hundred, false, 1, 100, 100, 150},
        {"PieceEndsPastFileSize", hundred, false, 1, 100, 100, 50},
        {"NegativeStartPosition", hundred, false, 1, 100, 100, -100},
        {"SumWrapsAroundInt32", hundred, false, 1, kInt32Max, 100, kInt32Max - 50},
        {"NegativePieceSize", hundred, false, 1, 100, -100, 0},
        {"PieceShortOfTheFile", hundred, false, 1, 300, 100, 0},
        {"EmptyFileWithStoredBytes", hundred, false, 1, 0, 0, 0},
    };
}

class DamagedSizes : public ExtractorFixture, public ::testing::WithParamInterface<SizeCase> {
  protected:
    // The damaged "a.txt" between two sound files.
    std::string BuildCase() {
        const SizeCase& c = GetParam();
        RawEntry before{SoundEntry("0.txt", first_), {}};
        before.blocks = MakeBlock(first_, true);
        RawEntry bad;
        bad.entry.Name = "a.txt";
        bad.entry.Date = EntryDate();
        bad.entry.Attributes = 0x20;
        bad.entry.FileSize = c.fileSize;
        bad.entry.PieceSize = c.pieceSize;
        bad.entry.StartPosition = c.startPosition;
        for (std::size_t i = 0; i < c.blocks; ++i) {
            const Bytes block =
                c.compressed ? MakeBlock(ZlibStream(c.data), false) : MakeBlock(c.data, true);
            bad.blocks.insert(bad.blocks.end(), block.begin(), block.end());
        }
        RawEntry after{SoundEntry("z.txt", last_), MakeBlock(last_, true)};
        return BuildRaw({before, bad, after});
    }

    static archive::TFileEntry SoundEntry(const std::string& name, const Bytes& data) {
        archive::TFileEntry e;
        e.Name = name;
        e.Date = EntryDate();
        e.Attributes = 0x20;
        e.FileSize = static_cast<std::int32_t>(data.size());
        return e;
    }

    Bytes first_ = Compressible(300);
    Bytes last_ = Compressible(400);
};

TEST_P(DamagedSizes, ExtractionRefusesTheEntryKeepsTheOldFileAndGoesOn) {
    const std::string arc = BuildCase();
    const Bytes previous = Compressible(77);
    WriteFileBytes(Out("a.txt"), previous);
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    std::vector<std::string> errors;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e,
                    const archive::TFileEntry& entry,
                    archive::TErrorAction&) { errors.push_back(entry.Name + ": " + e.what()); };
    x.Open();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(errors, std::vector<std::string>{"a.txt: " + x.Messages().BadCRC});
    EXPECT_EQ(ReadFileBytes(Out("a.txt")), previous);
    EXPECT_EQ(ReadFileBytes(Out("0.txt")), first_);
    EXPECT_EQ(ReadFileBytes(Out("z.txt")), last_);
    // No temporary file of the refused entry is left behind.
    EXPECT_EQ(platform::FindFiles(Out("~vx*.tmp")).size(), 0u);
}

TEST_P(DamagedSizes, TestRunReportsTheEntryAndPassesTheOthers) {
    const std::string arc = BuildCase();
    TExtractor x;
    Prepare(x, arc);
    std::vector<std::string> failures;
    x.Open();
    x.TestArchive([&](const archive::TFileEntry& entry, const std::exception& e) {
        failures.push_back(entry.Name + ": " + e.what());
    });
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(failures, std::vector<std::string>{"a.txt: " + x.Messages().BadCRC});
}

INSTANTIATE_TEST_SUITE_P(Records, DamagedSizes, ::testing::ValuesIn(DamagedCases()),
                         [](const ::testing::TestParamInfo<SizeCase>& row) {
                             return std::string(row.param.what);
                         });

TEST_F(ExtractorFixture, AnEndlessPieceStopsAtItsDeclaredSizeBeforeWritingTheExcess) {
    // 40 blocks of 1000 bytes declared as 1000: the second block is never written.
    RawEntry bad;
    bad.entry.Name = "big.bin";
    bad.entry.Date = EntryDate();
    bad.entry.FileSize = bad.entry.PieceSize = 1000;
    const Bytes block = MakeBlock(Compressible(1000), true);
    for (int i = 0; i < 40; ++i)
        bad.blocks.insert(bad.blocks.end(), block.begin(), block.end());
    const std::string arc = BuildRaw({bad});
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    std::int64_t largest = 0;
    // Every write goes through the output stream: its size is watched at each progress point.
    x.OnFileProgress = [&](archive::TArchiverRoot&, int) {
        for (const auto& f : platform::FindFiles(Out("~vx*.tmp")))
            largest = std::max<std::int64_t>(largest, archive::GetFileSize(Out(f.name)));
    };
    x.Open();
    x.ExtractAll();
    EXPECT_FALSE(platform::FileExists(Out("big.bin")));
    EXPECT_LE(largest, 1000);
}

// Two files spread over three segments; the middle file's pieces are then given sizes that
// do not add up.
class DamagedPieces : public ExtractorFixture {
  protected:
    std::vector<std::string> BuildSpanning() {
        archive::ArchiveWriterOptions options;
        options.ArchiveID = 5;
        options.Store = true;
        archive::SegmentedArchiveWriter writer("C:\\work\\DISK.ARC", options, 150000);
        writer.AddFile("sub\\middle.bin", EntryDate(), 0x20, 'R', middle_);
        writer.AddFile("last.txt", EntryDate(), 0x20, 'R', last_);
        writer.Finish();
        return writer.SegmentNames();
    }

    // Rewrites one int32 field of the first record of a segment (offsets past the name).
    static void PatchFirstRecord(const std::string& segment, std::int64_t fieldAfterName,
                                 std::int32_t value) {
        auto s = platform::OpenFile(segment, platform::OpenMode::ReadWrite);
        archive::TArchiveHeader h;
        ASSERT_TRUE(archive::ReadHeader(*s, h));
        const std::int64_t record = s->Position();
        archive::TFileEntry e;
        archive::ReadFileEntry(*s, e);
        s->SetPosition(record + fieldAfterName + static_cast<std::int64_t>(e.Name.size()));
        archive::WriteInt32(*s, value);
    }

    static archive::TFileEntry FirstRecord(const std::string& segment) {
        auto s = platform::OpenFile(segment, platform::OpenMode::Read);
        archive::TArchiveHeader h;
        EXPECT_TRUE(archive::ReadHeader(*s, h));
        archive::TFileEntry e;
        archive::ReadFileEntry(*s, e);
        return e;
    }

    Bytes middle_ = RandomBytes(330000, 3);
    Bytes last_ = Compressible(500);
};

// Field offsets past the name in an entry record.
constexpr std::int64_t kStartPositionField = 24;
constexpr std::int64_t kPieceSizeField = 37;

TEST_F(DamagedPieces, SoundPiecesExtractWhole) {
    BuildSpanning();
    TExtractor x;
    Prepare(x, "C:\\work\\DISK.ARC");
    x.Open();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("sub\\middle.bin")), middle_);
}

TEST_F(DamagedPieces, AContinuationThatDoesNotFollowItsPieceIsADamagedEntry) {
    struct Row {
        const char* what;
        std::int64_t field;
        std::int32_t delta; // added to the continuation's stored value
    };
    const Row rows[] = {
        {"starts later (a hole)", kStartPositionField, 100},
        {"starts earlier (an overlap)", kStartPositionField, -100},
        {"declares more than it decodes", kPieceSizeField, 1},
        {"declares less than it decodes", kPieceSizeField, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        platform::DeleteFile(Out("sub\\middle.bin"));
        const auto names = BuildSpanning();
        ASSERT_EQ(names.size(), 3u);
        const archive::TFileEntry second = FirstRecord(names[1]);
        const std::int32_t stored =
            row.field == kStartPositionField ? second.StartPosition : second.PieceSize;
        PatchFirstRecord(names[1], row.field, stored + row.delta);
        TExtractor x;
        Prepare(x, names[0]);
        x.SetErrorAction(archive::eaContinue);
        std::vector<std::string> errors;
        x.OnError = [&](archive::TArchiverRoot&, const std::exception& e,
                        const archive::TFileEntry& entry,
                        archive::TErrorAction&) { errors.push_back(entry.Name + ": " + e.what()); };
        x.Open();
        x.ExtractAll();
        EXPECT_EQ(errors, std::vector<std::string>{"sub\\middle.bin: " + x.Messages().BadCRC});
        EXPECT_FALSE(platform::FileExists(Out("sub\\middle.bin")));
        EXPECT_EQ(ReadFileBytes(Out("last.txt")), last_);
    }
}

TEST_F(DamagedPieces, ASingleSegmentPieceStaysInsideTheFileItIsWrittenInto) {
    // A piece opened on its own is written in place at its StartPosition; one that would reach
    // past FileSize is refused and the existing file keeps its size.
    const auto names = BuildSpanning();
    const archive::TFileEntry second = FirstRecord(names[1]);
    PatchFirstRecord(names[1], kStartPositionField, second.FileSize - second.PieceSize + 1);
    const Bytes existing = Compressible(330000);
    ASSERT_TRUE(platform::CreateDirectory(Out("sub")));
    WriteFileBytes(Out("sub\\middle.bin"), existing);
    TExtractor x;
    Prepare(x, names[1]);
    x.SetOptions(x.Options() | archive::OptionBit(archive::oOpenSingleSegment));
    x.SetErrorAction(archive::eaContinue);
    int errors = 0;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception&, const archive::TFileEntry&,
                    archive::TErrorAction&) { ++errors; };
    x.Open();
    x.ExtractAll();
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(ReadFileBytes(Out("sub\\middle.bin")), existing);
}

} // namespace
} // namespace vexo::extract::testing
