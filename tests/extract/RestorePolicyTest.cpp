// RestorePolicyTest.cpp - every restore action against existing, missing, older, equal-date and
// unreadable destinations, and the overwrite prompt's answers.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/FileRoutines.h"

namespace vexo::extract::testing {
namespace {

enum class Dest { Missing, Older, EqualDate, Newer, Unreadable };

struct PolicyCase {
    TRestoreAction action;
    Dest dest;
    bool extracted;
};

const char* DestName(Dest d) {
    switch (d) {
    case Dest::Missing:
        return "Missing";
    case Dest::Older:
        return "Older";
    case Dest::EqualDate:
        return "EqualDate";
    case Dest::Newer:
        return "Newer";
    case Dest::Unreadable:
        return "Unreadable";
    }
    return "";
}

std::string CaseName(const ::testing::TestParamInfo<PolicyCase>& info) {
    static const char* const names[] = {"Overwrite", "Skip",         "Update",
                                        "Ask",       "ExistingOnly", "UpdateExisting"};
    return std::string(names[info.param.action]) + "_" + DestName(info.param.dest);
}

class Policy : public ExtractorFixture, public ::testing::WithParamInterface<PolicyCase> {};

// The entry's time is 09:36:37; a restored file carries 09:36:36, so "equal date" uses an
// entry time with an even second.
TEST_P(Policy, DecidesAsTheTableSays) {
    const PolicyCase c = GetParam();
    const archive::TDateTime entryDate = archive::CivilToDateTime({2009, 1, 22, 9, 36, 36, 0});
    const Bytes archived = Compressible(40);
    const Bytes existing(7, 'e');
    std::string arc = Build({{"f.txt", archived, false, entryDate}});
    const std::string dest = Out("f.txt");
    std::unique_ptr<platform::Stream> lock;
    if (c.dest != Dest::Missing) {
        WriteFileBytes(dest, existing);
        archive::TDateTime date = entryDate;
        if (c.dest == Dest::Older) date -= 2.0 / 86400;
        if (c.dest == Dest::Newer) date += 1;
        ASSERT_TRUE(platform::SetFileAge(dest, archive::DateTimeToDosDateTime(date)));
    }
    if (c.dest == Dest::Unreadable) {
        // Held open without sharing: its date cannot be read, so it counts as 0.
        lock = platform::OpenFile(dest, static_cast<platform::OpenMode>(0x0010));
        EXPECT_EQ(archive::GetFileDate(dest), 0.0);
        lock.reset();
        EXPECT_EQ(DecideRestoreAction(c.action, true, 0, entryDate),
                  c.extracted ? RestoreDecision::Extract : RestoreDecision::Skip);
        return;
    }
    TExtractor x;
    Prepare(x, arc);
    x.SetRestoreAction(c.action);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    if (c.extracted) {
        EXPECT_EQ(ReadFileBytes(dest), archived);
    } else if (c.dest == Dest::Missing) {
        EXPECT_FALSE(platform::FileExists(dest));
    } else {
        EXPECT_EQ(ReadFileBytes(dest), existing);
    }
    EXPECT_TRUE(prompts_.Records().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Policy,
    ::testing::Values(
        PolicyCase{raOverwrite, Dest::Missing, true}, PolicyCase{raOverwrite, Dest::Older, true},
        PolicyCase{raOverwrite, Dest::EqualDate, true}, PolicyCase{raOverwrite, Dest::Newer, true},
        PolicyCase{raOverwrite, Dest::Unreadable, true}, PolicyCase{raSkip, Dest::Missing, true},
        PolicyCase{raSkip, Dest::Older, false}, PolicyCase{raSkip, Dest::EqualDate, false},
        PolicyCase{raSkip, Dest::Unreadable, false}, PolicyCase{raUpdate, Dest::Missing, true},
        PolicyCase{raUpdate, Dest::Older, true}, PolicyCase{raUpdate, Dest::EqualDate, false},
        PolicyCase{raUpdate, Dest::Newer, false}, PolicyCase{raUpdate, Dest::Unreadable, true},
        PolicyCase{raAsk, Dest::Missing, true}, PolicyCase{raExistingOnly, Dest::Missing, false},
        PolicyCase{raExistingOnly, Dest::Older, true},
        PolicyCase{raExistingOnly, Dest::Newer, true},
        PolicyCase{raExistingOnly, Dest::Unreadable, true},
        PolicyCase{raUpdateExisting, Dest::Missing, false},
        PolicyCase{raUpdateExisting, Dest::Older, true},
        PolicyCase{raUpdateExisting, Dest::EqualDate, false},
        PolicyCase{raUpdateExisting, Dest::Newer, false},
        PolicyCase{raUpdateExisting, Dest::Unreadable, true}),
    CaseName);

TEST(RestoreDecisionTable, AskOnlyWhenTheDestinationExists) {
    EXPECT_EQ(DecideRestoreAction(raAsk, true, 0, 1), RestoreDecision::Ask);
    EXPECT_EQ(DecideRestoreAction(raAsk, false, 0, 1), RestoreDecision::Extract);
}

class OverwritePrompt : public ExtractorFixture {
  protected:
    // Three archived files whose destinations all exist.
    std::string ThreeExisting() {
        for (const char* n : {"a.txt", "b.txt", "c.txt"})
            WriteFileBytes(Out(n), Bytes(3, 'o'));
        return Build({{"a.txt", Compressible(11)},
                      {"b.txt", Compressible(12)},
                      {"c.txt", Compressible(13)}});
    }
    std::size_t Size(const char* n) { return ReadFileBytes(Out(n)).size(); }
};

TEST_F(OverwritePrompt, YesNoAndClosedAnswerPerFile) {
    std::string arc = ThreeExisting();
    TExtractor x;
    Prepare(x, arc);
    x.SetRestoreAction(raAsk);
    prompts_.QueueResult(archive::OverwriteAnswer::Yes);
    prompts_.QueueResult(archive::OverwriteAnswer::No);
    prompts_.QueueResult(archive::OverwriteAnswer::Closed);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(Size("a.txt"), 11u);
    EXPECT_EQ(Size("b.txt"), 3u);
    EXPECT_EQ(Size("c.txt"), 3u);
    ASSERT_EQ(prompts_.Records().size(), 3u);
    const auto& v = prompts_.Records()[0];
    EXPECT_EQ(v.Caption, "Confirma sobreescribir archivo");
    EXPECT_EQ(v.Lines.at(0), "Reemplazar :");
    EXPECT_EQ(v.Lines.at(1), "C:\\out\\a.txt");
    EXPECT_EQ(v.Lines.at(3), "Con :");
    EXPECT_EQ(v.Lines.at(4), "a.txt");
    EXPECT_EQ(v.Lines.at(5), "11 bytes  22/01/2009 9:36:37");
}

TEST_F(OverwritePrompt, YesToAllSuppressesLaterPromptsUntilTheNextRun) {
    std::string arc = ThreeExisting();
    TExtractor x;
    Prepare(x, arc);
    x.SetRestoreAction(raAsk);
    prompts_.QueueResult(archive::OverwriteAnswer::YesToAll);
    x.ExtractAll();
    EXPECT_EQ(prompts_.Records().size(), 1u);
    EXPECT_EQ(Size("c.txt"), 13u);
    prompts_.QueueResult(archive::OverwriteAnswer::No);
    prompts_.QueueResult(archive::OverwriteAnswer::No);
    prompts_.QueueResult(archive::OverwriteAnswer::No);
    x.ExtractAll(); // a new run asks again
    EXPECT_EQ(prompts_.Records().size(), 4u);
}

TEST_F(OverwritePrompt, CancelEndsTheRunSilently) {
    std::string arc = ThreeExisting();
    TExtractor x;
    Prepare(x, arc);
    x.SetRestoreAction(raAsk);
    prompts_.QueueResult(archive::OverwriteAnswer::Yes);
    prompts_.QueueResult(archive::OverwriteAnswer::Cancel);
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
    EXPECT_EQ(Size("a.txt"), 11u);
    EXPECT_EQ(Size("c.txt"), 3u);
    EXPECT_EQ(prompts_.Records().size(), 2u);
}

} // namespace
} // namespace vexo::extract::testing
