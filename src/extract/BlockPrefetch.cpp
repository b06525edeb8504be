// BlockPrefetch.cpp - the second thread's walk over one segment's blocks.
#include "extract/BlockPrefetch.h"

#include "archive/Checksum.h"
#include "archive/Format.h"
#include "extract/BlockCursor.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "extract/Inflate.h"

#include <algorithm>
#include <array>
#include <span>

namespace vexo::extract {
namespace {

// What a slot's checksum runs over: nothing for a block known to be right.
archive::ChecksumArea AreaToCheck(const BlockPrefetcher::Slot& slot) {
    return {slot.in.data(), slot.knownRight ? 0 : slot.size, 0xFFFFFFFFu};
}

bool ChecksumRight(const BlockPrefetcher::Slot& slot, std::uint32_t value) {
    return slot.knownRight || ~value == slot.checksum;
}

} // namespace

std::size_t BlockPrefetcher::SlotsFor(std::size_t blockSize, bool decode) {
    constexpr std::size_t kBudget = std::size_t{2} << 20;
    const std::size_t slots =
        std::clamp<std::size_t>(kBudget / std::max<std::size_t>(blockSize, 1), 2, 16);
    // Checking only, both threads keep lanes full, and slots need no decoded buffer.
    return decode ? slots : slots * 2;
}

BlockPrefetcher::BlockPrefetcher(std::unique_ptr<platform::Stream> file, Settings settings,
                                 std::string_view key)
    : file_(std::move(file)), settings_(std::move(settings)),
      inflater_(std::make_unique<Inflater>()) {
    if (!key.empty()) SetKey(key);
    if (settings_.encrypted) {
        cipher_ = std::make_unique<TBlowFish>();
        callerCipher_ = std::make_unique<TBlowFish>();
    }
    callerInflater_ = std::make_unique<Inflater>();
    const std::size_t slots = SlotsFor(settings_.blockSize, settings_.decode);
    for (std::size_t i = 0; i < slots; ++i) {
        auto slot = std::make_unique<Slot>();
        slot->in.resize(settings_.inCapacity);
        if (settings_.decode) slot->out.resize(settings_.blockSize);
        free_.push_back(std::move(slot));
    }
    thread_ = std::thread([this] { Run(); });
}

BlockPrefetcher::~BlockPrefetcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (taken_) free_.emplace_back(taken_);
    for (Slot* slot : queue_)
        free_.emplace_back(slot);
    // Decrypted payloads are as telling as the key; without a cipher there are none.
    if (settings_.encrypted)
        for (auto& slot : free_)
            SecureWipe(slot->in.data(), slot->in.size());
}

std::uint64_t BlockPrefetcher::SetKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    if (key != key_.View()) {
        key_.Assign(key);
        ++keyGeneration_;
    }
    return keyGeneration_;
}

