// FormatTest.cpp - container records against the example installer's bytes, and damaged input.
#include "archive/Format.h"
#include "archive/ArchiveReader.h"
#include "archive/Exceptions.h"
#include "archive/Messages.h"
#include "archive/StreamIO.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vexo::archive {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& b, std::initializer_list<int> values) {
    for (int v : values)
        b.push_back(static_cast<std::uint8_t>(v));
}

// The first entry of the example installer's archive, as recorded at archive offset 325.
Bytes WorkedEntryBytes() {
    Bytes b;
    Append(b, {0x14, 0, 0, 0});
    const std::string name = "115_300-09\\ADMON.TAB";
    b.insert(b.end(), name.begin(), name.end());
    Append(b, {0x00, 0x18, 0xE8, 0xB4, 0x81, 0x66, 0x9B, 0x9B, 0x0E, 0x40}); // date
    Append(b, {0x20, 0x20, 0, 0});                                           // attributes
    Append(b, {0x01, 0});                                                    // segment
    Append(b, {0x45, 0x01, 0, 0});                                           // offset 325
    Append(b, {0, 0, 0, 0});                                                 // start position
    Append(b, {0x05});                                                       // flags
    Append(b, {0x9E, 0x13, 0, 0, 0x6F, 0x09, 0, 0, 0x9E, 0x13, 0, 0, 0x6F, 0x09, 0, 0});
    Append(b, {0x52}); // "R"
    return b;
}

TEST(FileEntry, WorkedFirstEntryReadsEveryField) {
    platform::MemoryStream s(WorkedEntryBytes());
    TFileEntry e;
    ReadFileEntry(s, e);
    EXPECT_EQ(s.Position(), 66);
    EXPECT_EQ(e.Name, "115_300-09\\ADMON.TAB");
    EXPECT_NEAR(e.Date, 39835.400416, 1e-6);
    EXPECT_EQ(e.Attributes, 0x2020);
    EXPECT_EQ(e.Segment, 1);
    EXPECT_EQ(e.Offset, 325);
    EXPECT_EQ(e.StartPosition, 0);
    EXPECT_EQ(e.Flags, kEntryStored | kEntryLastPiece);
    EXPECT_EQ(e.FileSize, 5022);
    EXPECT_EQ(e.FileStoredSize, 2415);
    EXPECT_EQ(e.PieceSize, 5022);
    EXPECT_EQ(e.PieceStoredSize, 2415);
    EXPECT_EQ(e.InstallRule, 'R');
    EXPECT_EQ(EntrySize(e), 66);
    // The next entry begins after the record and its data.
    EXPECT_EQ(e.Offset + EntrySize(e) + e.PieceStoredSize, 2806);
}

TEST(FileEntry, WorkedFirstEntryWritesBackIdentically) {
    platform::MemoryStream in(WorkedEntryBytes());
    TFileEntry e;
    ReadFileEntry(in, e);
    platform::MemoryStream out;
    WriteFileEntry(out, e);
    EXPECT_EQ(out.Bytes(), WorkedEntryBytes());
}

TEST(Locator, ExampleTrailer) {
    Bytes file(100, 0xAA);
    Append(file, {0x15, 0xCD, 0x5B, 0x07, 0xDD, 0x2F, 0x16, 0x00});
    platform::MemoryStream s(file);
    EXPECT_EQ(FindArchiveStart(s), 1454045);

    platform::MemoryStream w;
    WriteLocator(w, 1454045);
    EXPECT_EQ(w.Bytes(), Bytes(file.end() - 8, file.end()));
}

TEST(Locator, WrongMagicOrShortFileGivesZero) {
    platform::MemoryStream wrong(Bytes{0x16, 0xCD, 0x5B, 0x07, 0xDD, 0x2F, 0x16, 0x00});
    EXPECT_EQ(FindArchiveStart(wrong), 0);
    platform::MemoryStream tiny(Bytes{0x15, 0xCD, 0x5B});
    EXPECT_EQ(FindArchiveStart(tiny), 0);
}

TArchiveHeader ExampleHeader() {
    TArchiveHeader h;
    h.Signature = kArchiveSignature;
    h.Version = 1;
    h.ArchiveID = 6830156;
    h.BlockSize = 65536;
    h.EndOffset = 537953;
    h.Segment = 1;
    h.Flags = 0x12;
    h.ArchiveInfo = {26, 1652376, 535844};
    h.SegmentInfo = {26, 1652376, 535844};
    h.ApplicationArea[32] = 0x81;
    h.UserData[63] = 5;
    return h;
}

