// ExtractorSegmentsTest.cpp - archives spread over several segment files: spanning files, moved
// segments, foreign segments and continuation checks.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/SegmentedArchiveWriter.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

class Segments : public ExtractorFixture {
  protected:
    // Three segments of 150,000 bytes; the middle file (random, 330,000 bytes) spans all three.
    std::vector<std::string> BuildThree(const std::string& name = "C:\\work\\DISK-1.ARC",
                                        std::int32_t archiveId = 99) {
        archive::ArchiveWriterOptions options;
        options.ArchiveID = archiveId;
        archive::SegmentedArchiveWriter writer(name, options, 150000);
        writer.AddFile("first.txt", EntryDate(), 0x20, 'R', first_);
        writer.AddFile("sub\\middle.bin", EntryDate(), 0x20, 'R', middle_);
        writer.AddFile("last.txt", EntryDate(), 0x20, 'R', last_);
        writer.Finish();
        return writer.SegmentNames();
    }

    void ExpectAllExtracted() {
        EXPECT_EQ(ReadFileBytes(Out("first.txt")), first_);
        EXPECT_EQ(ReadFileBytes(Out("sub\\middle.bin")), middle_);
        EXPECT_EQ(ReadFileBytes(Out("last.txt")), last_);
    }

    Bytes first_ = Compressible(5000);
    Bytes middle_ = RandomBytes(330000, 11);
    Bytes last_ = Compressible(777);
};

TEST_F(Segments, WriterNamesSegmentsAndSplitsTheMiddleFileIntoThreePieces) {
    auto names = BuildThree();
    ASSERT_EQ(names, (std::vector<std::string>{"C:\\work\\DISK.ARC", "C:\\work\\DISK.001",
                                               "C:\\work\\DISK.002"}));
    int pieces = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto s = platform::OpenFile(names[i], platform::OpenMode::Read);
        archive::TArchiveHeader h;
        ASSERT_TRUE(archive::ReadHeader(*s, h));
        EXPECT_EQ(h.Segment, i + 1);
        EXPECT_EQ((h.Flags & archive::kHeaderFinalSegment) != 0, i == 2);
        while (s->Position() < h.EndOffset) {
            archive::TFileEntry e;
            archive::ReadFileEntry(*s, e);
            if (e.Name == "sub\\middle.bin") {
                ++pieces;
                EXPECT_EQ(e.FileSize, 330000);
                EXPECT_EQ((e.Flags & archive::kEntryLastPiece) != 0, i == 2);
            }
            s->Seek(e.PieceStoredSize, platform::SeekOrigin::Current);
        }
        if (i == 2) {
            EXPECT_EQ(h.ArchiveInfo.FileCount, 3);
        }
    }
    EXPECT_EQ(pieces, 3);
}

TEST_F(Segments, ThreeSegmentArchiveExtractsByteForByte) {
    BuildThree();
    TExtractor x;
    Prepare(x, "C:\\work\\DISK.ARC");
    int changes = 0;
    std::vector<int> percents;
    x.OnSegmentChanged = [&](archive::TArchiverRoot&) { ++changes; };
    x.OnFileProgress = [&](archive::TArchiverRoot&, int p) { percents.push_back(p); };
    x.Open();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    ExpectAllExtracted();
    EXPECT_GE(changes, 3); // back to 1 after finding the final segment, then 2 and 3
    EXPECT_TRUE(prompts_.Records().empty());
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    for (int p : percents)
        EXPECT_LE(p, 100);
}

TEST_F(Segments, MovedSegmentIsFoundThroughTheLocatePrompt) {
    auto names = BuildThree();
    ASSERT_TRUE(platform::CreateDirectory("C:\\moved"));
    ASSERT_TRUE(platform::RenameFile(names[1], "C:\\moved\\DISK.001"));
    TExtractor x;
    Prepare(x, "C:\\work\\DISK.ARC");
    // Opening looks for the final segment and stops at the gap: the locate-last prompt.
    prompts_.QueueText("C:\\work\\DISK.002");
    x.Open();
    // Extracting needs segment 2 from its new place; segment 3 is then looked for beside it.
    prompts_.QueueText("C:\\moved\\DISK.001");
    prompts_.QueueText("C:\\work\\DISK.002");
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    ExpectAllExtracted();
    ASSERT_EQ(prompts_.Records().size(), 3u);
    EXPECT_EQ(prompts_.Records()[0].Lines.at(0), "Localiza el ultimo segmento del archivo DISK");
    EXPECT_EQ(prompts_.Records()[1].Lines.at(0), "Introduzca Directorio del archivo.");
    EXPECT_EQ(prompts_.Records()[1].Value, "C:\\work\\DISK.001");
    EXPECT_EQ(prompts_.Records()[2].Value, "C:\\moved\\DISK.002");
}

TEST_F(Segments, SegmentOfAnotherArchiveIsRefused) {
    auto names = BuildThree();
    BuildThree("C:\\work\\OTHER-1.ARC", 12345);
    ASSERT_TRUE(platform::DeleteFile(names[1]));
    TExtractor x;
    Prepare(x, "C:\\work\\DISK.ARC");
    prompts_.QueueText("C:\\work\\DISK.002");
    x.Open();
    prompts_.QueueText("C:\\work\\OTHER.001"); // same segment number, other archive
    prompts_.QueueResult(archive::MessageResult::idOK);
    prompts_.QueueText(std::nullopt); // then Cancel
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
    ASSERT_EQ(prompts_.Records().size(), 4u);
    EXPECT_EQ(prompts_.Records()[2].Lines.at(0),
              W1252("No es el segmento Nº: 2 del archivo DISK!"));
    EXPECT_EQ(prompts_.Records()[2].Caption, "Advertencia");
}

TEST_F(Segments, ContinuationWithAnotherDateIsNotTheNextSegment) {
    auto names = BuildThree();
    {
        // Rewrite the date of the continuation entry at the start of segment 2.
        auto s = platform::OpenFile(names[1], platform::OpenMode::ReadWrite);
        archive::TArchiveHeader h;
        ASSERT_TRUE(archive::ReadHeader(*s, h));
        std::int64_t at = s->Position();
        archive::TFileEntry e;
        archive::ReadFileEntry(*s, e);
        ASSERT_EQ(e.Name, "sub\\middle.bin");
        e.Date += 1;
        s->SetPosition(at);
        archive::WriteFileEntry(*s, e);
    }
    TExtractor x;
    Prepare(x, "C:\\work\\DISK.ARC");
    std::string error;
    x.SetErrorAction(archive::eaAbort);
    try {
        x.ExtractAll();
    } catch (const archive::EArchiver& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "El segmento no es el siguente en la sequencia");
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
}

TEST_F(Segments, SingleSegmentOptionReadsOnlyTheOpenedFile) {
    auto names = BuildThree();
    TExtractor x;
    Prepare(x, names[2]);
    x.SetOptions(x.Options() | archive::OptionBit(archive::oOpenSingleSegment));
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("last.txt")), last_);
    EXPECT_FALSE(platform::FileExists(Out("first.txt")));
    EXPECT_TRUE(prompts_.Records().empty());
}

} // namespace
} // namespace vexo::extract::testing