const BlockPrefetcher::Slot* BlockPrefetcher::Take(std::int64_t position) {
    std::unique_lock lock(mutex_);
    if (taken_) {
        free_.emplace_back(taken_);
        taken_ = nullptr;
        changed_.notify_all();
    }
    // Blocks the extraction passed (skipped entries) are dropped.
    while (!queue_.empty() && queue_.front()->position < position) {
        if (queue_.front()->state == Slot::State::Working && !settings_.decode)
            RunDownCallerLanes();
        Drop(queue_.front());
        queue_.pop_front();
        changed_.notify_all();
    }
    if (!queue_.empty() && queue_.front()->position == position && !settings_.decode) {
        Slot* slot = queue_.front();
        CheckAsCaller(slot, lock);
        queue_.pop_front();
        if (slot->state == Slot::State::Ready) {
            taken_ = slot;
            return slot;
        }
        // The thread stopped while reading it: read and checked by the caller after all.
        callerAt_ = std::max(callerAt_, position);
        Drop(slot);
        changed_.notify_all();
        return nullptr;
    }
    if (!queue_.empty() && queue_.front()->position == position) {
        Slot* slot = queue_.front();
        if (slot->state == Slot::State::Reading) {
            // Not even read: decoding it here beats waiting for it. The thread hands the slot
            // back when it gets to it, or here when it has stopped.
            queue_.pop_front();
            callerAt_ = std::max(callerAt_, position);
            Drop(slot);
            changed_.notify_all();
            return nullptr;
        }
        while (slot->state != Slot::State::Ready) {
            // Checked blocks, this one first, are decompressed here rather than waited for.
            if (InflateFirstCheckedAsCaller(lock)) continue;
            if (finished_) break;
            // Read but not started (this block or later ones): checked and decoded here,
            // side by side, rather than waited for.
            std::array<Slot*, kBatch> help{};
            std::size_t helping = 0;
            for (Slot* s : queue_) {
                if (helping == help.size()) break;
                if (s->state != Slot::State::Waiting) continue;
                s->state = Slot::State::Working;
                help[helping++] = s;
            }
            if (helping == 0) {
                changed_.wait(lock);
                continue;
            }
            lock.unlock();
            // Decrypted first, the payloads are checked side by side like plain ones.
            std::array<Slot*, kBatch> readable{};
            std::size_t readableCount = 0;
            for (std::size_t i = 0; i < helping; ++i)
                if (!help[i]->encrypted || Decrypt(*help[i], *callerCipher_))
                    readable[readableCount++] = help[i];
            CheckSideBySide(std::span(readable.data(), readableCount), *callerInflater_,
                            callerAreas_);
            lock.lock();
            for (std::size_t i = 0; i < helping; ++i)
                help[i]->state = Slot::State::Ready;
            changed_.notify_all();
        }
        if (slot->state != Slot::State::Ready) return nullptr;
        queue_.pop_front();
        taken_ = slot;
        return slot;
    }
    // Not reached yet: the extracting thread decodes it, and this thread will pass it by.
    callerAt_ = std::max(callerAt_, position);
    return nullptr;
}

void BlockPrefetcher::CheckAsCaller(Slot* target, std::unique_lock<std::mutex>& lock) {
    constexpr std::size_t kLanes = archive::ChecksumLanes::kLanes;
    while (target->state != Slot::State::Ready) {
        if (target->state == Slot::State::Reading && finished_) return;
        std::array<Slot*, kLanes> started{};
        std::size_t starting = 0;
        for (Slot* s : queue_) {
            if (callerLanes_.Busy() + starting == kLanes || s->state == Slot::State::Reading) break;
            if (s->state != Slot::State::Waiting) continue;
            s->state = Slot::State::Working;
            started[starting++] = s;
        }
        // Nothing to check here: the target is still being read, or in the thread's lanes.
        if (starting == 0 && callerLanes_.Busy() == 0) {
            changed_.wait(lock);
            continue;
        }
        lock.unlock();
        std::array<Slot*, kLanes + 1> done{};
        std::size_t finished = 0;
        for (std::size_t i = 0; i < starting; ++i) {
            Slot* s = started[i];
            if (s->encrypted && !Decrypt(*s, *callerCipher_))
                done[finished++] = s;
            else
                EnterLane(callerLanes_, callerInLane_, s);
        }
        if (callerLanes_.Busy() > 0) done[finished++] = StepCallerLanes();
        lock.lock();
        for (std::size_t i = 0; i < finished; ++i)
            done[i]->state = Slot::State::Ready;
    }
}

BlockPrefetcher::Slot* BlockPrefetcher::StepCallerLanes() {
    bool right = false;
    Slot* slot = LeaveLane(callerLanes_, callerInLane_, right);
    Finish(*slot, right, *callerInflater_);
    return slot;
}

void BlockPrefetcher::RunDownCallerLanes() {
    while (callerLanes_.Busy() > 0)
        StepCallerLanes()->state = Slot::State::Ready;
}

void BlockPrefetcher::Reclaim(Slot* slot) {
    slot->state = Slot::State::Reading;
    free_.emplace_back(slot);
}

void BlockPrefetcher::Drop(Slot* slot) {
    // A slot the thread still reads or checks (its lanes point into it) is freed by the thread.
    // Checking only, the thread holds read slots only once they are in its lanes.
    if (finished_ || slot->state == Slot::State::Ready || slot->state == Slot::State::Checked ||
        (!settings_.decode && slot->state == Slot::State::Waiting))
        free_.emplace_back(slot);
    else
        slot->state = Slot::State::Abandoned;
}