TEST(Header, SizeIs325PlusComment) {
    for (std::string comment : {"", "x", "a comment of some length"}) {
        TArchiveHeader h = ExampleHeader();
        h.Comment = comment;
        platform::MemoryStream s;
        WriteHeader(s, h);
        EXPECT_EQ(s.Size(), 325 + static_cast<std::int64_t>(comment.size()));
        EXPECT_EQ(HeaderSize(h), s.Size());
    }
}

TEST(Header, FieldOffsetsAndRoundTrip) {
    TArchiveHeader h = ExampleHeader();
    h.Comment = "hola";
    platform::MemoryStream s;
    WriteHeader(s, h);
    const Bytes& b = s.Bytes();
    EXPECT_EQ(Bytes(b.begin() + 52, b.begin() + 56), (Bytes{0x38, 0x12, 0, 0}));
    EXPECT_EQ(GetInt32At(&b[60]), 6830156);
    EXPECT_EQ(GetInt32At(&b[68]), 537953);
    EXPECT_EQ(GetInt32At(&b[72]), 1);
    EXPECT_EQ(b[76], 0x12);
    EXPECT_EQ(GetInt32At(&b[77]), 26);
    EXPECT_EQ(GetInt32At(&b[101]), 26);
    EXPECT_EQ(b[125 + 63], 5);
    EXPECT_EQ(GetInt32At(&b[321]), 4);

    s.SetPosition(0);
    TArchiveHeader back;
    ASSERT_TRUE(ReadHeader(s, back));
    EXPECT_EQ(back, h);
}

TEST(Header, SegmentKeepsLow16BitsAndAddingFileCountsOneMore) {
    TArchiveHeader h = ExampleHeader();
    platform::MemoryStream s;
    WriteHeader(s, h, kArchiveSignature, /*addingFile=*/true);
    EXPECT_EQ(GetInt32At(&s.Bytes()[101]), 27);
    PutInt32At(&s.Bytes()[72], 0x00030002);
    s.SetPosition(0);
    TArchiveHeader back;
    ASSERT_TRUE(ReadHeader(s, back));
    EXPECT_EQ(back.Segment, 2);
}

TEST(Header, WrongSignatureLeavesRecordZero) {
    TArchiveHeader h = ExampleHeader();
    platform::MemoryStream s;
    WriteHeader(s, h);
    s.SetPosition(0);
    TArchiveHeader back = h;
    EXPECT_FALSE(ReadHeader(s, back, 4665));
    EXPECT_EQ(back, TArchiveHeader{});
}

TEST(CheckedHeader, BadSignatureNamesTheFile) {
    platform::MemoryStream s(Bytes(400, 0));
    TMessages m;
    try {
        ReadCheckedHeader(s, 0, "C:\\INST\\ZPX10.EXE", m);
        FAIL() << "no exception";
    } catch (const EArchiver& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Firma Erronea: el archivo \"C:\\INST\\ZPX10.EXE\" no es valido");
    }
}

TEST(CheckedHeader, VersionTwoIsUnknownAfterWholeHeaderRead) {
    TArchiveHeader h = ExampleHeader();
    h.Version = 2;
    platform::MemoryStream s;
    WriteHeader(s, h);
    TMessages m;
    try {
        ReadCheckedHeader(s, 0, "X.EXE", m);
        FAIL() << "no exception";
    } catch (const EArchiver&) {
        FAIL() << "must be the general exception, not EArchiver";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), W1252("Versión desconocida"));
        EXPECT_EQ(s.Position(), 325);
    }
}

TEST(CheckedHeader, ShortFileRaisesStreamReadError) {
    TArchiveHeader h = ExampleHeader();
    platform::MemoryStream full;
    WriteHeader(full, h);
    for (std::size_t cut : {10u, 56u, 100u, 320u, 324u}) {
        platform::MemoryStream s(Bytes(full.Bytes().begin(), full.Bytes().begin() + cut));
        TMessages m;
        EXPECT_THROW(ReadCheckedHeader(s, 0, "X", m), platform::EReadError) << cut;
    }
}

struct BadLength {
    std::int32_t length;
    const char* what;
};

class DamagedNameLength : public ::testing::TestWithParam<BadLength> {};

