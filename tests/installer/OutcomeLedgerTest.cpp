// OutcomeLedgerTest.cpp - settling outcomes from event sequences the extractor can produce,
// and the names a stopped run did not reach.
#include "installer/RunOutcomes.h"

#include <gtest/gtest.h>

namespace vexo::installer {
namespace {

using O = FileOutcome;
using Status = archive::TOperationStatus;

archive::TFileEntry Entry(const std::string& name, bool folder = false) {
    archive::TFileEntry e;
    e.Name = name;
    if (folder) e.Flags = archive::kEntryFolder;
    return e;
}

// One event of the extraction: 'a' reached and accepted, 'k' refused (kept), 'x' refused by
// rule "X", 'w' written, 'f' failed; the name is the entry's.
struct Event {
    char kind;
    const char* name;
    bool folder = false;
};

struct LedgerCase {
    const char* name;
    std::vector<Event> events;
    Status status;
    std::vector<std::pair<std::string, O>> expected;
    int reportedAlongTheWay; // outcomes settled before Finish
};

void PrintTo(const LedgerCase& c, std::ostream* os) {
    *os << c.name;
}

class LedgerTest : public ::testing::TestWithParam<LedgerCase> {};

TEST_P(LedgerTest, Settles) {
    const LedgerCase& c = GetParam();
    OutcomeLedger ledger;
    int reported = 0;
    for (const Event& ev : c.events) {
        archive::TFileEntry e = Entry(ev.name, ev.folder);
        std::vector<EntryOutcome> settled;
        switch (ev.kind) {
        case 'a':
            settled = ledger.Reached(e, "D\\", FileDecision::Written, true);
            break;
        case 'k':
            settled = ledger.Reached(e, "D\\", FileDecision::Kept, false);
            break;
        case 'x':
            settled = ledger.Reached(e, "D\\", FileDecision::SkippedByRule, false);
            break;
        case 'w':
            settled = ledger.Written(e);
            break;
        case 'f':
            settled = ledger.Failed(e);
            break;
        }
        reported += static_cast<int>(settled.size());
    }
    EXPECT_EQ(reported, c.reportedAlongTheWay);
    ledger.Finish(c.status);
    RunSummary s = ledger.Summary(std::nullopt);
    EXPECT_EQ(s.complete, c.status == Status::Completed);
    ASSERT_EQ(s.entries.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(s.entries[i].storedName, c.expected[i].first);
        EXPECT_EQ(s.entries[i].outcome, c.expected[i].second) << c.expected[i].first;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, LedgerTest,
    ::testing::Values(
        LedgerCase{"WrittenKeptSkipped",
                   {{'a', "A"}, {'w', "A"}, {'k', "B"}, {'x', "C"}},
                   Status::Completed,
                   {{"A", O::Written}, {"B", O::Kept}, {"C", O::SkippedByRule}},
                   3},
        // Accepted but never written nor failed: the restore policy passed it over.
        LedgerCase{"PassedOverByThePolicy",
                   {{'a', "A"}, {'a', "B"}, {'w', "B"}, {'a', "C"}},
                   Status::Completed,
                   {{"A", O::Kept}, {"B", O::Written}, {"C", O::Kept}},
                   2},
        // A folder has no file to write: accepted means created.
        LedgerCase{"FolderCreated",
                   {{'a', "DIR", true}, {'a', "DIR\\A"}, {'w', "DIR\\A"}},
                   Status::Completed,
                   {{"DIR", O::Written}, {"DIR\\A", O::Written}},
                   2},
        LedgerCase{"FolderThatFailed",
                   {{'a', "DIR", true}, {'f', "DIR"}},
                   Status::RunningOrFailed,
                   {{"DIR", O::Failed}},
                   1},
        LedgerCase{"FailedAndContinued",
                   {{'a', "A"}, {'f', "A"}, {'a', "B"}, {'w', "B"}},
                   Status::Completed,
                   {{"A", O::Failed}, {"B", O::Written}},
                   2},
        // An error that did not go through the error event still fails the open entry.
        LedgerCase{
            "StoppedInsideAnEntry", {{'a', "A"}}, Status::RunningOrFailed, {{"A", O::Failed}}, 0},
        LedgerCase{"CancelledInsideAnEntry",
                   {{'a', "A"}},
                   Status::AbortRequested,
                   {{"A", O::NotReached}},
                   0},
        // An event for an entry the ledger is not waiting for settles nothing.
        LedgerCase{"StrayEvent",
                   {{'a', "A"}, {'w', "B"}, {'w', "A"}, {'w', "A"}},
                   Status::Completed,
                   {{"A", O::Written}},
                   1}),
    [](const ::testing::TestParamInfo<LedgerCase>& row) { return row.param.name; });

std::vector<archive::TFileEntry> Entries(std::initializer_list<const char*> names) {
    std::vector<archive::TFileEntry> out;
    for (const char* n : names)
        out.push_back(Entry(n));
    return out;
}

std::vector<std::string> NotReached(const RunSummary& s) {
    std::vector<std::string> out;
    for (const EntryOutcome& e : s.entries)
        if (e.outcome == O::NotReached) out.push_back(e.storedName);
    return out;
}

TEST(OutcomeLedgerSummary, EntriesAfterTheLastReachedAreNotReached) {
    OutcomeLedger ledger;
    ledger.Reached(Entry("A"), "D\\", FileDecision::Written, true);
    ledger.Written(Entry("A"));
    ledger.Reached(Entry("B"), "D\\", FileDecision::Written, true);
    ledger.Failed(Entry("B"));
    ledger.Finish(Status::RunningOrFailed);
    // Same names twice: positions decide, not names.
    RunSummary s = ledger.Summary(EntryListing{Entries({"A", "B", "A", "C"}), true});
    EXPECT_EQ(NotReached(s), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(s.Written(), 1);
    EXPECT_EQ(s.Failed(), 1);
    EXPECT_EQ(s.NotReached(), 2);
    EXPECT_TRUE(s.listComplete);
}

TEST(OutcomeLedgerSummary, AnArchiveReplacedOnDiskIsComparedByName) {
    OutcomeLedger ledger;
    ledger.Reached(Entry("A"), "D\\", FileDecision::Kept, false);
    ledger.Reached(Entry("B"), "D\\", FileDecision::Kept, false);
    ledger.Finish(Status::AbortRequested);
    RunSummary s = ledger.Summary(EntryListing{Entries({"NEW", "B", "A", "C"}), true});
    EXPECT_EQ(NotReached(s), (std::vector<std::string>{"NEW", "C"}));
    EXPECT_EQ(s.Kept(), 2);
}

TEST(OutcomeLedgerSummary, AListCutShortIsSaidSo) {
    OutcomeLedger ledger;
    ledger.Finish(Status::RunningOrFailed);
    RunSummary s = ledger.Summary(EntryListing{Entries({"A"}), false});
    EXPECT_FALSE(s.listComplete);
    EXPECT_EQ(NotReached(s), std::vector<std::string>{"A"});
}

TEST(OutcomeLedgerSummary, ClearForgetsTheLastRun) {
    OutcomeLedger ledger;
    ledger.Reached(Entry("A"), "D\\", FileDecision::Written, true);
    ledger.Finish(Status::Completed);
    ledger.Clear();
    EXPECT_TRUE(ledger.Entries().empty());
    EXPECT_TRUE(ledger.Written(Entry("A")).empty());
    EXPECT_FALSE(ledger.Summary(std::nullopt).complete);
}

} // namespace
} // namespace vexo::installer
