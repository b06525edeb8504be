// RunSummaryTest.cpp - what a run says it left behind: every entry written, kept, failed or not
// reached, checked against the files on disk.
#include "DamageHelpers.h"
#include "InstallerFixture.h"
#include "archive/PromptTexts.h"
#include "common/ScriptedPrompts.h"
#include "installer/Unattended.h"

namespace vexo::installer::test {
namespace {

const std::string kRoot = "C:\\VEXO\\DALVO\\";
const std::string kInstaller = "C:\\descargas\\ZPX16.EXE";

using O = FileOutcome;

struct PackagedFile {
    const char* stored;
    char rule;
    std::string content;
    const char* target;                  // where the rule puts it, under the root
    std::optional<std::string> previous; // on disk before the run
};

// A (written), B (the second entry: damaged, or where the cancel comes), a data file that is
// already there (kept), a rule "X" file (skipped), C.
const std::vector<PackagedFile>& Files() {
    static const std::vector<PackagedFile> files = {
        {"A.TXT", 'R', "a", "A.TXT", std::nullopt},
        {"B.TXT", 'R', std::string(5000, 'b'), "B.TXT", std::nullopt},
        {"Datos\\EMP.DAT", 'I', "new data", "Datos\\EMP.DAT", "user data"},
        {"Programa\\NOTAS.TXT", 'X', "notes", "Programa\\NOTAS.TXT", std::nullopt},
        {"C.TXT", 'R', std::string(3000, 'c'), "C.TXT", std::nullopt}};
    return files;
}

enum class Damage { None, InflateOfB, ChecksumOfB, RecordOfNotas };
enum class Action { None, AnswerNo, AnswerYes, CancelAtB };

struct SummaryCase {
    const char* name;
    Damage damage;
    Action action;
    RunResult lastRunResult;
    bool complete;
    bool listComplete;
    std::vector<O> outcomes; // in archive order; shorter when the archive cannot be read
};

void PrintTo(const SummaryCase& c, std::ostream* os) {
    *os << c.name;
}

class RunSummaryTest : public InstallerTest, public ::testing::WithParamInterface<SummaryCase> {};

TEST_P(RunSummaryTest, OutcomesMatchTheDisk) {
    const SummaryCase& c = GetParam();
    PackageSpec pkg;
    for (const PackagedFile& f : Files())
        pkg.files.push_back({f.stored, f.rule, f.content});
    InstallerWindow& w = Window(kInstaller, pkg);
    for (const PackagedFile& f : Files())
        if (f.previous) WriteFile(kRoot + f.target, *f.previous);
    switch (c.damage) {
    case Damage::None:
        break;
    case Damage::InflateOfB:
        ASSERT_TRUE(DamageInflate(Host(kInstaller), Files()[1].content));
        break;
    case Damage::ChecksumOfB:
        ASSERT_TRUE(DamageChecksum(Host(kInstaller), Files()[1].content));
        break;
    case Damage::RecordOfNotas:
        ASSERT_TRUE(DamageRecord(Host(kInstaller), Files()[3].stored));
        break;
    }
    ASSERT_TRUE(w.OnCreate());

    vexo::test::ScriptedPrompts prompts;
    archive::ScopedPrompts scoped(prompts);
    if (c.action == Action::AnswerNo) prompts.QueueResult(archive::ContinueAnswer::No);
    if (c.action == Action::AnswerYes) prompts.QueueResult(archive::ContinueAnswer::Yes);
    bool cancelled = false;
    if (c.action == Action::CancelAtB) {
        view_.onProcessMessages = [&] {
            if (view_.currentFile != "..\\B.TXT" || cancelled) return;
            cancelled = true;
            view_.answers.push_back(true);
            w.OnCancelClicked();
        };
    }
    w.OnInstallClicked();

    EXPECT_EQ(w.LastRunResult(), c.lastRunResult);
    bool answered = c.action == Action::AnswerNo || c.action == Action::AnswerYes;
    EXPECT_EQ(prompts.Records().size(), answered ? 1u : 0u);

    ASSERT_EQ(view_.summaries.size(), 1u);
    const RunSummary& s = view_.summaries[0];
    EXPECT_EQ(s.complete, c.complete);
    EXPECT_EQ(s.listComplete, c.listComplete);
    ASSERT_EQ(s.entries.size(), c.outcomes.size());
    std::size_t reported = 0;
    for (std::size_t i = 0; i < c.outcomes.size(); ++i) {
        const PackagedFile& f = Files()[i];
        const EntryOutcome& e = s.entries[i];
        SCOPED_TRACE(f.stored);
        EXPECT_EQ(e.storedName, f.stored);
        EXPECT_EQ(e.outcome, c.outcomes[i]);
        // The outcome is what the disk shows: a written file holds the archive's bytes, any
        // other leaves the file as it was.
        std::string target = kRoot + f.target;
        if (e.outcome == O::Written)
            EXPECT_EQ(ReadFile(target), f.content);
        else
            EXPECT_EQ(ReadFile(target), f.previous);
        if (e.outcome == O::NotReached) {
            EXPECT_TRUE(e.destination.empty() || c.action == Action::CancelAtB);
            continue;
        }
        // Settled entries were reported as they happened, in order.
        ASSERT_LT(reported, view_.files.size());
        EXPECT_EQ(view_.files[reported].first, target);
        EXPECT_EQ(view_.files[reported].second, e.outcome);
        ++reported;
    }
    EXPECT_EQ(reported, view_.files.size());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RunSummaryTest,
    ::testing::Values(
        SummaryCase{"Complete",
                    Damage::None,
                    Action::None,
                    RunResult::Finished,
                    true,
                    true,
                    {O::Written, O::Written, O::Kept, O::SkippedByRule, O::Written}},
        SummaryCase{"DamagedSecondEntryAnsweredNo",
                    Damage::InflateOfB,
                    Action::AnswerNo,
                    RunResult::Failed,
                    false,
                    true,
                    {O::Written, O::Failed, O::NotReached, O::NotReached, O::NotReached}},
        SummaryCase{"DamagedSecondEntryAnsweredYes",
                    Damage::InflateOfB,
                    Action::AnswerYes,
                    RunResult::Finished,
                    true,
                    true,
                    {O::Written, O::Failed, O::Kept, O::SkippedByRule, O::Written}},
        SummaryCase{"CancelledAtSecondEntry",
                    Damage::None,
                    Action::CancelAtB,
                    RunResult::NothingShown,
                    false,
                    true,
                    {O::Written, O::NotReached, O::NotReached, O::NotReached, O::NotReached}},
        SummaryCase{"RefusedByTheBlockCheck",
                    Damage::ChecksumOfB,
                    Action::None,
                    RunResult::Failed,
                    false,
                    true,
                    {O::NotReached, O::NotReached, O::NotReached, O::NotReached, O::NotReached}},
        // The list ends at the damaged record: the names after it cannot be known.
        SummaryCase{"UnreadableFourthRecord",
                    Damage::RecordOfNotas,
                    Action::None,
                    RunResult::Failed,
                    false,
                    false,
                    {O::NotReached, O::NotReached, O::NotReached}}),
    [](const ::testing::TestParamInfo<SummaryCase>& row) { return row.param.name; });

class RunSummaryEdges : public InstallerTest {};

TEST_F(RunSummaryEdges, NoSummaryWhenTheRunStopsBeforeExtracting) {
    PackageSpec pkg;
    pkg.code = archive::kUpdatePackageCode;
    pkg.productCode = "DALVO";
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Window(kInstaller, pkg);
    ASSERT_TRUE(w.OnCreate());
    w.OnInstallClicked();
    ASSERT_EQ(view_.errors.size(), 1u); // the program is missing
    EXPECT_TRUE(view_.summaries.empty());
}

TEST_F(RunSummaryEdges, AWindowThatDoesNotAskIsNotMadeToReadTheArchiveAgain) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}, {"B.TXT", 'R', "b"}, {"C.TXT", 'R', "c"}};
    InstallerWindow& w = Window(kInstaller, pkg);
    view_.wantsSummary = false;
    ASSERT_TRUE(w.OnCreate());
    bool once = false;
    view_.onProcessMessages = [&] {
        if (view_.currentFile != "..\\B.TXT" || once) return;
        once = true;
        view_.answers.push_back(true);
        w.OnCancelClicked();
    };
    w.OnInstallClicked();
    ASSERT_EQ(view_.summaries.size(), 1u);
    // Only what the run met: A written, B stopped before its file replaced anything.
    EXPECT_EQ(
        view_.summaries[0].entries,
        (std::vector<EntryOutcome>{{"A.TXT", kRoot, O::Written}, {"B.TXT", kRoot, O::NotReached}}));
}

