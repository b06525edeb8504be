// HeaderLimitsTest.cpp - which archive headers open: every block size a buffer can be sized
// from, an empty archive with block size 0, an EndOffset short of the header; the refusals
// say what is wrong.
#include "ExtractorFixture.h"

#include "archive/ArchiveReader.h"
#include "archive/Exceptions.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

struct OpensCase {
    const char* what;
    std::int32_t blockSize;
    bool withFile;
};

class HeaderOpens : public ExtractorFixture, public ::testing::WithParamInterface<OpensCase> {};

TEST_P(HeaderOpens, AndExtractsWhatItHolds) {
    const Bytes data = Compressible(700);
    std::vector<RawEntry> entries;
    if (GetParam().withFile) entries.push_back(StoredEntry("a.txt", data));
    const std::string arc = BuildRaw(entries, GetParam().blockSize);
    TExtractor x;
    Prepare(x, arc);
    ASSERT_NO_THROW(x.Open());
    EXPECT_EQ(x.Header().BlockSize, GetParam().blockSize);
    int reached = 0;
    x.OnExtractFile = [&](archive::TArchiverRoot&, const archive::TFileEntry&, std::string&,
                          bool&) { ++reached; };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(reached, GetParam().withFile ? 1 : 0);
    if (GetParam().withFile) {
        EXPECT_EQ(ReadFileBytes(Out("a.txt")), data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BlockSizes, HeaderOpens,
    ::testing::Values(OpensCase{"EmptyWithBlockSize0", 0, false},
                      OpensCase{"EmptyWithBlockSize1", 1, false},
                      OpensCase{"Above16MiB", 32 * 1024 * 1024, true},
                      OpensCase{"AtTheBound", archive::kMaxHeaderBlockSize, true}),
    [](const ::testing::TestParamInfo<OpensCase>& row) { return std::string(row.param.what); });

struct RefusedCase {
    const char* what;
    std::int32_t blockSize;
    const char* text;
};

class HeaderRefused : public ExtractorFixture, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(HeaderRefused, WithATextNamingTheFault) {
    const std::string arc = BuildRaw({}, GetParam().blockSize);
    TExtractor x;
    Prepare(x, arc);
    std::string error;
    try {
        x.Open();
    } catch (const archive::EArchiver& e) {
        error = e.what();
    }
    EXPECT_EQ(error, W1252(GetParam().text));
    EXPECT_FALSE(x.IsOpen());
    // The tool's own header reader refuses it alike.
    auto s = platform::OpenFile(arc, platform::OpenMode::Read);
    archive::TMessages m;
    EXPECT_THROW(archive::ReadCheckedHeader(*s, 0, arc, m), archive::EArchiver);
}

INSTANTIATE_TEST_SUITE_P(
    BlockSizes, HeaderRefused,
    ::testing::Values(
        RefusedCase{"Negative", -1,
                    "Tamaño de bloque no válido (-1) en el archivo \"C:\\work\\raw.arc\""},
        RefusedCase{"AboveTheBound", archive::kMaxHeaderBlockSize + 1,
                    "Tamaño de bloque demasiado grande (67108865 bytes, el máximo es 67108864) "
                    "en el archivo \"C:\\work\\raw.arc\""}),
    [](const ::testing::TestParamInfo<RefusedCase>& row) { return std::string(row.param.what); });

TEST_F(ExtractorFixture, BlockSize0WithDataFailsOnlyThatEntry) {
    // Nothing fits a buffer of no bytes: the entry is damaged, the open and the run are not.
    const std::string arc = BuildRaw({StoredEntry("a.txt", Compressible(10))}, 0);
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    std::vector<std::string> errors;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.emplace_back(e.what()); };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(errors, std::vector<std::string>{
                          "CRC incorrecto: los datos dentro del archivo estan corrompidos"});
}

TEST_F(ExtractorFixture, EndOffsetShortOfTheHeaderOpensWithoutEntries) {
    const std::string arc = BuildRaw({StoredEntry("a.txt", Compressible(10))});
    {
        auto s = platform::OpenFile(arc, platform::OpenMode::ReadWrite);
        archive::TArchiveHeader h;
        ASSERT_TRUE(archive::ReadHeader(*s, h));
        h.EndOffset = 100;
        s->SetPosition(0);
        archive::WriteHeader(*s, h);
    }
    TExtractor x;
    Prepare(x, arc);
    ASSERT_NO_THROW(x.Open());
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_FALSE(platform::FileExists(Out("a.txt")));
}

TEST_F(ExtractorFixture, CompressedBlockAbove16MiBDecodesWhole) {
    // One 20 MiB file in one block of a 32 MiB block size.
    const Bytes data = Compressible(20 * 1024 * 1024);
    {
        auto out = platform::OpenFile("C:\\work\\big.arc", platform::OpenMode::Create);
        archive::ArchiveWriterOptions options;
        options.BlockSize = 32 * 1024 * 1024;
        archive::ArchiveWriter writer(*out, options);
        writer.AddFile("big.bin", EntryDate(), 0x20, 'R', data);
        writer.Finish();
    }
    TExtractor x;
    Prepare(x, "C:\\work\\big.arc");
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_TRUE(ReadFileBytes(Out("big.bin")) == data);
}

} // namespace
} // namespace vexo::extract::testing
