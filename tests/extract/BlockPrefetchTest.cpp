// BlockPrefetchTest.cpp - blocks decoded ahead on the second thread carry the verdict the
// extracting thread would have reached, and the extraction acts on them at the same place.
#include "ExtractorFixture.h"

#include "archive/ArchiveWriter.h"
#include "archive/Exceptions.h"
#include "extract/BlockPrefetch.h"
#include "extract/PayloadEncryptor.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <random>
#include <thread>

namespace vexo::extract::testing {
namespace {

using Verdict = BlockPrefetcher::Verdict;

const std::string kKey = "clave secreta";

// The files packed in blocks of `blockSize`, encrypted or not.
Bytes Pack(const std::vector<std::pair<std::string, Bytes>>& files, bool encrypt,
           std::int32_t blockSize = 4096) {
    platform::MemoryStream archive;
    archive::ArchiveWriterOptions o;
    o.BlockSize = blockSize;
    if (encrypt) o.Encrypt = MakePayloadEncryptor(kKey);
    archive::ArchiveWriter w(archive, o);
    for (const auto& [name, data] : files)
        w.AddFile(name, EntryDate(), 0x20, 'R', data);
    w.Finish();
    return archive.Bytes();
}

// Files f0.bin, f1.bin, ... of `size` bytes, text and random by turns.
std::vector<std::pair<std::string, Bytes>> MixedFiles(int count, std::size_t size) {
    std::vector<std::pair<std::string, Bytes>> files;
    for (int f = 0; f < count; ++f)
        files.emplace_back("f" + std::to_string(f) + ".bin",
                           f % 2 ? RandomBytes(size, f) : Compressible(size));
    return files;
}

struct BlockAt {
    std::int64_t position;
    std::int64_t payload; // where its payload starts
    std::int32_t length;
};

// The block heads of an archive in a memory stream, found the plain way.
std::vector<BlockAt> BlockHeads(platform::MemoryStream& s, std::int64_t& firstRecord,
                                std::int64_t& end) {
    s.SetPosition(0);
    archive::TArchiveHeader h;
    EXPECT_TRUE(archive::ReadHeader(s, h));
    firstRecord = s.Position();
    end = h.EndOffset;
    std::vector<BlockAt> heads;
    while (s.Position() < end) {
        archive::TFileEntry e;
        archive::ReadFileEntry(s, e);
        const std::int64_t stop = s.Position() + e.PieceStoredSize;
        while (s.Position() < stop) {
            const std::int64_t at = s.Position();
            const std::int32_t length = archive::ReadInt32(s);
            archive::ReadInt32(s);
            heads.push_back({at, at + 8, length});
            s.Seek(length < 0 ? -std::int64_t{length} : length, platform::SeekOrigin::Current);
        }
    }
    return heads;
}

// Settings over the records from `firstRecord` to `end`, in blocks of `blockSize` bytes.
BlockPrefetcher::Settings Over(std::int64_t firstRecord, std::int64_t end, std::size_t blockSize,
                               bool decode = true) {
    BlockPrefetcher::Settings settings;
    settings.firstRecord = firstRecord;
    settings.segmentEnd = end;
    settings.blockSize = blockSize;
    settings.inCapacity = blockSize + blockSize / 100 + 64;
    settings.decode = decode;
    return settings;
}

struct VerdictCase {
    const char* what;
    bool encrypt;
    const char* prefetchKey; // the key the second thread is given; null for none
    // Damages the second block of the archive in place.
    std::function<void(Bytes& archive, const BlockAt& block)> damage;
    Verdict second;     // the verdict expected for that block
    Verdict others;     // and for the other two
    bool usable;        // false: no block may be taken as decoded (no key to decrypt with)
    bool decode = true; // false: the block check's mode, checksums only
};

class PrefetchVerdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(PrefetchVerdicts, MatchWhatTheBlockHolds) {
    const VerdictCase& c = GetParam();
    const Bytes first = Compressible(5000), second = RandomBytes(3000, 7);
    platform::MemoryStream archive(Pack({{"a.txt", first}, {"b.bin", second}}, c.encrypt));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 3u); // 4096 + 904 bytes of a.txt, then b.bin in one block
    if (c.damage) c.damage(archive.Bytes(), heads[1]);

