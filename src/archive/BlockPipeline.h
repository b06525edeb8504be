// BlockPipeline.h - blocks encoded on worker threads and handed back in the order given.
#pragma once

#include "archive/ArchiveWriter.h"
#include "archive/BlockBuffer.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace vexo::archive {

/// A block as it is written, and the count of file bytes it holds.
struct EncodedBlock {
    std::vector<std::uint8_t> bytes;
    std::size_t plainSize = 0;
};

/// Blocks submitted in order are encoded by `threads` workers (one thread: on the caller's,
/// inside Submit) and taken back in the same order, so the output does not depend on the
/// number of threads. At most `window` blocks are submitted and not yet taken: the caller
/// takes the oldest before submitting into a full pipeline, which bounds memory whatever the
/// input size. Submit and TakeOldest belong to one thread.
class BlockPipeline {
  public:
    BlockPipeline(const ArchiveWriterOptions& options, int threads, std::size_t window);
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    bool Full() const;
    bool Empty() const;
    /// Whether the oldest block is encoded (TakeOldest would not wait).
    bool OldestReady() const;
    void Submit(BlockBuffer plain);
    /// Waits for the oldest block; raises what its encoding raised.
    EncodedBlock TakeOldest();
    /// The most blocks that were ever submitted and not yet taken at once.
    std::size_t PeakInFlight() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// The worker count for a requested count: 0 asks for one per hardware thread.
int WorkerCount(int requested);

/// Entries and their blocks written out in the order they were added, while later blocks are
/// still being encoded. A writer hands entries in (Begin, Block..., End); the sink writes
/// each one when its turn comes.
class OrderedBlockWriter {
  public:
    class Sink {
      public:
        /// The entry's turn has come: its record goes out before its first block.
        virtual void BeginEntry(TFileEntry& entry) = 0;
        virtual void WriteBlock(TFileEntry& entry, const EncodedBlock& block) = 0;
        /// Every block of the entry has been written.
        virtual void EndEntry(TFileEntry& entry) = 0;

      protected:
        ~Sink() = default;
    };

    /// Blocks per worker that may be in flight.
    static constexpr std::size_t kBlocksPerWorker = 4;

    OrderedBlockWriter(const ArchiveWriterOptions& options, Sink& sink);
    ~OrderedBlockWriter();

    /// Begin and Blocks raise EAbort once a stop request has come (platform/Interrupt.h).
    void Begin(TFileEntry entry);
    /// Queues a block of the entry last begun; writes finished work out first when the
    /// pipeline is full.
    void Block(BlockBuffer plain);
    /// Reads `size` bytes of `data` in blocks of `blockSize` and queues them.
    void Blocks(platform::Stream& data, std::int64_t size, std::int32_t blockSize);
    void End();
    /// Writes out every entry handed in.
    void Flush();

    const BlockPipeline& Pipeline() const { return pipeline_; }

  private:
    struct Pending {
        TFileEntry entry;
        std::size_t blocks = 0;  // submitted
        std::size_t written = 0; // taken back and written
        bool begun = false;
        bool ended = false;
    };
    /// Writes out one step of the oldest entry; with `wait`, waits for its next block.
    /// False when nothing could be written without waiting (or nothing is left).
    bool Step(bool wait);
    static void StopIfRequested();

    Sink& sink_;
    const ArchiveWriterOptions& options_;
    BlockPipeline pipeline_;
    std::deque<Pending> pending_;
};

} // namespace vexo::archive
