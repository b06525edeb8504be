// ExtractorFixture.h - a throw-away prefix, scripted prompts, and archives built for a test.
#pragma once

#include "archive/ArchiveWriter.h"
#include "archive/Checksum.h"
#include "archive/DateTime.h"
#include "archive/Format.h"
#include "archive/StreamIO.h"
#include "common/ScriptedPrompts.h"
#include "extract/Extractor.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace vexo::extract::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Compressible(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>("ABCDEFGH"[(i / 3) % 8]);
    return b;
}

inline Bytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

inline void WriteFileBytes(const std::string& path, const Bytes& data) {
    auto s = platform::OpenFile(path, platform::OpenMode::Create);
    if (!data.empty()) s->WriteBuffer(data.data(), data.size());
}

inline Bytes ReadFileBytes(const std::string& path) {
    auto s = platform::OpenFile(path, platform::OpenMode::ReadShareAll);
    Bytes b(static_cast<std::size_t>(s->Size()));
    if (!b.empty()) s->ReadBuffer(b.data(), b.size());
    return b;
}

/// 2009-01-22 09:36:37 plus `days`: an odd second, so truncation shows.
inline archive::TDateTime EntryDate(int days = 0) {
    return archive::CivilToDateTime({2009, 1, 22, 9, 36, 37, 0}) + days;
}

/// One file of a test archive.
struct SourceFile {
    std::string name; // Windows-1252 stored name
    Bytes data;
    bool folder = false;
    archive::TDateTime date = EntryDate();
    std::int32_t attributes = 0x20;
};

/// A raw entry: the record (sizes filled in by BuildRawArchive) and its block bytes as written.
struct RawEntry {
    archive::TFileEntry entry;
    Bytes blocks;
};

/// One block: length (negative when stored), checksum of `checksummed`, then `payload`.
inline Bytes MakeBlock(const Bytes& payload, bool stored, const Bytes* checksummed = nullptr) {
    const Bytes& sum = checksummed ? *checksummed : payload;
    Bytes b(8);
    auto n = static_cast<std::int32_t>(payload.size());
    archive::PutInt32At(b.data(), stored ? -n : n);
    archive::PutInt32At(b.data() + 4,
                        static_cast<std::int32_t>(archive::StoredChecksum(sum.data(), sum.size())));
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

/// A file entry whose data is one stored block.
inline RawEntry StoredEntry(const std::string& name, const Bytes& data) {
    RawEntry r;
    r.entry.Name = name;
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    r.entry.FileSize = static_cast<std::int32_t>(data.size());
    r.blocks = MakeBlock(data, true);
    return r;
}

inline Bytes ZlibStream(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

class ExtractorFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(platform::CreateDirectory(kWork));
        ASSERT_TRUE(platform::CreateDirectory(kOut));
    }

    /// Builds an archive with the package builder's writer.
    std::string Build(const std::vector<SourceFile>& files, bool store = false,
                      const std::string& name = "C:\\work\\test.arc",
                      std::int32_t archiveId = 4242) {
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        archive::ArchiveWriterOptions options;
        options.Store = store;
        options.ArchiveID = archiveId;
        archive::ArchiveWriter writer(*out, options);
        for (const auto& f : files) {
            if (f.folder)
                writer.AddFolder(f.name, f.date, f.attributes | 0x10, 'R');
            else
                writer.AddFile(f.name, f.date, f.attributes, 'R', f.data);
        }
        writer.Finish();
        return name;
    }

    /// Writes an archive from raw entries, computing offsets, sizes and totals.
    std::string BuildRaw(std::vector<RawEntry> entries, std::int32_t blockSize = 65536,
                         const std::string& name = "C:\\work\\raw.arc") {
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        archive::TArchiveHeader h;
        h.Signature = archive::kArchiveSignature;
        h.Version = 1;
        h.ArchiveID = 77;
        h.BlockSize = blockSize;
        h.Segment = 1;
        h.Flags = archive::kHeaderStored | archive::kHeaderFinalSegment;
        archive::WriteHeader(*out, h);
        for (auto& raw : entries) {
            auto& e = raw.entry;
            e.Segment = 1;
            e.Offset = static_cast<std::int32_t>(out->Position());
            e.Flags |= archive::kEntryStored | archive::kEntryLastPiece;
            e.FileStoredSize = e.PieceStoredSize = static_cast<std::int32_t>(raw.blocks.size());
            if (e.PieceSize == 0) e.PieceSize = e.FileSize;
            archive::WriteFileEntry(*out, e);
            if (!raw.blocks.empty()) out->WriteBuffer(raw.blocks.data(), raw.blocks.size());
            for (auto* t : {&h.ArchiveInfo, &h.SegmentInfo}) {
                ++t->FileCount;
                t->Size += e.FileSize;
                t->CompressedSize += e.PieceStoredSize;
            }
        }
        h.EndOffset = static_cast<std::int32_t>(out->Position());
        out->SetPosition(0);
        archive::WriteHeader(*out, h);
        return name;
    }

    /// An extractor on `archive` extracting into C:\out with the installer's settings.
    void Prepare(TExtractor& x, const std::string& archive) {
        x.SetFileName(archive);
        x.SetExtractPath(kOut);
        x.SetRestoreAction(raOverwrite);
    }

    static std::string Out(const std::string& relative) {
        return std::string(kOut) + "\\" + relative;
    }

    static constexpr const char* kWork = "C:\\work";
    static constexpr const char* kOut = "C:\\out";

    platform::ScopedTestPrefix prefix_;
    vexo::test::ScriptedPrompts prompts_;
    archive::ScopedPrompts scopedPrompts_{prompts_};
};

} // namespace vexo::extract::testing