    BlockPrefetcher::Settings settings = Over(firstRecord, end, 4096, c.decode);
    settings.encrypted = true;
    BlockPrefetcher ahead(std::make_unique<platform::MemoryStream>(archive.Bytes()), settings,
                          c.prefetchKey ? c.prefetchKey : "");
    ahead.WaitForWalk();

    for (std::size_t i = 0; i < heads.size(); ++i) {
        SCOPED_TRACE(i);
        const BlockPrefetcher::Slot* slot = ahead.Take(heads[i].position);
        if (!c.usable) {
            // Generation 0 is never the caller's: it decodes such blocks itself.
            EXPECT_TRUE(slot == nullptr || slot->keyGeneration == 0);
            continue;
        }
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->length, heads[i].length);
        EXPECT_EQ(slot->encrypted, c.encrypt);
        if (c.encrypt) {
            EXPECT_EQ(slot->keyGeneration, 1u);
        }
        const Verdict expected = i == 1 ? c.second : c.others;
        EXPECT_EQ(slot->verdict, expected);
        if (expected != Verdict::Good || !c.decode) continue;
        const Bytes want = i == 0   ? Bytes(first.begin(), first.begin() + 4096)
                           : i == 1 ? Bytes(first.begin() + 4096, first.end())
                                    : second;
        EXPECT_EQ(Bytes(slot->data, slot->data + slot->size), want);
    }
}

void FlipPayloadByte(Bytes& a, const BlockAt& b) {
    a[static_cast<std::size_t>(b.payload + 3)] ^= 0x10;
}

// A payload that is no zlib stream, with a checksum that fits it.
void GarbageWithItsChecksum(Bytes& a, const BlockAt& b) {
    auto* payload = a.data() + b.payload;
    ASSERT_GT(b.length, 0); // a compressed block
    const auto n = static_cast<std::size_t>(b.length);
    for (std::size_t i = 0; i < n; ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 + 1);
    archive::PutInt32At(a.data() + b.position + 4,
                        static_cast<std::int32_t>(archive::StoredChecksum(payload, n)));
}

// A ciphertext whose length is no whole number of cipher blocks.
void RaggedCiphertext(Bytes& a, const BlockAt& b) {
    const std::int64_t n = b.length < 0 ? -std::int64_t{b.length} : b.length;
    a[static_cast<std::size_t>(b.payload + n - 1)] = 0xFF; // an impossible pad count
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, PrefetchVerdicts,
    ::testing::Values(VerdictCase{"Intact", false, nullptr, nullptr, Verdict::Good, Verdict::Good,
                                  true},
                      VerdictCase{"FlippedByte", false, nullptr, FlipPayloadByte,
                                  Verdict::BadChecksum, Verdict::Good, true},
                      VerdictCase{"NoZlibStream", false, nullptr, GarbageWithItsChecksum,
                                  Verdict::BadUncompress, Verdict::Good, true},
                      VerdictCase{"EncryptedWithTheKey", true, "clave secreta", nullptr,
                                  Verdict::Good, Verdict::Good, true},
                      VerdictCase{"EncryptedWithAWrongKey", true, "otra clave", nullptr,
                                  Verdict::BadChecksum, Verdict::BadChecksum, true},
                      VerdictCase{"EncryptedDamagedPad", true, "clave secreta", RaggedCiphertext,
                                  Verdict::BadPayload, Verdict::Good, true},
                      VerdictCase{"EncryptedWithoutAKey", true, nullptr, nullptr, Verdict::Good,
                                  Verdict::Good, false},
                      // The block check leaves decompression to the extraction.
                      VerdictCase{"CheckOnlyNoZlibStream", false, nullptr, GarbageWithItsChecksum,
                                  Verdict::Good, Verdict::Good, true, false},
                      VerdictCase{"CheckOnlyFlippedByte", false, nullptr, FlipPayloadByte,
                                  Verdict::BadChecksum, Verdict::Good, true, false},
                      VerdictCase{"CheckOnlyEncryptedWrongKey", true, "otra clave", nullptr,
                                  Verdict::BadChecksum, Verdict::BadChecksum, true, false}),
    [](const auto& row) { return std::string(row.param.what); });

// What the block check remembered of the second block, and what the extraction right after it
// meets on the disk.
struct KnownCase {
    const char* what;
    std::function<void(Bytes& archive, KnownBlock& record, const BlockAt& block)> meanwhile;
    Verdict verdict;
};

void FlipStoredChecksum(Bytes& a, const BlockAt& b) {
    a[static_cast<std::size_t>(b.position + 4)] ^= 0x01;
}