TEST_F(RunSummaryEdges, EachRunStartsItsOwnLedger) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}, {"Datos\\EMP.DAT", 'I', "data"}};
    InstallerWindow& w = Window(kInstaller, pkg);
    ASSERT_TRUE(w.OnCreate());
    w.OnInstallClicked();
    w.OnInstallClicked();
    ASSERT_EQ(view_.summaries.size(), 2u);
    EXPECT_EQ(view_.summaries[0].Written(), 2);
    EXPECT_EQ(view_.summaries[1].Written(), 1); // the data file is there now
    EXPECT_EQ(view_.summaries[1].Kept(), 1);
    EXPECT_EQ(view_.summaries[1].entries.size(), 2u);
}

// ---- The console's account ----------------------------------------------------------------

// What stands in B.TXT's way: damaged data, or a destination that cannot be written (a
// folder of that name holding a file).
enum class Obstacle { None, DamagedData, UnwritableDestination };

struct ConsoleCase {
    const char* name;
    Obstacle obstacle;
    bool yes;
    int exitStatus;
    const char* tail; // the output from the summary on
};

void PrintTo(const ConsoleCase& c, std::ostream* os) {
    *os << c.name;
}

class UnattendedSummaryTest : public InstallerTest,
                              public ::testing::WithParamInterface<ConsoleCase> {};

