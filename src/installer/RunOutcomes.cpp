// RunOutcomes.cpp - settling each entry's outcome from the extractor's events.
#include "installer/RunOutcomes.h"

#include <algorithm>
#include <map>

namespace vexo::installer {

int RunSummary::Count(FileOutcome o) const {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [o](const EntryOutcome& e) { return e.outcome == o; }));
}

void OutcomeLedger::Clear() {
    entries_.clear();
    pending_ = false;
    pendingFolder_ = false;
    complete_ = false;
}

std::optional<EntryOutcome> OutcomeLedger::SettlePending(FileOutcome outcome) {
    if (!pending_) return std::nullopt;
    pending_ = false;
    // A folder has nothing to write: once accepted it was created.
    entries_.back().outcome = pendingFolder_ ? FileOutcome::Written : outcome;
    return entries_.back();
}

std::optional<EntryOutcome> OutcomeLedger::Settle(const archive::TFileEntry& entry,
                                                  FileOutcome outcome) {
    // Events arrive for the entry last reached; anything else is not ours to settle.
    if (!pending_ || entries_.empty() || entries_.back().storedName != entry.Name)
        return std::nullopt;
    pendingFolder_ = false;
    return SettlePending(outcome);
}

std::vector<EntryOutcome> OutcomeLedger::Reached(const archive::TFileEntry& entry,
                                                 const std::string& destination,
                                                 FileDecision decision, bool accepted) {
    std::vector<EntryOutcome> settled;
    // The previous entry was accepted but neither written nor failed: the restore policy
    // passed it over.
    if (auto previous = SettlePending(FileOutcome::Kept)) settled.push_back(*previous);
    EntryOutcome e{entry.Name, destination, FileOutcome::NotReached};
    if (accepted) {
        entries_.push_back(e);
        pending_ = true;
        pendingFolder_ = (entry.Flags & archive::kEntryFolder) != 0;
        return settled;
    }
    e.outcome =
        decision == FileDecision::SkippedByRule ? FileOutcome::SkippedByRule : FileOutcome::Kept;
    entries_.push_back(e);
    settled.push_back(e);
    return settled;
}

std::vector<EntryOutcome> OutcomeLedger::Written(const archive::TFileEntry& entry) {
    if (auto e = Settle(entry, FileOutcome::Written)) return {*e};
    return {};
}

std::vector<EntryOutcome> OutcomeLedger::Failed(const archive::TFileEntry& entry) {
    if (auto e = Settle(entry, FileOutcome::Failed)) return {*e};
    return {};
}

std::vector<EntryOutcome> OutcomeLedger::Finish(archive::TOperationStatus operationStatus) {
    using Status = archive::TOperationStatus;
    complete_ = operationStatus == Status::Completed;
    // An entry still open when the run ended: completed means the restore policy passed it
    // over; a cancel stops before its file replaces anything; otherwise its error ended the run.
    FileOutcome open = operationStatus == Status::Completed        ? FileOutcome::Kept
                       : operationStatus == Status::AbortRequested ? FileOutcome::NotReached
                                                                   : FileOutcome::Failed;
    if (auto e = SettlePending(open)) return {*e};
    return {};
}

RunSummary OutcomeLedger::Summary(const std::optional<EntryListing>& archive) const {
    RunSummary s;
    s.complete = complete_;
    s.entries = entries_;
    if (!archive) return s;
    s.listComplete = archive->complete;
    const std::vector<archive::TFileEntry>& all = archive->entries;

    bool samePrefix = all.size() >= entries_.size() &&
                      std::equal(entries_.begin(), entries_.end(), all.begin(),
                                 [](const EntryOutcome& r, const archive::TFileEntry& a) {
                                     return r.storedName == a.Name;
                                 });
    if (samePrefix) {
        for (std::size_t i = entries_.size(); i < all.size(); ++i)
            s.entries.push_back({all[i].Name, "", FileOutcome::NotReached});
        return s;
    }
    // The archive read now differs from the one extracted (replaced on disk): every name it
    // holds beyond those already met is one the run did not reach.
    std::map<std::string, int> met;
    for (const EntryOutcome& e : entries_)
        ++met[e.storedName];
    for (const archive::TFileEntry& a : all) {
        auto it = met.find(a.Name);
        if (it != met.end() && it->second > 0) {
            --it->second;
            continue;
        }
        s.entries.push_back({a.Name, "", FileOutcome::NotReached});
    }
    return s;
}

} // namespace vexo::installer