class PrefetchKnownBlocks : public ::testing::TestWithParam<KnownCase> {};

TEST_P(PrefetchKnownBlocks, SkipTheChecksumOnlyOfTheBytesChecked) {
    const Bytes first = Compressible(5000), second = RandomBytes(3000, 7);
    platform::MemoryStream archive(Pack({{"a.txt", first}, {"b.bin", second}}, false));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 3u);
    // What the block check keeps of each block it found right.
    KnownBlocks known;
    for (const BlockAt& head : heads) {
        const std::uint8_t* at = archive.Bytes().data();
        const auto n = static_cast<std::size_t>(head.length < 0 ? -head.length : head.length);
        known.push_back({head.position, head.length,
                         static_cast<std::uint32_t>(archive::GetInt32At(at + head.position + 4)),
                         PayloadDigest(at + head.payload, n)});
    }
    {
        // The check's second thread hands each block out with that digest.
        BlockPrefetcher check(std::make_unique<platform::MemoryStream>(archive.Bytes()),
                              Over(firstRecord, end, 4096, false));
        check.WaitForWalk();
        for (std::size_t i = 0; i < heads.size(); ++i) {
            const BlockPrefetcher::Slot* slot = check.Take(heads[i].position);
            ASSERT_NE(slot, nullptr);
            EXPECT_EQ(slot->verdict, Verdict::Good);
            EXPECT_EQ(slot->digest, known[i].digest);
        }
    }

    const KnownCase& c = GetParam();
    if (c.meanwhile) c.meanwhile(archive.Bytes(), known[1], heads[1]);
    BlockPrefetcher::Settings settings = Over(firstRecord, end, 4096);
    settings.known = known;
    BlockPrefetcher ahead(std::make_unique<platform::MemoryStream>(archive.Bytes()), settings);
    ahead.WaitForWalk();
    const Bytes want[] = {Bytes(first.begin(), first.begin() + 4096),
                          Bytes(first.begin() + 4096, first.end()), second};
    for (std::size_t i = 0; i < heads.size(); ++i) {
        SCOPED_TRACE(i);
        const BlockPrefetcher::Slot* slot = ahead.Take(heads[i].position);
        ASSERT_NE(slot, nullptr);
        const Verdict expected = i == 1 ? c.verdict : Verdict::Good;
        EXPECT_EQ(slot->verdict, expected);
        if (expected == Verdict::Good) {
            EXPECT_EQ(Bytes(slot->data, slot->data + slot->size), want[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, PrefetchKnownBlocks,
    ::testing::Values(KnownCase{"ReadBackUnchanged", nullptr, Verdict::Good},
                      // A stored checksum no payload fits, as the check saw it: only a skipped
                      // checksum lets the block through.
                      KnownCase{"ChecksumNotTakenAgain",
                                [](Bytes& a, KnownBlock& r, const BlockAt& b) {
                                    FlipStoredChecksum(a, b);
                                    r.checksum = static_cast<std::uint32_t>(
                                        archive::GetInt32At(a.data() + b.position + 4));
                                },
                                Verdict::Good},
                      KnownCase{
                          "HeadChangedSince",
                          [](Bytes& a, KnownBlock&, const BlockAt& b) { FlipStoredChecksum(a, b); },
                          Verdict::BadChecksum},
                      KnownCase{"NotAmongTheChecked",
                                [](Bytes& a, KnownBlock& r, const BlockAt& b) {
                                    FlipStoredChecksum(a, b);
                                    r.checksum = static_cast<std::uint32_t>(
                                        archive::GetInt32At(a.data() + b.position + 4));
                                    r.position += 1;
                                },
                                Verdict::BadChecksum}),
    [](const auto& row) { return std::string(row.param.what); });

TEST(BlockPrefetch, BlocksTheCallerReachesFirstAreLeftToIt) {
    platform::MemoryStream archive(Pack({{"a.bin", RandomBytes(40 * 1024, 3)}}, false, 1024));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 40u);
    BlockPrefetcher ahead(std::make_unique<platform::MemoryStream>(archive.Bytes()),
                          Over(firstRecord, end, 1024));
    ahead.WaitForWalk(); // every slot filled, then it waits
    // The caller jumps to block 30: the filled slots are dropped, 30 is the caller's own, and
    // the thread goes on past it.
    EXPECT_EQ(ahead.Take(heads[30].position), nullptr);
    ahead.WaitForWalk(); // 31 onwards now
    for (std::size_t i = 31; i < 39; ++i) {
        const BlockPrefetcher::Slot* slot = ahead.Take(heads[i].position);
        ASSERT_NE(slot, nullptr) << i;
        EXPECT_EQ(slot->verdict, Verdict::Good);
        EXPECT_EQ(slot->position, heads[i].position);
    }
    const BlockPrefetcher::Slot* last = ahead.Take(heads[39].position);
    EXPECT_TRUE(last == nullptr || last->verdict == Verdict::Good);
    EXPECT_EQ(ahead.Take(end), nullptr);
}

// A stream whose read at one position waits until the test opens it: the second thread is
// held there with the blocks before it read but not yet checked.
class GatedStream : public platform::Stream {
  public:
    GatedStream(Bytes bytes, std::int64_t gate) : bytes_(std::move(bytes)), gate_(gate) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (bytes_.Position() == gate_) {
            std::unique_lock lock(mutex_);
            reached_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return open_; });
        }
        return bytes_.Read(buffer, count);
    }
    std::size_t Write(const void* buffer, std::size_t count) override {
        return bytes_.Write(buffer, count);
    }
    std::int64_t Seek(std::int64_t offset, platform::SeekOrigin origin) override {
        return bytes_.Seek(offset, origin);
    }
    std::int64_t Size() override { return bytes_.Size(); }
    void Truncate() override { bytes_.Truncate(); }
    void WaitUntilReached() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return reached_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    platform::MemoryStream bytes_;
    std::int64_t gate_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false, open_ = false;
};