void BlockPrefetcher::NoteDigest(Slot& slot) {
    slot.knownRight = false;
    // An encrypted block's checksum is of its decrypted payload, which the key decides.
    if (slot.encrypted) return;
    if (!settings_.decode) {
        slot.digest = PayloadDigest(slot.in.data(), slot.size);
        return;
    }
    const KnownBlocks& known = settings_.known;
    const auto it = std::lower_bound(
        known.begin() + static_cast<std::ptrdiff_t>(knownAt_), known.end(), slot.position,
        [](const KnownBlock& k, std::int64_t p) { return k.position < p; });
    knownAt_ = static_cast<std::size_t>(it - known.begin());
    slot.knownRight = it != known.end() && it->position == slot.position &&
                      it->length == slot.length && it->checksum == slot.checksum &&
                      it->digest == PayloadDigest(slot.in.data(), slot.size);
}

void BlockPrefetcher::WaitForWalk() {
    std::unique_lock lock(mutex_);
    // Checking only, read slots are left to the caller, and so are those in its own lanes.
    const auto done = [&](const Slot* s) {
        return s->state == Slot::State::Ready ||
               (!settings_.decode && (s->state == Slot::State::Waiting ||
                                      std::count(callerInLane_.begin(), callerInLane_.end(), s)));
    };
    changed_.wait(lock, [&] {
        return finished_ || (free_.empty() && std::all_of(queue_.begin(), queue_.end(), done));
    });
}

void BlockPrefetcher::Release() {
    std::lock_guard lock(mutex_);
    if (taken_) free_.emplace_back(taken_);
    taken_ = nullptr;
    changed_.notify_all();
}

BlockPrefetcher::Slot* BlockPrefetcher::Claim(std::int64_t position, bool wait, bool& full) {
    std::unique_lock lock(mutex_);
    full = false;
    if (wait) changed_.wait(lock, [&] { return stop_ || !free_.empty(); });
    if (stop_ || position <= callerAt_) return nullptr;
    if (free_.empty()) {
        full = true;
        return nullptr;
    }
    Slot* slot = free_.back().release();
    free_.pop_back();
    slot->position = position;
    slot->state = Slot::State::Reading;
    slot->keyGeneration = keyGeneration_;
    queue_.push_back(slot);
    return slot;
}

void BlockPrefetcher::Publish(Slot* slot, Slot::State state) {
    {
        std::lock_guard lock(mutex_);
        if (slot->state == Slot::State::Abandoned)
            Reclaim(slot);
        else
            slot->state = state;
    }
    changed_.notify_all();
}

bool BlockPrefetcher::Decrypt(Slot& slot, TBlowFish& cipher) {
    SecretText key;
    {
        std::lock_guard lock(mutex_);
        if (slot.keyGeneration != keyGeneration_ || key_.Empty()) {
            slot.verdict = Verdict::BadPayload;
            slot.keyGeneration = 0; // never matches: the caller decodes it
            return false;
        }
        key.Assign(key_.View());
    }
    const DecodedPayload result =
        DecodeEncryptedPayload(cipher, key.View(), std::span(slot.in.data(), slot.size));
    if (result.Damaged() || result.plainLength > slot.size) {
        slot.verdict = Verdict::BadPayload;
        return false;
    }
    slot.size = result.plainLength;
    return true;
}

bool BlockPrefetcher::StartWork(Slot* slot) {
    std::lock_guard lock(mutex_);
    if (slot->state == Slot::State::Abandoned) {
        Reclaim(slot);
        changed_.notify_all();
        return false;
    }
    if (slot->state != Slot::State::Waiting) return false; // the extracting thread has it
    slot->state = Slot::State::Working;
    return true;
}

void BlockPrefetcher::Finish(Slot& slot, bool checksumRight, Inflater& inflater) {
    if (!checksumRight) {
        slot.verdict = Verdict::BadChecksum;
    } else if (!Decompresses(slot)) {
        slot.verdict = Verdict::Good;
        slot.data = slot.in.data();
    } else {
        auto decoded =
            inflater.Inflate(slot.out.data(), settings_.blockSize, slot.in.data(), slot.size);
        slot.verdict = decoded ? Verdict::Good : Verdict::BadUncompress;
        slot.data = slot.out.data();
        slot.size = decoded.value_or(0);
    }
}

void BlockPrefetcher::CheckSideBySide(std::span<Slot* const> slots, Inflater& inflater,
                                      std::vector<archive::ChecksumArea>& areas) {
    // Each checksum alone is one long chain of dependent table look-ups.
    areas.clear();
    for (Slot* slot : slots)
        areas.push_back(AreaToCheck(*slot));
    archive::ArchiveChecksumMany(areas);
    for (std::size_t i = 0; i < slots.size(); ++i)
        Finish(*slots[i], ChecksumRight(*slots[i], areas[i].value), inflater);
}

