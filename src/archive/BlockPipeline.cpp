// BlockPipeline.cpp - a fixed ring of block slots shared by the caller and the workers.
#include "archive/BlockPipeline.h"

#include "archive/BlockCompressor.h"
#include "archive/Exceptions.h"
#include "platform/Interrupt.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vexo::archive {

int WorkerCount(int requested) {
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : static_cast<int>(hardware);
}

// A slot belongs to the caller until submitted, then to the worker that claims it, then to
// the caller again once `done` is set; only the counters and `done` need the lock.
struct BlockPipeline::Impl {
    struct Slot {
        BlockBuffer plain;
        EncodedBlock result;
        std::exception_ptr error;
        bool done = false;
    };

    Impl(const ArchiveWriterOptions& o, std::size_t window) : options(o), slots(window) {}

    void Encode(BlockCompressor& compressor, Slot& slot) {
        try {
            slot.result.plainSize = slot.plain.size();
            slot.result.bytes = compressor.Encode(slot.plain.data(), slot.plain.size(),
                                                  options.Store, options.Encrypt);
        } catch (...) {
            slot.error = std::current_exception();
        }
        slot.plain = BlockBuffer(); // the plain bytes are not needed any more
    }

    void Work(BlockCompressor& compressor) {
        std::unique_lock lock(mutex);
        for (;;) {
            workAvailable.wait(lock, [&] { return stopping || claimed < submitted; });
            if (stopping) return;
            Slot& slot = slots[claimed++ % slots.size()];
            lock.unlock();
            Encode(compressor, slot);
            lock.lock();
            slot.done = true;
            blockDone.notify_one();
        }
    }

    void Stop() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        workAvailable.notify_all();
        for (auto& worker : workers)
            worker.join();
        workers.clear();
    }

    const ArchiveWriterOptions& options;
    std::vector<Slot> slots;
    // One per worker, made on the caller's thread so that a bad level is refused there.
    std::vector<std::unique_ptr<BlockCompressor>> compressors;
    BlockCompressor* inlineCompressor = nullptr; // the single-thread form
    std::vector<std::thread> workers;
    mutable std::mutex mutex;
    std::condition_variable workAvailable, blockDone;
    std::uint64_t submitted = 0, claimed = 0, taken = 0;
    std::size_t peak = 0;
    bool stopping = false;
};

BlockPipeline::BlockPipeline(const ArchiveWriterOptions& options, int threads, std::size_t window)
    : impl_(std::make_unique<Impl>(options, window == 0 ? 1 : window)) {
    for (int i = 0; i < std::max(threads, 1); ++i)
        impl_->compressors.push_back(std::make_unique<BlockCompressor>(options.CompressionLevel));
    if (threads <= 1) {
        impl_->inlineCompressor = impl_->compressors.front().get();
        return;
    }
    try {
        for (auto& compressor : impl_->compressors)
            impl_->workers.emplace_back([this, c = compressor.get()] { impl_->Work(*c); });
    } catch (...) {
        impl_->Stop();
        throw;
    }
}

BlockPipeline::~BlockPipeline() {
    impl_->Stop();
}

bool BlockPipeline::Full() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->submitted - impl_->taken >= impl_->slots.size();
}

bool BlockPipeline::Empty() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->submitted == impl_->taken;
}

bool BlockPipeline::OldestReady() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->submitted != impl_->taken &&
           impl_->slots[impl_->taken % impl_->slots.size()].done;
}

void BlockPipeline::Submit(BlockBuffer plain) {
    Impl& m = *impl_;
    std::unique_lock lock(m.mutex);
    if (m.submitted - m.taken >= m.slots.size())
        throw std::logic_error("Block submitted into a full pipeline");
    Impl::Slot& slot = m.slots[m.submitted % m.slots.size()];
    slot.plain = std::move(plain);
    slot.done = false;
    slot.error = nullptr;
    if (m.inlineCompressor) {
        lock.unlock();
        m.Encode(*m.inlineCompressor, slot);
        lock.lock();
        slot.done = true;
    }
    ++m.submitted;
    m.peak = std::max<std::size_t>(m.peak, m.submitted - m.taken);
    lock.unlock();
    m.workAvailable.notify_one();
}

EncodedBlock BlockPipeline::TakeOldest() {
    Impl& m = *impl_;
    std::unique_lock lock(m.mutex);
    if (m.submitted == m.taken) throw std::logic_error("No block in the pipeline");
    Impl::Slot& slot = m.slots[m.taken % m.slots.size()];
    m.blockDone.wait(lock, [&] { return slot.done; });
    ++m.taken;
    slot.done = false;
    if (slot.error) std::rethrow_exception(std::exchange(slot.error, nullptr));
    return std::move(slot.result);
}

std::size_t BlockPipeline::PeakInFlight() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->peak;
}

OrderedBlockWriter::OrderedBlockWriter(const ArchiveWriterOptions& options, Sink& sink)
    : sink_(sink), options_(options),
      pipeline_(options, WorkerCount(options.Threads),
                static_cast<std::size_t>(WorkerCount(options.Threads)) * kBlocksPerWorker) {}

OrderedBlockWriter::~OrderedBlockWriter() = default;

void OrderedBlockWriter::Begin(TFileEntry entry) {
    StopIfRequested();
    pending_.push_back({std::move(entry)});
}

void OrderedBlockWriter::Block(BlockBuffer plain) {
    while (pipeline_.Full())
        Step(true);
    pipeline_.Submit(std::move(plain));
    ++pending_.back().blocks;
    while (Step(false)) {
    }
}

void OrderedBlockWriter::Blocks(platform::Stream& data, std::int64_t size, std::int32_t blockSize) {
    for (std::int64_t left = size; left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, blockSize));
        BlockBuffer buffer(n);
        data.ReadBuffer(buffer.data(), n);
        platform::TestPausePoint("build-block");
        StopIfRequested();
        Block(std::move(buffer));
        left -= static_cast<std::int64_t>(n);
    }
}

void OrderedBlockWriter::End() {
    pending_.back().ended = true;
    while (Step(false)) {
    }
}

void OrderedBlockWriter::Flush() {
    while (!pending_.empty())
        Step(true);
}

void OrderedBlockWriter::StopIfRequested() {
    // A stop request (a signal, Ctrl+C) ends the build as a cancel does; the writers' outputs
    // are then discarded as the stack unwinds.
    if (platform::InterruptRequested()) throw EAbort();
}

bool OrderedBlockWriter::Step(bool wait) {
    if (pending_.empty()) return false;
    Pending& p = pending_.front();
    if (p.written < p.blocks) {
        if (!wait && !pipeline_.OldestReady()) return false;
        if (!p.begun) {
            p.begun = true;
            sink_.BeginEntry(p.entry);
        }
        const EncodedBlock block = pipeline_.TakeOldest();
        ++p.written;
        sink_.WriteBlock(p.entry, block);
        if (options_.Progress) options_.Progress(static_cast<std::int64_t>(block.plainSize));
        return true;
    }
    if (!p.ended) return false; // its remaining blocks are still being read
    if (!p.begun) {
        p.begun = true;
        sink_.BeginEntry(p.entry);
    }
    sink_.EndEntry(p.entry);
    pending_.pop_front();
    return true;
}

} // namespace vexo::archive