// A prefetcher over 1 KiB blocks whose stream holds the thread at `gateAt`; the gate opens
// before the prefetcher joins its thread.
struct GatedPrefetch {
    GatedPrefetch(std::unique_ptr<GatedStream> stream, std::int64_t firstRecord, std::int64_t end,
                  bool decode = true)
        : gate(stream.get()), ahead(std::move(stream), Over(firstRecord, end, 1024, decode)) {}
    ~GatedPrefetch() { gate->Open(); }
    GatedStream* gate;
    BlockPrefetcher ahead;
};

TEST(BlockPrefetch, BlocksReadButNotStartedAreCheckedByTheCallerInTheirSlots) {
    const Bytes data = Compressible(40 * 1024);
    platform::MemoryStream archive(Pack({{"a.txt", data}}, false, 1024));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 40u);
    FlipPayloadByte(archive.Bytes(), heads[1]);
    GatedPrefetch run(std::make_unique<GatedStream>(archive.Bytes(), heads[2].payload), firstRecord,
                      end);
    GatedStream* gate = run.gate;
    BlockPrefetcher& ahead = run.ahead;
    gate->WaitUntilReached(); // blocks 0 and 1 read, 2 being read: nothing checked yet

    // Read but not started: checked (both at once) and decoded here rather than read again.
    const BlockPrefetcher::Slot* first = ahead.Take(heads[0].position);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->verdict, Verdict::Good);
    EXPECT_EQ(Bytes(first->data, first->data + first->size),
              Bytes(data.begin(), data.begin() + 1024));
    const BlockPrefetcher::Slot* second = ahead.Take(heads[1].position);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->verdict, Verdict::BadChecksum);
    // Still being read: the caller reads and decodes that one itself.
    EXPECT_EQ(ahead.Take(heads[2].position), nullptr);
    gate->Open();
    for (std::size_t i = 3; i < heads.size(); ++i) {
        const BlockPrefetcher::Slot* slot = ahead.Take(heads[i].position);
        if (slot) {
            EXPECT_EQ(slot->verdict, Verdict::Good) << i;
        }
    }
}

