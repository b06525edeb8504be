// ReplaceSafelyTest.cpp - a file being replaced survives a damaged block, a failed
// decompression and a cancel; pieces written at a start position still go in place; the
// temporary output's own rules.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "extract/SafeOutputFile.h"
#include "platform/FaultInjection.h"

#include <algorithm>

namespace vexo::extract::testing {
namespace {

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& f : platform::FindFiles(dir + "\\*"))
        if (f.name != "." && f.name != "..") names.push_back(f.name);
    std::sort(names.begin(), names.end());
    return names;
}

RawEntry TwoBlockEntry(const std::string& name, const Bytes& first, const Bytes& second,
                       bool damageSecond) {
    RawEntry r;
    r.entry.Name = name;
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    r.entry.FileSize = static_cast<std::int32_t>(first.size() + second.size());
    r.blocks = MakeBlock(ZlibStream(first), false);
    Bytes tail = MakeBlock(ZlibStream(second), false);
    if (damageSecond) tail[12] ^= 0x40;
    r.blocks.insert(r.blocks.end(), tail.begin(), tail.end());
    return r;
}

struct Breakage {
    const char* name;
    std::function<RawEntry(const Bytes&, const Bytes&)> make;
    std::string text;
};

class BrokenReplacement : public ExtractorFixture,
                          public ::testing::WithParamInterface<Breakage> {};

TEST_P(BrokenReplacement, KeepsThePreviousFileAndLeavesNoTemporary) {
    const Bytes old = RandomBytes(777, 3);
    WriteFileBytes(Out("keep.txt"), old);
    const Bytes first = Compressible(1024), second = Compressible(1024);
    std::string arc = BuildRaw({GetParam().make(first, second)}, 1024);
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    std::string error;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { error = e.what(); };
    x.ExtractAll();
    EXPECT_EQ(error, GetParam().text);
    EXPECT_EQ(ReadFileBytes(Out("keep.txt")), old);
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"keep.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Failures, BrokenReplacement,
    ::testing::Values(Breakage{"ChecksumOfTheSecondBlock",
                               [](const Bytes& a, const Bytes& b) {
                                   return TwoBlockEntry("keep.txt", a, b, true);
                               },
                               "CRC incorrecto: los datos dentro del archivo estan corrompidos"},
                      Breakage{"SecondBlockDoesNotInflate",
                               [](const Bytes& a, const Bytes&) {
                                   RawEntry r = TwoBlockEntry("keep.txt", a, a, false);
                                   // The second block's checksum is right but it is no zlib stream.
                                   Bytes junk = MakeBlock(RandomBytes(200, 9), false);
                                   r.blocks = MakeBlock(ZlibStream(a), false);
                                   r.blocks.insert(r.blocks.end(), junk.begin(), junk.end());
                                   return r;
                               },
                               "No es posible descomprimir el bloque"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ExtractorFixture, CancelInsideAFileKeepsThePreviousOne) {
    const Bytes old = Compressible(99);
    WriteFileBytes(Out("big.txt"), old);
    std::string arc = Build({{"big.txt", RandomBytes(200000, 4)}});
    TExtractor x;
    Prepare(x, arc);
    int blocks = 0;
    x.OnFileProgress = [&](archive::TArchiverRoot& s, int) {
        if (++blocks == 3) s.RequestAbort(); // the second block of the file has been written
    };
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::AbortRequested);
    EXPECT_GE(blocks, 3);
    EXPECT_EQ(ReadFileBytes(Out("big.txt")), old);
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"big.txt"});
}

TEST_F(ExtractorFixture, AFailedNewFileLeavesNothing) {
    std::string arc = Build({{"new.txt", RandomBytes(150000, 5)}});
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::DiskFull, {2, true});
    x.ExtractAll();
    EXPECT_GE(platform::FaultFailureCount(platform::FaultKind::DiskFull), 1);
    EXPECT_TRUE(Names(kOut).empty());
}

