// RunOutcomes.h - what became of each archive entry during an installation run: written, kept,
// failed or never reached, so a run that stops part-way can say what it left behind.
#pragma once

#include "archive/ArchiverRoot.h"
#include "archive/Format.h"
#include "installer/InstallRules.h"

#include <optional>
#include <string>
#include <vector>

namespace vexo::installer {

enum class FileOutcome {
    Written,       // the file (or folder) is on disk as the archive holds it
    Kept,          // refused by its rule or by the restore policy: the existing file stays
    SkippedByRule, // rule "X": never written (counted with the kept ones)
    Failed,        // the error path: the file was left out
    NotReached     // the run stopped before the file was written
};

struct EntryOutcome {
    std::string storedName;  // as the archive holds it, Windows-1252
    std::string destination; // directory the rule chose; empty when never reached
    FileOutcome outcome = FileOutcome::NotReached;
    bool operator==(const EntryOutcome&) const = default;
};

/// The end of one extraction: every entry's outcome in archive order.
struct RunSummary {
    /// The extraction went through every entry (completed); failures answered "Yes" included.
    bool complete = false;
    /// False when the archive's entry list could not be read to its end, so the not-reached
    /// names may be missing some.
    bool listComplete = true;
    std::vector<EntryOutcome> entries;

    int Written() const { return Count(FileOutcome::Written); }
    /// Kept and skipped by rule: both leave the existing file as it is.
    int Kept() const { return Count(FileOutcome::Kept) + Count(FileOutcome::SkippedByRule); }
    int Failed() const { return Count(FileOutcome::Failed); }
    int NotReached() const { return Count(FileOutcome::NotReached); }

  private:
    int Count(FileOutcome o) const;
};

/// The entries of an archive as the extraction would meet them, and whether the list is whole.
struct EntryListing {
    std::vector<archive::TFileEntry> entries;
    bool complete = true;
};

/// Follows the extractor's events through one extraction. Each call returns the outcomes it
/// settled, for the view to report as they happen.
class OutcomeLedger {
  public:
    void Clear();

    /// The install rule's verdict on the entry the extractor reached. A refused entry is
    /// settled at once; an accepted one waits for its file to be written or to fail.
    std::vector<EntryOutcome> Reached(const archive::TFileEntry& entry,
                                      const std::string& destination, FileDecision decision,
                                      bool accepted);
    /// The extractor wrote the entry's file.
    std::vector<EntryOutcome> Written(const archive::TFileEntry& entry);
    /// The entry's file failed (the extractor's error path).
    std::vector<EntryOutcome> Failed(const archive::TFileEntry& entry);
    /// The extraction ended with `operationStatus`.
    std::vector<EntryOutcome> Finish(archive::TOperationStatus operationStatus);

    /// The summary: the reached entries, then the archive's entries after them as not reached.
    RunSummary Summary(const std::optional<EntryListing>& archive) const;

    const std::vector<EntryOutcome>& Entries() const { return entries_; }

  private:
    std::optional<EntryOutcome> Settle(const archive::TFileEntry& entry, FileOutcome outcome);
    std::optional<EntryOutcome> SettlePending(FileOutcome outcome);

    std::vector<EntryOutcome> entries_;
    bool pending_ = false;       // the last entry was accepted and has no outcome yet
    bool pendingFolder_ = false; // ...and is a folder, which has no file to be written
    bool complete_ = false;
};

} // namespace vexo::installer