// The caller jumps past blocks whose checksums the thread is halfway through (held at a later
// read); their slots may not be reused before the thread is done with them.
TEST(BlockPrefetch, BlocksPassedByWhileBeingCheckedAreNotReusedUnderTheThread) {
    // Random and text blocks: stored and deflated lengths, so checks end out of order.
    const auto files = MixedFiles(4, 20 * 1024);
    platform::MemoryStream archive(Pack(files, false, 1024));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 80u);
    GatedPrefetch run(std::make_unique<GatedStream>(archive.Bytes(), heads[12].payload),
                      firstRecord, end);
    GatedStream* gate = run.gate;
    BlockPrefetcher& ahead = run.ahead;
    gate->WaitUntilReached();
    EXPECT_EQ(ahead.Take(heads[13].position), nullptr); // the caller's own
    gate->Open();
    ahead.WaitForWalk(); // the slots refilled with the blocks after it
    int taken = 0;
    for (std::size_t i = 14; i < heads.size(); ++i) {
        const BlockPrefetcher::Slot* slot = ahead.Take(heads[i].position);
        if (!slot) continue;
        ++taken;
        ASSERT_EQ(slot->verdict, Verdict::Good) << "block " << i;
        const auto from = files[i / 20].second.begin() + static_cast<std::ptrdiff_t>(i % 20 * 1024);
        ASSERT_EQ(Bytes(slot->data, slot->data + slot->size), Bytes(from, from + 1024))
            << "block " << i;
    }
    EXPECT_GT(taken, 0);
}

// The archive ends inside a block the thread is reading, and the caller has taken that block
// over or passed it by meanwhile: the thread alone still holds its slot and must hand it back
// (the leak checker of the sanitizer build sees one that is lost).
class PrefetchShortRead : public ::testing::TestWithParam<bool> {};

TEST_P(PrefetchShortRead, HandsBackTheSlotItWasReadingInto) {
    const bool decode = GetParam();
    platform::MemoryStream archive(Pack({{"a.bin", RandomBytes(20 * 1024, 5)}}, false, 1024));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 20u);
    Bytes cut = archive.Bytes();
    cut.resize(static_cast<std::size_t>(heads[6].payload + 10));
    GatedPrefetch run(std::make_unique<GatedStream>(cut, heads[6].payload), firstRecord, end,
                      decode);
    run.gate->WaitUntilReached();
    // Decoding, the caller takes a block still being read over; checking, it would wait for
    // that read, so it passes the block by instead.
    EXPECT_EQ(run.ahead.Take(heads[decode ? 6 : 7].position), nullptr);
    run.gate->Open(); // the read comes up short and the walk ends
    run.ahead.WaitForWalk();
    EXPECT_EQ(run.ahead.Take(heads[8].position), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Modes, PrefetchShortRead, ::testing::Bool(),
                         [](const auto& row) { return row.param ? "Decoding" : "Checking"; });

// Takes a block while the thread is held in a read: the caller must not wait for the thread.
// Such a wait would last until the gate opens, so the gate opens after a while and it fails.
const BlockPrefetcher::Slot* TakeWithoutTheThread(GatedPrefetch& run, std::int64_t position) {
    auto taking = std::async(std::launch::async, [&] { return run.ahead.Take(position); });
    if (taking.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "the caller waited for the held thread";
        run.gate->Open();
    }
    return taking.get();
}

// The thread reads and checks ahead and leaves decompression to whichever thread reaches a
// block first: held in a read, it leaves the checked blocks before it to the caller.
struct HeldRun {
    const char* what;
    bool undecodable; // block 1 is no deflate stream, with a checksum that fits it
    bool passSecond;  // the caller passes block 1 by, checked and not decompressed
};

class PrefetchCheckedBlocks : public ::testing::TestWithParam<HeldRun> {};

TEST_P(PrefetchCheckedBlocks, AreDecompressedByTheCallerWhileTheThreadIsHeld) {
    const HeldRun& c = GetParam();
    // Three blocks of zeros, whose checks end first, then stored and deflated blocks.
    Bytes a(3 * 1024, 0);
    const Bytes random = RandomBytes(7 * 1024, 9);
    a.insert(a.end(), random.begin(), random.end());
    const Bytes b = Compressible(10 * 1024);
    platform::MemoryStream archive(Pack({{"a.bin", a}, {"b.txt", b}}, false, 1024));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 20u);
    if (c.undecodable) GarbageWithItsChecksum(archive.Bytes(), heads[1]);
    const auto want = [&](std::size_t i) {
        const auto from = (i < 10 ? a : b).begin() + static_cast<std::ptrdiff_t>(i % 10 * 1024);
        return Bytes(from, from + 1024);
    };
    // Blocks 0-9 read: 0-2 checked, the rest in the thread's lanes.
    GatedPrefetch run(std::make_unique<GatedStream>(archive.Bytes(), heads[10].payload),
                      firstRecord, end);
    run.gate->WaitUntilReached();
    for (std::size_t i = 0; i < 3; ++i) {
        if (i == 1 && c.passSecond) continue;
        SCOPED_TRACE(i);
        const BlockPrefetcher::Slot* slot = TakeWithoutTheThread(run, heads[i].position);
        ASSERT_NE(slot, nullptr);
        if (i == 1 && c.undecodable) {
            EXPECT_EQ(slot->verdict, Verdict::BadUncompress);
            continue;
        }
        EXPECT_EQ(slot->verdict, Verdict::Good);
        EXPECT_EQ(Bytes(slot->data, slot->data + slot->size), want(i));
    }
    // Let go, the thread fills every slot but the one still taken, and decompresses its own.
    run.gate->Open();
    run.ahead.WaitForWalk();
    for (std::size_t i = 3; i < heads.size(); ++i) {
        SCOPED_TRACE(i);
        const BlockPrefetcher::Slot* slot = run.ahead.Take(heads[i].position);
        if (i >= 18 && !slot) continue; // reached after the slots freed by these takes
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->verdict, Verdict::Good);
        EXPECT_EQ(Bytes(slot->data, slot->data + slot->size), want(i));
    }
}

