// ArchiveWriterTest.cpp - archives written by the builder read back block by block.
#include "archive/ArchiveWriter.h"
#include "archive/ArchiveReader.h"
#include "archive/Checksum.h"
#include "archive/Exceptions.h"
#include "archive/PackageValues.h"
#include "archive/Real48.h"
#include "archive/StreamIO.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>
#include <random>
#include <zlib.h>

namespace vexo::archive {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Compressible(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>("ABCDEFGH"[i % 8]);
    return b;
}

Bytes Random(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

// Decodes an entry's blocks the way the extractor does, checking each checksum.
Bytes DecodeData(platform::Stream& s, const TFileEntry& e, std::int32_t blockSize,
                 int* compressedBlocks = nullptr, int* storedBlocks = nullptr) {
    Bytes out;
    std::int64_t sum = 0;
    while (sum < e.PieceStoredSize) {
        std::int32_t length = ReadInt32(s);
        auto checksum = static_cast<std::uint32_t>(ReadInt32(s));
        std::size_t n =
            static_cast<std::size_t>(length < 0 ? -static_cast<std::int64_t>(length) : length);
        EXPECT_LE(n, static_cast<std::size_t>(blockSize + blockSize / 100));
        Bytes payload(n);
        s.ReadBuffer(payload.data(), n);
        EXPECT_EQ(StoredChecksum(payload.data(), n), checksum);
        if (length >= 0) {
            Bytes plain(static_cast<std::size_t>(blockSize));
            uLongf m = plain.size();
            EXPECT_EQ(uncompress(plain.data(), &m, payload.data(), n), Z_OK);
            EXPECT_EQ(payload[0], 0x78);
            EXPECT_EQ(payload[1], 0xDA); // level 9
            out.insert(out.end(), plain.begin(), plain.begin() + static_cast<long>(m));
            if (compressedBlocks) ++*compressedBlocks;
        } else {
            out.insert(out.end(), payload.begin(), payload.end());
            if (storedBlocks) ++*storedBlocks;
        }
        sum += static_cast<std::int64_t>(n) + 8;
    }
    EXPECT_EQ(sum, e.PieceStoredSize);
    return out;
}

TEST(EncodeBlock, IncompressibleIsStoredWithNegativeLength) {
    Bytes data = Random(1000, 1);
    Bytes block = EncodeBlock(data.data(), data.size(), false, 9);
    EXPECT_EQ(GetInt32At(block.data()), -1000);
    EXPECT_EQ(static_cast<std::uint32_t>(GetInt32At(block.data() + 4)),
              StoredChecksum(data.data(), data.size()));
    EXPECT_EQ(Bytes(block.begin() + 8, block.end()), data);
}

TEST(EncodeBlock, ChecksumCoversCompressedPayload) {
    Bytes data = Compressible(5000);
    Bytes block = EncodeBlock(data.data(), data.size(), false, 9);
    std::int32_t n = GetInt32At(block.data());
    ASSERT_GT(n, 0);
    ASSERT_EQ(block.size(), static_cast<std::size_t>(n) + 8);
    EXPECT_EQ(static_cast<std::uint32_t>(GetInt32At(block.data() + 4)),
              StoredChecksum(block.data() + 8, static_cast<std::size_t>(n)));
}

TEST(ArchiveWriter, RoundTripOfEntriesTotalsAndData) {
    const std::int32_t B = 4096;
    Bytes a = Compressible(3 * B + 17); // four blocks, the last one short
    Bytes r = Random(B + 5, 7);         // stored blocks
    platform::MemoryStream out;
    ArchiveWriterOptions o;
    o.BlockSize = B;
    o.ArchiveID = 0x0068384C;
    o.Comment = W1252("Paquete de prueba ñ");
    ArchiveWriter w(out, o);
    std::string accented = W1252("DATOS\\AÑO\\Información.TXT");
    w.AddFile("115_300-09\\ADMON.TAB", 39835.5, 0x20, 'R', a);
    w.AddFile(accented, 40000.25, 0x21, 'D', r);
    w.AddFile("VACIO.TXT", 40000.0, 0x20, 'N', Bytes{});
    w.AddFolder("CARPETA\\VACIA", 40001.0, 0x10, 'R');
    const TArchiveHeader& h = w.Finish();
    EXPECT_EQ(out.Position(), out.Size());

    TMessages m;
    TArchiveHeader back = ReadCheckedHeader(out, 0, "x", m);
    EXPECT_EQ(back, h);
    EXPECT_EQ(back.Flags, kHeaderStored | kHeaderFinalSegment);
    EXPECT_EQ(back.Segment, 1);
    EXPECT_EQ(back.Version, 1);
    EXPECT_EQ(back.EndOffset, out.Size());
    EXPECT_EQ(back.ArchiveInfo.FileCount, 4);
    EXPECT_EQ(back.ArchiveInfo.Size, static_cast<double>(a.size() + r.size()));
    EXPECT_EQ(back.ArchiveInfo, back.SegmentInfo);

    auto entries = ReadSegmentEntries(out, 0, back);
    ASSERT_EQ(entries.size(), 4u);
    double stored = 0;
    for (const auto& e : entries)
        stored += e.PieceStoredSize;
    EXPECT_EQ(back.ArchiveInfo.CompressedSize, stored);
    EXPECT_EQ(entries[0].Offset, HeaderSize(back));
    EXPECT_EQ(entries[1].Name, accented);
    EXPECT_EQ(entries[1].Date, 40000.25);
    EXPECT_EQ(entries[1].Attributes, 0x21);
    EXPECT_EQ(entries[1].InstallRule, 'D');
    EXPECT_EQ(entries[1].Flags, kEntryStored | kEntryLastPiece);
    EXPECT_EQ(entries[2].FileSize, 0);
    EXPECT_EQ(entries[2].PieceStoredSize, 0);
    EXPECT_EQ(entries[3].Flags, kEntryStored | kEntryFolder | kEntryLastPiece);
    EXPECT_EQ(entries[3].PieceStoredSize, 0);

    int compressed = 0, storedBlocks = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& e = entries[i];
        EXPECT_EQ(e.FileSize, e.PieceSize);
        EXPECT_EQ(e.FileStoredSize, e.PieceStoredSize);
        out.SetPosition(e.Offset + EntrySize(e));
        Bytes data = DecodeData(out, e, B, &compressed, &storedBlocks);
        EXPECT_EQ(data, i == 0 ? a : r);
    }
    // The 17-byte tail does not shrink under zlib, so it is stored like the random blocks.
    EXPECT_EQ(compressed, 3);
    EXPECT_EQ(storedBlocks, 3);
}

TEST(ArchiveWriter, StoreOptionNeverCompresses) {
    platform::MemoryStream out;
    ArchiveWriterOptions o;
    o.Store = true;
    ArchiveWriter w(out, o);
    Bytes a = Compressible(70000);
    w.AddFile("A", 1, 0x20, 'R', a);
    TArchiveHeader h = w.Finish();
    auto entries = ReadSegmentEntries(out, 0, h);
    int compressed = 0, stored = 0;
    out.SetPosition(entries[0].Offset + EntrySize(entries[0]));
    EXPECT_EQ(DecodeData(out, entries[0], 65536, &compressed, &stored), a);
    EXPECT_EQ(compressed, 0);
    EXPECT_EQ(stored, 2);
}

TEST(ArchiveWriter, ArchiveInsideLargerFileUsesRelativeOffsets) {
    platform::MemoryStream out;
    Bytes stub(1000, 0x4D);
    out.WriteBuffer(stub.data(), stub.size());
    Bytes tag = MakeTagBlock(477);
    out.WriteBuffer(tag.data(), tag.size());
    ArchiveWriter w(out, {});
    w.AddFile("A.TXT", 1, 0x20, 'R', Compressible(100));
    w.Finish();
    WriteLocator(out, 1477);
    EXPECT_EQ(FindArchiveStart(out), 1477);
    TMessages m;
    TArchiveHeader h = ReadCheckedHeader(out, 1477, "I.EXE", m);
    EXPECT_EQ(1477 + h.EndOffset + 8, out.Size());
    auto entries = ReadSegmentEntries(out, 1477, h);
    EXPECT_EQ(entries[0].Offset, 325);
}

TEST(TagBlock, HoldsTheBuilderTexts) {
    Bytes tag = MakeTagBlock(0);
    std::string text(tag.begin(), tag.end());
    EXPECT_NE(text.find("<TD>INSTALAR.EXE"), std::string::npos);
    EXPECT_EQ(MakeTagBlock(477).size(), 477u);
    EXPECT_THROW(MakeTagBlock(5), Exception);
}

TEST(PackageValues, OffsetsAndForms) {
    TArchiveHeader h;
    PackageValues v;
    v.PackageVersion = DoubleToReal48(1.0);
    v.PackageCode = kUpdatePackageCode;
    v.PackageDate = EncodePackageDate({2009, 2, 12});
    v.ProductCode = "DALVO";
    WritePackageValues(h, v);
    EXPECT_EQ(v.PackageDate, 0xDA4C);
    EXPECT_EQ(h.ApplicationArea[32], 0x81);
    EXPECT_EQ(GetInt32At(&h.ApplicationArea[38]), 1962503);
    EXPECT_EQ(h.ApplicationArea[43], 0x4C);
    EXPECT_EQ(h.ApplicationArea[44], 0xDA);
    EXPECT_EQ(h.UserData[63], 5);
    EXPECT_EQ(std::string(h.UserData.begin() + 64, h.UserData.begin() + 69), "DALVO");
    EXPECT_EQ(ReadPackageValues(h), v);
    EXPECT_EQ(DecodePackageDate(0xDA4C), (PackageDate{2009, 2, 12}));
}

TEST(PackageValues, DamagedAndInvalidValues) {
    TArchiveHeader h;
    h.UserData[63] = 200; // longer than the field
    EXPECT_EQ(ReadPackageValues(h).ProductCode.size(), 20u);
    PackageValues v;
    v.ProductCode = std::string(21, 'X');
    EXPECT_THROW(WritePackageValues(h, v), Exception);
    EXPECT_THROW(EncodePackageDate({2028, 1, 1}), Exception);
    EXPECT_THROW(EncodePackageDate({2009, 13, 1}), Exception);
    EXPECT_EQ(DecodePackageDate(0), (PackageDate{1900, 0, 0}));
}

} // namespace
} // namespace vexo::archive