TEST_P(UnattendedSummaryTest, SecondEntryInTheWay) {
    const ConsoleCase& c = GetParam();
    archive::ResetPromptTexts();
    PackageSpec pkg;
    for (const PackagedFile& f : Files())
        pkg.files.push_back({f.stored, f.rule, f.content});
    MakeInstaller(kInstaller, pkg);
    if (c.obstacle == Obstacle::DamagedData) {
        ASSERT_TRUE(DamageInflate(Host(kInstaller), Files()[1].content));
    }
    if (c.obstacle == Obstacle::UnwritableDestination) WriteFile(kRoot + "B.TXT\\inside", "x");
    services_.module = kInstaller;
    std::ostringstream out, err;
    int status = RunUnattended(std::string("C:\\VEXO\\DALVO"), c.yes, services_, out, err, false);
    EXPECT_EQ(status, c.exitStatus) << out.str() << err.str();
    std::string text = out.str();
    auto at = text.find(c.tail);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.substr(at), c.tail) << "the summary ends the output";
    // The per-file line says what happened, not what the rule decided.
    const bool failed =
        text.find("  failed           B.TXT -> C:\\VEXO\\DALVO\\\n") != std::string::npos;
    EXPECT_EQ(failed, c.obstacle != Obstacle::None) << text;
}

// A run stopped by "No" at B.TXT, whatever stood in its way.
const char* const kStoppedAtB = "Instalación Incorrecta\n"
                                "The run stopped before the end: 1 written, 0 kept, 1 failed, "
                                "3 not reached\n"
                                "  written:\n"
                                "    A.TXT -> C:\\VEXO\\DALVO\\\n"
                                "  failed:\n"
                                "    B.TXT -> C:\\VEXO\\DALVO\\\n"
                                "  not reached:\n"
                                "    Datos\\EMP.DAT\n"
                                "    Programa\\NOTAS.TXT\n"
                                "    C.TXT\n";

INSTANTIATE_TEST_SUITE_P(
    Console, UnattendedSummaryTest,
    ::testing::Values(
        ConsoleCase{"StoppedByNo", Obstacle::DamagedData, false, kExitDeclined, kStoppedAtB},
        // Finished through the automatic answers, yet a file is missing: the
        // final text stays, the status says so.
        ConsoleCase{"CompletedWithYes", Obstacle::DamagedData, true, kExitFilesFailed,
                    "Instalación Finalizada\n"
                    "Summary: 3 written, 1 kept, 1 failed\n"},
        ConsoleCase{"UnwritableDestinationWithYes", Obstacle::UnwritableDestination, true,
                    kExitFilesFailed,
                    "Instalación Finalizada\n"
                    "Summary: 3 written, 1 kept, 1 failed\n"},
        ConsoleCase{"UnwritableDestinationStoppedByNo", Obstacle::UnwritableDestination, false,
                    kExitDeclined, kStoppedAtB},
        ConsoleCase{"NothingInTheWay", Obstacle::None, false, kExitFinished,
                    "Instalación Finalizada\n"
                    "Summary: 4 written, 1 kept, 0 failed\n"}),
    [](const ::testing::TestParamInfo<ConsoleCase>& row) { return row.param.name; });

} // namespace
} // namespace vexo::installer::test