INSTANTIATE_TEST_SUITE_P(Blocks, PrefetchCheckedBlocks,
                         ::testing::Values(HeldRun{"Decodable", false, false},
                                           HeldRun{"Undecodable", true, false},
                                           HeldRun{"PassedBy", false, true}),
                         [](const auto& row) { return std::string(row.param.what); });

// The block check: the caller checks what the thread reads, and the thread checks the last
// blocks read when it runs out of slots. Whoever checks a block, its verdict is the block's.
struct CheckRun {
    const char* what;
    std::vector<std::size_t> damaged; // blocks with a flipped payload byte
    bool headStart;                   // the caller starts once every slot is read
    bool slowCaller;                  // after each block, the thread reads until out of slots
    std::size_t skipFrom, skipTo;     // the caller passes [skipFrom, skipTo) by
    // The thread is held at this block's read (0: never) until the caller passes blocks by:
    // the blocks before it are then checked by the caller alone, in its lanes.
    std::size_t gateAt;
    std::size_t cutAt; // the archive ends inside this block's payload; 0: whole
    int minTaken;      // blocks the caller at least finds checked or read
};

class PrefetchCheck : public ::testing::TestWithParam<CheckRun> {};

TEST_P(PrefetchCheck, EveryVerdictIsTheBlocks) {
    const CheckRun& c = GetParam();
    // Stored and deflated blocks: checks of unequal length end out of order.
    platform::MemoryStream archive(Pack(MixedFiles(6, 15 * 1024), false, 1024));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 90u);
    for (std::size_t i : c.damaged)
        FlipPayloadByte(archive.Bytes(), heads[i]);
    Bytes bytes = archive.Bytes();
    if (c.cutAt) bytes.resize(static_cast<std::size_t>(heads[c.cutAt].payload + 10));

    const std::int64_t gateAt = c.gateAt ? heads[c.gateAt].payload : -1;
    GatedPrefetch run(std::make_unique<GatedStream>(bytes, gateAt), firstRecord, end, false);
    BlockPrefetcher& ahead = run.ahead;
    if (c.gateAt) run.gate->WaitUntilReached();
    if (c.headStart) ahead.WaitForWalk();
    const std::size_t last = c.cutAt ? c.cutAt : heads.size() - 1;
    int taken = 0;
    for (std::size_t i = 0; i <= last; ++i) {
        if (i >= c.skipFrom && i < c.skipTo) continue;
        if (i >= c.skipTo) run.gate->Open();
        const BlockPrefetcher::Slot* slot = ahead.Take(heads[i].position);
        if (c.slowCaller && (c.gateAt == 0 || i >= c.skipTo)) ahead.WaitForWalk();
        if (i == c.cutAt && c.cutAt) {
            EXPECT_EQ(slot, nullptr); // never read whole: the caller meets the short archive
            break;
        }
        if (!slot) continue; // the caller's own
        ++taken;
        EXPECT_EQ(slot->position, heads[i].position);
        const bool damaged = std::count(c.damaged.begin(), c.damaged.end(), i) != 0;
        EXPECT_EQ(slot->verdict, damaged ? Verdict::BadChecksum : Verdict::Good) << "block " << i;
    }
    EXPECT_GE(taken, c.minTaken);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, PrefetchCheck,
    ::testing::Values(
        CheckRun{"SlotsFilledFirst", {3, 31, 89}, true, false, 0, 0, 0, 0, 32},
        CheckRun{"ThreadRunsOutOfSlots", {3, 40, 41, 89}, true, true, 0, 0, 0, 0, 90},
        CheckRun{
            "CallerPassesBlocksInItsLanes", {5, 11, 16, 33, 61}, false, true, 12, 30, 20, 0, 71},
        CheckRun{"PassedWhileTheThreadChecks", {5, 30, 61}, true, true, 12, 50, 0, 0, 51},
        CheckRun{"ArchiveEndsEarly", {20, 60}, true, true, 0, 0, 0, 70, 70}),
    [](const auto& row) { return std::string(row.param.what); });

