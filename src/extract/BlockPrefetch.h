// BlockPrefetch.h - decoding the blocks ahead of the extraction on a second thread.
//
// The second thread only computes: it walks the entry records and blocks of one segment
// through a stream of its own, checks, decrypts and decodes blocks into a few slots, and
// records its verdict. Everything the caller can observe (events, prompts, errors, progress,
// writes) still happens on the extracting thread, at the block where it always happened: that
// thread reads each block head itself, takes the slot made for that position and acts on its
// verdict as if it had decoded the block. A block the second thread has not reached is decoded
// by the extracting thread itself, so neither waits for the other longer than one block.
#pragma once

#include "archive/BlockBuffer.h"
#include "archive/Checksum.h"
#include "extract/KnownBlocks.h"
#include "extract/SecureWipe.h"
#include "platform/Stream.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

namespace vexo::extract {

class Inflater;
class TBlowFish;

class BlockPrefetcher {
  public:
    enum class Verdict {
        Good,          // checksum right, decoded (or stored) into `out`
        BadChecksum,   // the checksum of the (decrypted) payload is wrong
        BadPayload,    // an encrypted payload that cannot be decrypted
        BadUncompress, // the checksum is right but the stream does not decode
    };

    struct Slot {
        std::int64_t position = 0;  // archive-file offset of the block head
        std::int32_t length = 0;    // the stored length field
        std::uint32_t checksum = 0; // the stored checksum field
        bool encrypted = false;
        std::uint64_t keyGeneration = 0;
        Verdict verdict = Verdict::Good;
        archive::BlockBuffer in, out; // `out` only when decoding
        std::size_t size = 0;         // payload bytes in `in` once read; decoded bytes once Ready
        std::uint32_t digest = 0;     // checking: PayloadDigest of a plain payload as read
        bool knownRight = false;      // read back unchanged since a check found it right
        const std::uint8_t* data = nullptr;
        // Reading may still be taken over by the extracting thread: it then decodes the block
        // itself and the slot is Abandoned, as is any slot the thread holds that the
        // extraction passed by; the thread frees those. Waiting (read, not yet worked on) the
        // extracting thread may work on in the slot, as the thread would. Checked (checksum
        // right, not yet decompressed) is nobody's: whichever thread gets to it decompresses
        // it, the extracting thread from the front, the second thread from the back.
        enum class State {
            Reading,
            Waiting,
            Working,
            Checked,
            Ready,
            Abandoned
        } state = State::Reading;
    };

    struct Settings {
        std::int64_t start = 0;       // archive start offset in the file
        std::int64_t firstRecord = 0; // file offset of the first entry record to walk
        std::int64_t segmentEnd = 0;  // file offset where this segment's entries end
        std::size_t blockSize = 0;    // the header's block size: the decoded capacity
        std::size_t inCapacity = 0;   // the largest payload a block may hold
        bool encrypted = true;        // whether encrypted entries may be decrypted here
        // false: checksums only, nothing is decompressed. The caller then has no other work:
        // it checks what the thread reads, and the thread checks too when out of slots.
        bool decode = true;
        // Decoding: the blocks a check just before found right. Read back unchanged (same head,
        // same digest), their checksums are not taken again.
        KnownBlocks known;
    };

    /// Starts the thread over `file`, a stream of its own on the archive; `key` is the key
    /// known so far (SetKey).
    BlockPrefetcher(std::unique_ptr<platform::Stream> file, Settings settings,
                    std::string_view key = {});
    ~BlockPrefetcher();
    BlockPrefetcher(const BlockPrefetcher&) = delete;
    BlockPrefetcher& operator=(const BlockPrefetcher&) = delete;

    /// The decoded block whose head is at `position`, once ready; nullptr when the caller is to
    /// decode it itself. The slot stays valid until the next Take or Release.
    const Slot* Take(std::int64_t position);
    /// Gives the slot of the last Take back.
    void Release();
    /// The key encrypted blocks are decrypted with from now on; \returns its generation, which
    /// a slot must carry to have been decrypted with it.
    std::uint64_t SetKey(std::string_view key);

    /// Waits until the thread has gone as far as its slots let it, or to the segment's end.
    void WaitForWalk();

    /// Slots in flight for a block size: about 2 MiB of decoded buffers, at least 2 and at most
    /// 16 (twice the checksum lanes, so full lanes still leave slots ready for the caller);
    /// twice as many when only checking.
    static std::size_t SlotsFor(std::size_t blockSize, bool decode);