void BlockPrefetcher::StepLanes() {
    // Read blocks join the lanes while there is room.
    std::size_t kept = 0;
    for (Slot* slot : batch_) {
        if (lanes_.Busy() == archive::ChecksumLanes::kLanes) {
            batch_[kept++] = slot;
            continue;
        }
        if (StartWork(slot)) StartOnThread(slot);
    }
    batch_.resize(kept);
    if (lanes_.Busy() == 0) return;
    bool right = false;
    Slot* slot = LeaveLane(lanes_, inLane_, right);
    // Decompression waits: the thread reads and checks ahead first, and decompresses from the
    // back when out of slots, while the caller decompresses from the front when it waits.
    if (right && Decompresses(*slot)) {
        Publish(slot, Slot::State::Checked);
        return;
    }
    Finish(*slot, right, *inflater_);
    Publish(slot);
}

bool BlockPrefetcher::Decompresses(const Slot& slot) const {
    return settings_.decode && slot.length >= 0; // a negative length marks a stored block
}

BlockPrefetcher::Slot* BlockPrefetcher::ClaimChecked(bool last) {
    const auto checked = [](const Slot* s) { return s->state == Slot::State::Checked; };
    Slot* slot = nullptr;
    if (last) {
        const auto it = std::find_if(queue_.rbegin(), queue_.rend(), checked);
        if (it != queue_.rend()) slot = *it;
    } else {
        const auto it = std::find_if(queue_.begin(), queue_.end(), checked);
        if (it != queue_.end()) slot = *it;
    }
    if (slot) slot->state = Slot::State::Working;
    return slot;
}

bool BlockPrefetcher::InflateLastChecked() {
    Slot* slot = nullptr;
    {
        std::lock_guard lock(mutex_);
        slot = ClaimChecked(true);
    }
    if (!slot) return false;
    Finish(*slot, true, *inflater_);
    Publish(slot);
    return true;
}

bool BlockPrefetcher::InflateFirstCheckedAsCaller(std::unique_lock<std::mutex>& lock) {
    Slot* slot = ClaimChecked(false);
    if (!slot) return false;
    lock.unlock();
    Finish(*slot, true, *callerInflater_);
    lock.lock();
    slot->state = Slot::State::Ready;
    changed_.notify_all();
    return true;
}

void BlockPrefetcher::StartOnThread(Slot* slot) {
    if (slot->encrypted && !Decrypt(*slot, *cipher_)) {
        Publish(slot);
        return;
    }
    EnterLane(lanes_, inLane_, slot);
}

void BlockPrefetcher::EnterLane(archive::ChecksumLanes& lanes, LaneSlots& inLane, Slot* slot) {
    const auto lane =
        static_cast<std::size_t>(std::find(inLane.begin(), inLane.end(), nullptr) - inLane.begin());
    inLane[lane] = slot;
    lanes.Add(AreaToCheck(*slot), lane);
}

BlockPrefetcher::Slot* BlockPrefetcher::LeaveLane(archive::ChecksumLanes& lanes, LaneSlots& inLane,
                                                  bool& right) {
    const archive::ChecksumLanes::Ended ended = lanes.Next();
    Slot* slot = inLane[ended.tag];
    inLane[ended.tag] = nullptr;
    right = ChecksumRight(*slot, ended.value);
    return slot;
}

