// BlockPipelineTest.cpp - blocks compressed on several threads: order, bounds, errors, and the
// same archive bytes whatever the thread count or level.
#include "archive/BlockPipeline.h"
#include "archive/ArchiveWriter.h"
#include "archive/BlockCompressor.h"
#include "archive/Checksum.h"
#include "archive/Exceptions.h"
#include "archive/StreamIO.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <zlib.h>

namespace vexo::archive {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Text-like bytes that compress at every level, different for every seed.
Bytes Words(std::size_t n, unsigned seed) {
    static const char* kWords[] = {"cuenta ", "saldo ", "asiento ", "factura ", "iva ", "\n"};
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        const char* w = kWords[rng() % 6];
        b.insert(b.end(), w, w + std::char_traits<char>::length(w));
    }
    b.resize(n);
    return b;
}

Bytes Random(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng());
    return b;
}

BlockBuffer Buffer(const Bytes& b) {
    return BlockBuffer(b.begin(), b.end());
}

// The plain bytes of one encoded block, checked against its checksum.
Bytes Decode(const Bytes& block, std::size_t capacity) {
    const std::int32_t length = GetInt32At(block.data());
    const auto n = static_cast<std::size_t>(length < 0 ? -length : length);
    EXPECT_EQ(block.size(), n + kBlockHeadSize);
    EXPECT_EQ(static_cast<std::uint32_t>(GetInt32At(block.data() + 4)),
              StoredChecksum(block.data() + kBlockHeadSize, n));
    if (length < 0) return Bytes(block.begin() + kBlockHeadSize, block.end());
    Bytes plain(capacity);
    uLongf m = plain.size();
    EXPECT_EQ(uncompress(plain.data(), &m, block.data() + kBlockHeadSize, n), Z_OK);
    plain.resize(m);
    return plain;
}

// A tree with multi-block, short, stored, empty and folder entries.
Bytes BuildTree(ArchiveWriterOptions o) {
    platform::MemoryStream out;
    ArchiveWriter w(out, o);
    w.AddFile("A\\LARGO.TXT", 40000.5, 0x20, 'R', Words(40 * 1024 + 333, 1));
    for (unsigned i = 0; i < 12; ++i)
        w.AddFile("B\\F" + std::to_string(i) + ".DAT", 40000.0 + i, 0x20, 'R',
                  Words(100 + i * 700, 10 + i));
    w.AddFile("C\\AZAR.BIN", 40001.0, 0x21, 'D', Random(9000, 3));
    w.AddFile("C\\VACIO.TXT", 40001.0, 0x20, 'N', Bytes{});
    w.AddFolder("D\\CARPETA", 40002.0, 0x10, 'R');
    w.AddFile("E\\MEDIO.TXT", 40003.0, 0x20, 'R', Words(4096 * 3, 99));
    w.Finish();
    return out.Bytes();
}

TEST(BlockCompressor, LevelsOutsideTheRangeAreRefused) {
    for (int level : {-1, 0, kMaxCompressionLevel + 1, 100})
        EXPECT_THROW(BlockCompressor{level}, EArchiver) << level;
    for (int level : {kMinCompressionLevel, kDefaultCompressionLevel, kMaxCompressionLevel})
        EXPECT_NO_THROW(BlockCompressor{level}) << level;
    ArchiveWriterOptions o;
    o.CompressionLevel = 13;
    platform::MemoryStream out;
    EXPECT_THROW(ArchiveWriter(out, o), EArchiver);
}

TEST(BlockCompressor, EveryLevelDecodesToTheBlockAndHigherLevelsAreNotLarger) {
    const Bytes data = Words(65536, 5);
    std::size_t fastest = 0, smallest = 0;
    for (int level = kMinCompressionLevel; level <= kMaxCompressionLevel; ++level) {
        BlockCompressor c(level);
        const Bytes block = c.Encode(data.data(), data.size(), false, {});
        ASSERT_GT(GetInt32At(block.data()), 0) << level;
        EXPECT_EQ(Decode(block, data.size()), data) << level;
        if (level == kMinCompressionLevel) fastest = block.size();
        if (level == kMaxCompressionLevel) smallest = block.size();
    }
    EXPECT_LT(smallest, fastest);
}

