// UnattendedTest.cpp - the console view and the prompts that answer without a user.
#include "installer/Unattended.h"
#include "archive/PromptTexts.h"
#include "common/RawControl.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vexo::installer {
namespace {

using enum archive::MessageType;
using enum archive::MessageButtons;
using enum archive::MessageResult;

struct AnswerCase {
    bool yes;
    archive::ContinueAnswer continueAnswer;
    archive::OverwriteAnswer overwriteAnswer;
    bool declined;
};

class UnattendedPromptsTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(UnattendedPromptsTest, SafeAnswerUnlessYes) {
    archive::ResetPromptTexts();
    std::ostringstream out, err;
    ConsoleView view(out, err, GetParam().yes, false);
    UnattendedPrompts prompts(view, err, GetParam().yes);
    EXPECT_EQ(prompts.ContinuePrompt({"CRC incorrecto", "A.TXT", 10, 39856.5}),
              GetParam().continueAnswer);
    EXPECT_EQ(prompts.OverwritePrompt({"a", "b", 1, 2, 39856.5, 39856.5}),
              GetParam().overwriteAnswer);
    EXPECT_EQ(view.Declined(), GetParam().declined);
    EXPECT_NE(err.str().find("CRC incorrecto"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, UnattendedPromptsTest,
                         ::testing::Values(AnswerCase{false, archive::ContinueAnswer::No,
                                                      archive::OverwriteAnswer::Cancel, true},
                                           AnswerCase{true, archive::ContinueAnswer::Yes,
                                                      archive::OverwriteAnswer::Yes, false}));

TEST(UnattendedPrompts, TextPromptsCannotBeAnsweredEvenWithYes) {
    std::ostringstream out, err;
    ConsoleView view(out, err, true, false);
    UnattendedPrompts prompts(view, err, true);
    std::string key = "old";
    EXPECT_FALSE(prompts.PasswordQuery("Mensaje", "Clave", key));
    EXPECT_EQ(key, "old");
    EXPECT_TRUE(view.Declined());
}

TEST(UnattendedPrompts, SingleButtonMessageIsNotADecline) {
    std::ostringstream out, err;
    ConsoleView view(out, err, false, false);
    UnattendedPrompts prompts(view, err, false);
    EXPECT_EQ(prompts.MessageDlg("Aviso", mtWarning, mbOK, 0), idOK);
    EXPECT_FALSE(view.Declined());
    EXPECT_EQ(prompts.MessageDlg("Ocupado", mtWarning, mbOK | mbCancel, 0), idCancel);
    EXPECT_TRUE(view.Declined());
}

TEST(ConsoleView, BoxesGoToTheRightStreamInUtf8) {
    std::ostringstream out, err;
    ConsoleView view(out, err, false, false);
    EXPECT_TRUE(
        view.MessageBox(W1252("Instalación Finalizada"), BoxIcon::Confirmation, BoxButtons::Ok));
    EXPECT_FALSE(view.MessageBox("Confirma Salida del Instalador", BoxIcon::Confirmation,
                                 BoxButtons::OkCancel));
    EXPECT_TRUE(view.Declined());
    view.MessageBox(W1252("Sistema Operativo NO Válido"), BoxIcon::Error, BoxButtons::Ok);
    view.ShowApplicationError("Zpx16", W1252("No se encontró el Programa:\r\n\r\nC:\\X"));
    EXPECT_EQ(out.str(), "Instalación Finalizada\n"
                         "Confirma Salida del Instalador [Vale/Cancelar] -> Cancelar\n");
    EXPECT_EQ(err.str(), "Sistema Operativo NO Válido\n"
                         "Zpx16: No se encontró el Programa: C:\\X\n");
    EXPECT_TRUE(view.ErrorShown());
}

TEST(ConsoleView, ProgressOnlyOnATerminalAndClearedBeforeTheNextLine) {
    std::ostringstream plain, err;
    ConsoleView quiet(plain, err, false, false);
    quiet.SetProgress(50);
    EXPECT_EQ(plain.str(), "");

    std::ostringstream tty;
    ConsoleView terminal(tty, err, false, true);
    terminal.SetProgress(50);
    terminal.ReportEntry({"Datos\\A.DAT", "C:\\VEXO\\DALVO\\Datos\\", FileOutcome::Kept});
    EXPECT_EQ(tty.str(),
              "\r  50%\r\033[K  kept             Datos\\A.DAT -> C:\\VEXO\\DALVO\\Datos\\\n");
}

struct SummaryCase {
    const char* name;
    RunSummary summary;
    const char* printed;
};

void PrintTo(const SummaryCase& c, std::ostream* os) {
    *os << c.name;
}

class ConsoleSummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(ConsoleSummaryTest, Prints) {
    std::ostringstream out, err;
    ConsoleView view(out, err, false, false);
    view.ReportRunSummary(GetParam().summary);
    EXPECT_EQ(out.str(), GetParam().printed);
    EXPECT_TRUE(err.str().empty());
}

const std::vector<EntryOutcome> kMixed = {
    {"A.TXT", "C:\\R\\", FileOutcome::Written},
    {"Datos\\E.DAT", "C:\\R\\Datos\\", FileOutcome::Kept},
    {"N.TXT", "C:\\R\\", FileOutcome::SkippedByRule},
    {"B.TXT", "C:\\R\\", FileOutcome::Failed},
    {W1252("Programa\\Módulo.BPL"), "", FileOutcome::NotReached}};

INSTANTIATE_TEST_SUITE_P(
    Summaries, ConsoleSummaryTest,
    ::testing::Values(
        // A complete run: the counts only (the kept ones include those skipped by rule).
        SummaryCase{"Complete", {true, true, kMixed}, "Summary: 1 written, 2 kept, 1 failed\n"},
        SummaryCase{"Stopped",
                    {false, true, kMixed},
                    "The run stopped before the end: 1 written, 2 kept, 1 failed, 1 not reached\n"
                    "  written:\n"
                    "    A.TXT -> C:\\R\\\n"
                    "  kept:\n"
                    "    Datos\\E.DAT -> C:\\R\\Datos\\\n"
                    "    N.TXT -> C:\\R\\ (skipped by rule)\n"
                    "  failed:\n"
                    "    B.TXT -> C:\\R\\\n"
                    "  not reached:\n"
                    "    Programa\\Módulo.BPL\n"},
        SummaryCase{"StoppedListCutShort",
                    {false, false, {{"A.TXT", "", FileOutcome::NotReached}}},
                    "The run stopped before the end: 0 written, 0 kept, 0 failed, 1 not reached\n"
                    "  not reached:\n"
                    "    A.TXT\n"
                    "  The archive could not be read to its end: entries after those listed were "
                    "not reached either.\n"}),
    [](const ::testing::TestParamInfo<SummaryCase>& row) { return row.param.name; });

// ---- Stored names that would drive the terminal -------------------------------------------

struct HostileName {
    const char* label;
    std::string stored; // Windows-1252
    std::string shown;
};

void PrintTo(const HostileName& c, std::ostream* os) {
    *os << c.label;
}

using vexo::test::RawControl;

class HostileNameTest : public ::testing::TestWithParam<HostileName> {};

TEST_P(HostileNameTest, EveryUnattendedLineShowsItEscaped) {
    archive::ResetPromptTexts();
    const HostileName& c = GetParam();
    std::ostringstream out, err;
    ConsoleView view(out, err, true, false);
    UnattendedPrompts prompts(view, err, true);
    view.ReportEntry({c.stored, "C:\\R\\", FileOutcome::Failed});
    EXPECT_EQ(prompts.ContinuePrompt({"CRC incorrecto", c.stored, 10, 39856.5}),
              archive::ContinueAnswer::Yes);
    view.MessageBox("No puedo abrir " + c.stored, BoxIcon::Error, BoxButtons::Ok);
    view.ReportRunSummary({false, true, {{c.stored, "C:\\R\\", FileOutcome::Failed}}});
    for (const std::string& text : {out.str(), err.str()}) {
        EXPECT_EQ(RawControl(text), std::string::npos) << text;
        EXPECT_NE(text.find(c.shown), std::string::npos) << text;
    }
    EXPECT_NE(out.str().find("  failed           " + c.shown + " -> C:\\R\\\n"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("    " + c.shown + " -> C:\\R\\\n"), std::string::npos) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNameTest,
    ::testing::Values(HostileName{"ClearScreen", "A\x1b[2J.TXT", "A<1B>[2J.TXT"},
                      HostileName{"Title", "\x1b]0;X\x07.TXT", "<1B>]0;X<07>.TXT"},
                      HostileName{"CarriageReturn", "B\rOK.TXT", "B<0D>OK.TXT"},
                      HostileName{"LineFeed", "Datos\\B\nOK.TXT", "Datos\\B<0A>OK.TXT"},
                      HostileName{"Bell", "C\x07.TXT", "C<07>.TXT"},
                      HostileName{"Del", "D\x7f.TXT", "D<7F>.TXT"},
                      HostileName{"UnassignedC1", "E\x81\x8d\x8f\x90\x9d.TXT",
                                  "E<81><8D><8F><90><9D>.TXT"}),
    [](const ::testing::TestParamInfo<HostileName>& row) { return row.param.label; });

} // namespace
} // namespace vexo::installer