  private:
    void Run() noexcept;
    void Walk();
    // Claims a slot for the block at `position`, waiting for one when `wait`; nullptr when the
    // extracting thread has the block, the run is over, or (`full`) no slot is free.
    Slot* Claim(std::int64_t position, bool wait, bool& full);
    // Hands a slot the caller passed by back, now or (while the thread holds it) when the
    // thread is done with it. Called with the lock held.
    void Drop(Slot* slot);
    // Puts an abandoned slot the thread is done with back on the free list (lock held).
    void Reclaim(Slot* slot);
    // Marks a worked-on slot ready (or checked, to be decompressed), or frees it when the
    // caller has passed it by.
    void Publish(Slot* slot, Slot::State state = Slot::State::Ready);
    // Decrypts a slot's payload in place; false with the verdict set when it cannot.
    bool Decrypt(Slot& slot, TBlowFish& cipher);
    // The verdict of a slot whose checksum was compared; decompresses when it is right.
    void Finish(Slot& slot, bool checksumRight, Inflater& inflater);
    // Marks a slot as being worked on; false (and the slot freed) when the extracting thread
    // took its block over.
    bool StartWork(Slot* slot);
    // Checks slots being worked on (plain or decrypted) side by side, then decodes each;
    // `areas` is the calling thread's own scratch list.
    void CheckSideBySide(std::span<Slot* const> slots, Inflater& inflater,
                         std::vector<archive::ChecksumArea>& areas);
    // Moves read slots into the checksum lanes while there is room, then runs the lanes until
    // one block's checksum ends. A block to decompress is left Checked; the rest are published.
    void StepLanes();
    // Whether a block whose checksum is right still needs decompressing.
    bool Decompresses(const Slot& slot) const;
    // The first (or `last`) Checked slot, now Working; nullptr when none is (lock held).
    Slot* ClaimChecked(bool last);
    // Decompresses the last Checked slot, the one the caller reaches last; false when none is.
    bool InflateLastChecked();
    // The caller's share while its block is not ready: decompresses the first Checked slot;
    // false when none is. Called with the lock held.
    bool InflateFirstCheckedAsCaller(std::unique_lock<std::mutex>& lock);
    // Checking only, out of slots: moves the last blocks read into the thread's own lanes.
    void TakeOverLast();
    // Starts the thread's work on a slot: it joins the lanes, an encrypted one once decrypted
    // (one that cannot be is published with its verdict).
    void StartOnThread(Slot* slot);
    using LaneSlots = std::array<Slot*, archive::ChecksumLanes::kLanes>; // by lane tag
    static void EnterLane(archive::ChecksumLanes& lanes, LaneSlots& inLane, Slot* slot);
    // Runs the lanes until a check ends; \returns its slot, `right` whether its checksum is.
    static Slot* LeaveLane(archive::ChecksumLanes& lanes, LaneSlots& inLane, bool& right);
    // After a read: the digest the check keeps (checking) or whether the block is known
    // (decoding).
    void NoteDigest(Slot& slot);
    // Whether the thread holds read slots it has not finished.
    bool Holding() const;
    // Checks read blocks in the caller's own lanes, in file order, until `target` is ready or
    // the thread stopped before reading it (checksums only). Called with the lock held.
    void CheckAsCaller(Slot* target, std::unique_lock<std::mutex>& lock);
    // Ends every check in the caller's lanes (lock held), before any of them is passed by.
    void RunDownCallerLanes();
    // Ends the caller lanes' next check; \returns its slot, finished but not yet Ready.
    Slot* StepCallerLanes();

    // Slots the extracting thread checks at once when it helps.
    static constexpr std::size_t kBatch = 4;

    std::unique_ptr<platform::Stream> file_;
    Settings settings_;
    std::unique_ptr<Inflater> inflater_;
    std::unique_ptr<TBlowFish> cipher_;
    // The extracting thread's own, for the blocks it decodes while it waits.
    std::unique_ptr<Inflater> callerInflater_;
    std::unique_ptr<TBlowFish> callerCipher_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Slot>> free_;
    std::deque<Slot*> queue_; // claimed, in file order
    Slot* taken_ = nullptr;
    std::int64_t callerAt_ = -1; // the furthest block the extracting thread decodes itself
    bool stop_ = false;
    bool finished_ = false;
    SecretText key_;
    std::uint64_t keyGeneration_ = 0;
    archive::ChecksumLanes lanes_; // the thread's own
    LaneSlots inLane_{};
    std::vector<archive::ChecksumArea> callerAreas_; // the extracting thread's, when it helps
    archive::ChecksumLanes callerLanes_;             // the caller's, checksums only
    LaneSlots callerInLane_{};
    std::vector<Slot*> batch_; // read by the thread, not yet in the lanes
    Slot* reading_ = nullptr;  // the slot the thread is reading into (the thread's own)
    std::size_t knownAt_ = 0;  // the thread's place in settings_.known
    std::thread thread_;
};

} // namespace vexo::extract