TEST(BlockPipeline, BlocksComeBackInOrderWithinTheWindow) {
    struct Case {
        int threads;
        std::size_t window;
    };
    for (const Case& c : {Case{1, 1}, Case{2, 8}, Case{4, 3}, Case{3, 16}}) {
        ArchiveWriterOptions o;
        BlockPipeline p(o, c.threads, c.window);
        std::vector<Bytes> sent, got;
        for (unsigned i = 0; i < 60; ++i) {
            if (p.Full()) got.push_back(Decode(p.TakeOldest().bytes, 4096));
            sent.push_back(i % 5 == 4 ? Random(1000 + i, i) : Words(1000 + i * 50, i));
            p.Submit(Buffer(sent.back()));
        }
        while (!p.Empty())
            got.push_back(Decode(p.TakeOldest().bytes, 8192));
        EXPECT_EQ(got, sent) << c.threads;
        EXPECT_EQ(p.PeakInFlight(), c.window) << c.threads;
    }
}

TEST(BlockPipeline, MisuseAndEncodingErrorsAreRaisedToTheCaller) {
    ArchiveWriterOptions o;
    o.Store = true; // the encoder sees the plain bytes
    o.Encrypt = [](std::span<const std::uint8_t> plain) -> Bytes {
        if (plain.size() == 503) throw std::runtime_error("cipher failed");
        return Bytes(plain.begin(), plain.end());
    };
    BlockPipeline p(o, 2, 2);
    EXPECT_THROW(p.TakeOldest(), std::logic_error);
    p.Submit(Buffer(Words(501, 1)));
    p.Submit(Buffer(Words(502, 2)));
    EXPECT_THROW(p.Submit(Buffer(Words(500, 3))), std::logic_error);
    EXPECT_EQ(p.TakeOldest().plainSize, 501u);
    EXPECT_EQ(p.TakeOldest().plainSize, 502u);
    p.Submit(Buffer(Words(503, 3)));
    p.Submit(Buffer(Words(504, 4)));
    EXPECT_THROW(p.TakeOldest(), std::runtime_error); // the failing block, in its turn
    EXPECT_EQ(p.TakeOldest().plainSize, 504u);
}

TEST(BlockPipeline, DestroyedWithBlocksInFlight) {
    ArchiveWriterOptions o;
    o.CompressionLevel = kMaxCompressionLevel;
    for (int threads : {1, 2, 4}) {
        BlockPipeline p(o, threads, 8);
        for (unsigned i = 0; i < 8; ++i)
            p.Submit(Buffer(Words(65536, i)));
    } // must join its workers, not hang or crash
}

TEST(ParallelWriter, SameBytesWhateverTheThreadCount) {
    for (int level : {kMinCompressionLevel, kDefaultCompressionLevel, kMaxCompressionLevel}) {
        for (const bool encrypt : {false, true}) {
            ArchiveWriterOptions o;
            o.BlockSize = 4096;
            o.CompressionLevel = level;
            o.ArchiveID = 1234;
            if (encrypt) {
                o.Encrypt = [](std::span<const std::uint8_t> plain) {
                    Bytes b(plain.rbegin(), plain.rend()); // any deterministic transformation
                    return b;
                };
            }
            o.Threads = 1;
            const Bytes one = BuildTree(o);
            for (int threads : {2, 4}) {
                o.Threads = threads;
                EXPECT_EQ(BuildTree(o), one) << "level " << level << ", threads " << threads;
            }
        }
    }
}

// Reads through to its data, counting the bytes handed out.
class CountingStream final : public platform::Stream {
  public:
    explicit CountingStream(Bytes data) : data_(std::move(data)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = data_.Read(buffer, count);
        read_ += static_cast<std::int64_t>(n);
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, platform::SeekOrigin origin) override {
        return data_.Seek(offset, origin);
    }
    std::int64_t Size() override { return data_.Size(); }
    void Truncate() override {}
    std::int64_t BytesRead() const { return read_; }

  private:
    platform::MemoryStream data_;
    std::int64_t read_ = 0;
};

TEST(ParallelWriter, ReadsAheadOnlyAFewBlocksPerThread) {
    constexpr std::int32_t B = 4096;
    for (int threads : {1, 2, 4}) {
        ArchiveWriterOptions o;
        o.BlockSize = B;
        o.Threads = threads;
        CountingStream input(Words(300 * B + 10, 7));
        std::int64_t written = 0, ahead = 0;
        o.Progress = [&](std::int64_t bytes) {
            written += bytes;
            ahead = std::max(ahead, input.BytesRead() - written);
        };
        platform::MemoryStream out;
        ArchiveWriter w(out, o);
        w.AddFile("GRANDE.TXT", 40000.0, 0x20, 'R', input);
        w.Finish();
        EXPECT_EQ(written, 300 * B + 10);
        EXPECT_EQ(input.BytesRead(), 300 * B + 10); // every byte read once
        const auto window = static_cast<std::int64_t>(threads) *
                            static_cast<std::int64_t>(OrderedBlockWriter::kBlocksPerWorker);
        EXPECT_LE(ahead, (window + 1) * B) << threads;
    }
}

} // namespace
} // namespace vexo::archive