TEST_F(ExtractorFixture, APieceAtItsStartPositionIsWrittenIntoTheExistingFile) {
    WriteFileBytes(Out("piece.bin"), Bytes(10, 'X'));
    RawEntry r;
    r.entry.Name = "piece.bin";
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    // Bytes 4..6 of a 10-byte file: the piece lies inside the file it belongs to.
    r.entry.FileSize = 10;
    r.entry.PieceSize = 3;
    r.entry.StartPosition = 4;
    r.blocks = MakeBlock(Bytes{'a', 'b', 'c'}, true);
    std::string arc = BuildRaw({r});
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    Bytes expected(10, 'X');
    expected[4] = 'a', expected[5] = 'b', expected[6] = 'c';
    EXPECT_EQ(ReadFileBytes(Out("piece.bin")), expected);
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"piece.bin"});
}

// --- the temporary output itself ----------------------------------------------------------

class SafeOutput : public ExtractorFixture {
  protected:
    const std::string dest_ = Out("f.txt");
    const std::string text_ = "No puedo crear el Archivo C:\\out\\f.txt";
};

TEST_F(SafeOutput, WritesBesideTheDestinationAndReplacesItOnCommit) {
    WriteFileBytes(dest_, Bytes{'o', 'l', 'd'});
    SafeOutputFile out(dest_, false, text_);
    EXPECT_EQ(archive::ExtractFilePath(out.WrittenPath()), "C:\\out\\");
    EXPECT_NE(out.WrittenPath(), dest_);
    out.Stream().WriteBuffer("new!", 4);
    EXPECT_EQ(ReadFileBytes(dest_), (Bytes{'o', 'l', 'd'})); // untouched until the commit
    out.Commit();
    EXPECT_EQ(ReadFileBytes(dest_), (Bytes{'n', 'e', 'w', '!'}));
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"f.txt"});
}

TEST_F(SafeOutput, DestroyedWithoutCommitRemovesTheTemporary) {
    WriteFileBytes(dest_, Bytes{'o', 'l', 'd'});
    {
        SafeOutputFile out(dest_, false, text_);
        out.Stream().WriteBuffer("partial", 7);
    }
    EXPECT_EQ(ReadFileBytes(dest_), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"f.txt"});
}

TEST_F(SafeOutput, AReadOnlyDestinationIsReplaced) {
    WriteFileBytes(dest_, Bytes{'o'});
    platform::SetFileAttributes(dest_, platform::kAttrReadOnly | platform::kAttrHidden);
    SafeOutputFile out(dest_, false, text_);
    out.Stream().WriteBuffer("n", 1);
    out.Commit();
    EXPECT_EQ(ReadFileBytes(dest_), (Bytes{'n'}));
}

TEST_F(SafeOutput, ARefusedRenameKeepsTheOldFileAndItsAttributes) {
    WriteFileBytes(dest_, Bytes{'o'});
    const std::uint32_t attributes = platform::kAttrReadOnly | platform::kAttrArchive;
    platform::SetFileAttributes(dest_, attributes);
    SafeOutputFile out(dest_, false, text_);
    out.Stream().WriteBuffer("n", 1);
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::Rename);
    try {
        out.Commit();
        FAIL() << "the commit went through";
    } catch (const archive::EArchiver& e) {
        EXPECT_EQ(std::string(e.what()), text_);
    }
    EXPECT_EQ(ReadFileBytes(dest_), (Bytes{'o'}));
    EXPECT_EQ(platform::GetFileAttributes(dest_), attributes);
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"f.txt"});
}

TEST_F(SafeOutput, ADirectoryInTheWayFailsAtOnce) {
    ASSERT_TRUE(platform::CreateDirectory(dest_));
    EXPECT_THROW(SafeOutputFile(dest_, false, text_), archive::EArchiver);
    EXPECT_EQ(Names(kOut), std::vector<std::string>{"f.txt"});
}

TEST_F(SafeOutput, ARefusedCreationNamesTheDestination) {
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::CreateFile);
    try {
        SafeOutputFile out(dest_, false, text_);
        FAIL() << "the temporary file was created";
    } catch (const archive::EArchiver& e) {
        EXPECT_EQ(std::string(e.what()), text_);
    }
    EXPECT_TRUE(Names(kOut).empty());
}

TEST_F(SafeOutput, TemporaryNamesAreFreeAndDistinct) {
    std::string first = SafeOutputFile::TemporaryNameFor(dest_);
    WriteFileBytes(first, {});
    std::string second = SafeOutputFile::TemporaryNameFor(dest_);
    EXPECT_NE(first, second);
    EXPECT_FALSE(platform::FileExists(second));
}

} // namespace
} // namespace vexo::extract::testing