TEST_P(DamagedNameLength, RefusedBeforeAllocating) {
    Bytes b = WorkedEntryBytes();
    PutInt32At(b.data(), GetParam().length);
    platform::MemoryStream s(b);
    TFileEntry e;
    // No file can hold the name: the stream's read error, before anything is allocated.
    EXPECT_THROW(ReadFileEntry(s, e), platform::EReadError);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DamagedNameLength,
                         ::testing::Values(BadLength{-1, "negative"},
                                           BadLength{INT32_MIN, "most negative"},
                                           BadLength{63, "one past the end"},
                                           BadLength{INT32_MAX, "huge"}));

TEST(DamagedComment, LengthBeyondStreamRefused) {
    TArchiveHeader h = ExampleHeader();
    platform::MemoryStream s;
    WriteHeader(s, h);
    PutInt32At(&s.Bytes()[321], 1'000'000'000);
    s.SetPosition(0);
    TArchiveHeader back;
    EXPECT_THROW(ReadHeader(s, back), platform::EReadError);
}

TEST(SegmentEntries, EndOffsetAndPieceSizesAreChecked) {
    TArchiveHeader h = ExampleHeader();
    h.EndOffset = 325 + 66;
    platform::MemoryStream s;
    WriteHeader(s, h);
    Bytes entry = WorkedEntryBytes();
    PutInt32At(&entry[61], 0); // no data
    s.WriteBuffer(entry.data(), entry.size());
    auto entries = ReadSegmentEntries(s, 0, h);
    ASSERT_EQ(entries.size(), 1u);

    h.EndOffset = 10'000; // beyond the file
    EXPECT_THROW(ReadSegmentEntries(s, 0, h), EArchiver);
    h.EndOffset = 325 + 66;
    PutInt32At(&s.Bytes()[325 + 61], 2415); // data beyond EndOffset
    EXPECT_THROW(ReadSegmentEntries(s, 0, h), EArchiver);
    PutInt32At(&s.Bytes()[325 + 61], -5);
    EXPECT_THROW(ReadSegmentEntries(s, 0, h), EArchiver);
}

struct SegmentCase {
    const char* fileName;
    int segment;
    const char* expected;
};

class SegmentNames : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentNames, FollowTheNamingRule) {
    const auto& c = GetParam();
    EXPECT_EQ(SegmentFileName(SplitArchiveFileName(c.fileName), c.segment), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, SegmentNames,
    ::testing::Values(SegmentCase{"C:\\Inst\\DISK-3.EXE", 1, "C:\\Inst\\DISK.EXE"},
                      SegmentCase{"C:\\Inst\\DISK-3.EXE", 2, "C:\\Inst\\DISK.001"},
                      SegmentCase{"C:\\Inst\\DISK-3.EXE", 12, "C:\\Inst\\DISK.011"},
                      SegmentCase{"C:\\Inst\\DISK-3.EXE", 1001, "C:\\Inst\\DISK.1000"},
                      SegmentCase{"C:\\Inst\\ZPX10.EXE", 1, "C:\\Inst\\ZPX10.EXE"},
                      SegmentCase{"C:\\Inst\\ZPX10.EXE", 2, "C:\\Inst\\ZPX10.001"},
                      SegmentCase{"C:\\Inst\\PAQUETE", 1, "C:\\Inst\\PAQUETE"},
                      SegmentCase{"\\\\srv\\share\\A-12.EXE", 3, "\\\\srv\\share\\A.002"}));

TEST(NameSplit, Parts) {
    auto p = SplitArchiveFileName("C:\\Inst\\DISK-3.EXE");
    EXPECT_EQ(p.Drive, "C:");
    EXPECT_EQ(p.Directory, "\\Inst\\");
    EXPECT_EQ(p.BaseName, "DISK");
    EXPECT_EQ(p.Extension, ".EXE");
    EXPECT_EQ(SplitArchiveFileName("C:\\Inst\\ZPX10.EXE").BaseName, "ZPX10");
    EXPECT_EQ(SplitArchiveFileName("PAQUETE").Extension, "");
}

TEST(StartOffset, OnlyExeFilesWithSfxCode) {
    EXPECT_EQ(StartOffsetFor("C:\\I\\ZPX10.EXE", 1454045), 1454045);
    EXPECT_EQ(StartOffsetFor("C:\\I\\zpx10.exe", 1454045), 1454045);
    EXPECT_EQ(StartOffsetFor("C:\\I\\ZPX10.001", 1454045), 0);
    EXPECT_EQ(StartOffsetFor("C:\\I\\ZPX10.EXE", 0), 0);
}

} // namespace
} // namespace vexo::archive