void BlockPrefetcher::TakeOverLast() {
    std::array<Slot*, archive::ChecksumLanes::kLanes> taken{};
    std::size_t n = 0;
    {
        std::lock_guard lock(mutex_);
        // The last read are the ones the caller reaches last.
        for (auto it = queue_.rbegin(); it != queue_.rend(); ++it) {
            if (lanes_.Busy() + n == taken.size()) break;
            if ((*it)->state != Slot::State::Waiting) continue;
            (*it)->state = Slot::State::Working;
            taken[n++] = *it;
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        StartOnThread(taken[i]);
}

bool BlockPrefetcher::Holding() const {
    return !batch_.empty() || lanes_.Busy() > 0;
}

void BlockPrefetcher::Walk() {
    std::int64_t record = settings_.firstRecord;
    const std::int64_t end = settings_.segmentEnd;
    const std::size_t ahead =
        std::min(archive::ChecksumLanes::kLanes, SlotsFor(settings_.blockSize, true));
    while (record < end) {
        file_->SetPosition(record);
        archive::TFileEntry entry;
        archive::ReadFileEntry(*file_, entry);
        const std::int64_t data = file_->Position();
        if (entry.PieceStoredSize < 0 || data + entry.PieceStoredSize > end) break;
        record = data + entry.PieceStoredSize;
        const bool encrypted = (entry.Flags & archive::kEntryEncrypted) != 0;
        if ((entry.Flags & archive::kEntryFolder) != 0 || entry.FileSize == 0 ||
            (encrypted && !cipher_))
            continue;
        // What the extraction would refuse is left to it.
        BlockCursor blocks(*file_, data, record, end, settings_.inCapacity);
        while (!blocks.AtEnd()) {
            const std::optional<BlockHead> head = blocks.ReadHead();
            if (!head) break;
            // Never wait for a slot while holding unfinished ones: the caller may wait on them.
            // Out of slots, the lanes run down until one is free or none is held.
            bool full = false;
            Slot* slot = Claim(head->position, false, full);
            while (full) {
                // Checking only, the time the thread would wait goes into the caller's share.
                if (!settings_.decode) TakeOverLast();
                // Checked blocks first: running the lanes down leaves checks running alone.
                const bool inflated = settings_.decode && InflateLastChecked();
                const bool working = inflated || Holding();
                if (!inflated && Holding()) StepLanes();
                slot = Claim(head->position, !working, full);
            }
            if (slot) {
                slot->length = head->length;
                slot->checksum = head->checksum;
                slot->encrypted = encrypted;
                slot->size = static_cast<std::size_t>(head->payload);
                reading_ = slot; // a short archive ends the walk here
                blocks.ReadPayload(*head, slot->in.data());
                NoteDigest(*slot);
                // A known block needs no check: it is open to either thread's decompression
                // at once, never held in the lanes.
                Slot::State settled = Slot::State::Waiting;
                if (slot->knownRight && Decompresses(*slot)) {
                    settled = Slot::State::Checked;
                } else if (slot->knownRight) {
                    Finish(*slot, true, *inflater_);
                    settled = Slot::State::Ready;
                }
                {
                    std::lock_guard lock(mutex_);
                    reading_ = nullptr;
                    if (slot->state == Slot::State::Reading) {
                        slot->state = settled;
                    } else {
                        Reclaim(slot); // the caller took the block over meanwhile
                        slot = nullptr;
                    }
                }
                if (!slot) {
                    changed_.notify_all();
                    continue;
                }
                if (!settings_.decode || settled != Slot::State::Waiting) {
                    // The caller may be waiting for this very read; the thread's own checks
                    // go on between reads.
                    changed_.notify_all();
                    if (Holding()) StepLanes();
                    continue;
                }
                // Blocks wait, still open to the caller's help, until they fill the lanes.
                batch_.push_back(slot);
                if (batch_.size() + lanes_.Busy() >= ahead) StepLanes();
            } else {
                {
                    std::lock_guard lock(mutex_);
                    if (stop_) return;
                }
                blocks.SkipPayload(*head);
            }
        }
    }
    while (Holding())
        StepLanes();
    while (InflateLastChecked()) {
    }
}

void BlockPrefetcher::Run() noexcept {
    try {
        Walk();
    } catch (...) {
        // A damaged or short archive: the extraction meets the same bytes and reports them.
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        // Slots the extracting thread took over come back here; the rest are still queued.
        for (Slot* slot : batch_)
            if (slot->state == Slot::State::Abandoned) Reclaim(slot);
        batch_.clear();
        // A read that failed: queued, the caller drops it; passed by, only this thread has it.
        if (reading_ && reading_->state == Slot::State::Abandoned) Reclaim(reading_);
        reading_ = nullptr;
        // A walk cut short leaves checks unfinished: their slots are read, open to the caller.
        for (Slot*& slot : inLane_) {
            if (slot && slot->state == Slot::State::Abandoned)
                Reclaim(slot);
            else if (slot)
                slot->state = Slot::State::Waiting;
            slot = nullptr;
        }
    }
    changed_.notify_all();
}

} // namespace vexo::extract
