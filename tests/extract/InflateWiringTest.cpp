// InflateWiringTest.cpp - the extractor's built-in decompression holds blocks to zlib's
// verdicts: streams with bytes after their Adler-32, gzip and raw deflate streams are damaged
// blocks even when their block checksum matches, and a block that fills the block size exactly
// is good.
#include "DeflateStream.h"
#include "ExtractorFixture.h"

namespace vexo::extract::testing {
namespace {

const std::string kUncompress = "No es posible descomprimir el bloque";

Bytes Deflated(const Bytes& data, int windowBits) {
    return test::DeflateStream(data, 9, windowBits);
}

RawEntry Entry(const std::string& name, std::size_t size, const Bytes& payload) {
    RawEntry r;
    r.entry.Name = name;
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    r.entry.FileSize = static_cast<std::int32_t>(size);
    r.blocks = MakeBlock(payload, false); // the checksum matches the payload as stored
    return r;
}

struct WiringCase {
    const char* what;
    std::function<Bytes(const Bytes&)> payload;
};

class BlockVerdict : public ExtractorFixture, public ::testing::WithParamInterface<WiringCase> {};

TEST_P(BlockVerdict, IsAnUncompressFailureAndTheNextEntryIsWritten) {
    const Bytes data = Compressible(3000);
    const Bytes good = Compressible(700);
    std::string arc = BuildRaw({Entry("bad.txt", data.size(), GetParam().payload(data)),
                                Entry("next.txt", good.size(), ZlibStream(good))});
    TExtractor x;
    Prepare(x, arc);
    std::vector<std::string> errors;
    x.SetErrorAction(archive::eaContinue);
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.push_back(e.what()); };
    x.ExtractAll();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], kUncompress);
    EXPECT_EQ(ReadFileBytes(Out("next.txt")), good);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, BlockVerdict,
    ::testing::Values(WiringCase{"TrailingByte",
                                 [](const Bytes& d) {
                                     Bytes s = ZlibStream(d);
                                     s.push_back(0x00);
                                     return s;
                                 }},
                      WiringCase{"Gzip", [](const Bytes& d) { return Deflated(d, 31); }},
                      WiringCase{"RawDeflate", [](const Bytes& d) { return Deflated(d, -15); }},
                      WiringCase{"WrongAdler",
                                 [](const Bytes& d) {
                                     Bytes s = ZlibStream(d);
                                     s.back() ^= 0x01;
                                     return s;
                                 }}),
    [](const auto& row) { return std::string(row.param.what); });

TEST_F(ExtractorFixture, BlockThatFillsTheBlockSizeExactlyIsGood) {
    const Bytes data = RandomBytes(4096, 11);
    RawEntry e = Entry("full.bin", data.size(), ZlibStream(data));
    std::string arc = BuildRaw({e}, 4096);
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("full.bin")), data);
}

} // namespace
} // namespace vexo::extract::testing