// The extraction's answers do not depend on whether the second thread got there first.
struct DamageRun {
    const char* what;
    bool encrypt;
    std::function<void(Bytes&, const BlockAt&)> damage;
    std::string error; // the text OnError hears for b.bin; empty for none
};

class PrefetchedExtraction : public ExtractorFixture,
                             public ::testing::WithParamInterface<std::tuple<DamageRun, bool>> {};

TEST_P(PrefetchedExtraction, ReportsAsWithoutIt) {
    const auto& [c, headStart] = GetParam();
    const Bytes a = Compressible(9000), b = RandomBytes(3000, 9), d = Compressible(500);
    platform::MemoryStream archive(Pack({{"a.txt", a}, {"b.bin", b}, {"d.txt", d}}, c.encrypt));
    std::int64_t firstRecord = 0, end = 0;
    const auto heads = BlockHeads(archive, firstRecord, end);
    ASSERT_EQ(heads.size(), 5u);
    if (c.damage) c.damage(archive.Bytes(), heads[3]); // b.bin's only block
    WriteFileBytes("C:\\work\\p.arc", archive.Bytes());

    TExtractor x;
    Prepare(x, "C:\\work\\p.arc");
    x.SetErrorAction(archive::eaContinue);
    x.OnRequestCryptKey = [](archive::TArchiverRoot&, std::string& k) { k = kKey; };
    std::vector<std::string> errors, extracted;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry& f,
                    archive::TErrorAction&) { errors.push_back(f.Name + ": " + e.what()); };
    x.OnFileExtracted = [&](archive::TArchiverRoot&, const archive::TFileEntry& f,
                            const std::string&) { extracted.push_back(f.Name); };
    x.OnExtractFile = [&, headStart = headStart](archive::TArchiverRoot&,
                                                 const archive::TFileEntry& f, std::string&,
                                                 bool&) {
        // Time for the second thread to decode everything before the first block is read.
        if (headStart && f.Name == "a.txt")
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
    };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    const bool failed = !c.error.empty();
    const std::vector<std::string> wantErrors =
        failed ? std::vector<std::string>{"b.bin: " + c.error} : std::vector<std::string>{};
    const std::vector<std::string> wantExtracted =
        failed ? std::vector<std::string>{"a.txt", "d.txt"}
               : std::vector<std::string>{"a.txt", "b.bin", "d.txt"};
    EXPECT_EQ(errors, wantErrors);
    EXPECT_EQ(extracted, wantExtracted);
    EXPECT_EQ(ReadFileBytes(Out("a.txt")), a);
    EXPECT_EQ(ReadFileBytes(Out("d.txt")), d);
    EXPECT_EQ(platform::FileExists(Out("b.bin")), !failed);
}

const std::string kBadCRC = "CRC incorrecto: los datos dentro del archivo estan corrompidos";
const std::string kBadKeyText = "El archivo no podra desencriptarse. Introdujo una clave invalida";

INSTANTIATE_TEST_SUITE_P(
    Damage, PrefetchedExtraction,
    ::testing::Combine(
        ::testing::Values(DamageRun{"Intact", false, nullptr, ""},
                          DamageRun{"FlippedByte", false, FlipPayloadByte, kBadCRC},
                          DamageRun{"IntactEncrypted", true, nullptr, ""},
                          DamageRun{"FlippedEncrypted", true, FlipPayloadByte, kBadKeyText},
                          DamageRun{"RaggedEncrypted", true, RaggedCiphertext, kBadKeyText}),
        ::testing::Bool()),
    [](const auto& row) {
        return std::string(std::get<0>(row.param).what) +
               (std::get<1>(row.param) ? "HeadStart" : "Together");
    });

} // namespace
} // namespace vexo::extract::testing
