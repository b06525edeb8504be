// PromptsTest.cpp - what the prompts show, what nobody answers and the scripted recorder.
#include "archive/DateTime.h"
#include "archive/Messages.h"
#include "archive/PromptTexts.h"
#include "common/ScriptedPrompts.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>

namespace vexo::archive {
namespace {

using enum MessageType;
using enum MessageButtons;
using enum MessageResult;
using test::ScriptedPrompts;
using test::ScriptError;

class PromptsFixture : public ::testing::Test {
  protected:
    void SetUp() override { ResetPromptTexts(); }
    void TearDown() override { ResetPromptTexts(); }
};

TEST_F(PromptsFixture, SizeAndDateLine) {
    TDateTime d = CivilToDateTime({2009, 1, 22, 9, 36, 36, 0});
    EXPECT_EQ(FormatSizeAndDate(1652376, d), "1.652.376 bytes  22/01/2009 9:36:36");
    EXPECT_EQ(FormatSizeAndDate(0, d), "0 bytes  22/01/2009 9:36:36");
    EXPECT_EQ(FormatSizeAndDate(999, 0), "999 bytes  30/12/1899 0:00:00");
    EXPECT_EQ(FormatSizeAndDate(1000, 0).substr(0, 5), "1.000");
}

struct ButtonCase {
    MessageButtons buttons;
    std::vector<PromptResult> results;
};

class MessageButtonSets : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(MessageButtonSets, FirstMatchingRule) {
    PromptView v = DescribeMessageDlg("t", mtWarning, GetParam().buttons);
    std::vector<PromptResult> got;
    for (const auto& b : v.Buttons)
        got.push_back(b.Result);
    EXPECT_EQ(got, GetParam().results);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, MessageButtonSets,
    ::testing::Values(ButtonCase{mbAbort | mbRetry | mbIgnore | mbYes,
                                 {idAbort, idRetry, idIgnore}},
                      ButtonCase{mbYes | mbNo | mbCancel, {idYes, idNo, idCancel}},
                      ButtonCase{mbYes | mbNo, {idYes, idNo}},
                      ButtonCase{mbRetry | mbCancel, {idRetry, idCancel}},
                      ButtonCase{mbOK | mbCancel, {idOK, idCancel}}, ButtonCase{mbOK, {idOK}},
                      ButtonCase{mbYes, {idOK}}, ButtonCase{MessageButtons{}, {idOK}}));

TEST_F(PromptsFixture, CaptionByType) {
    TMessages m; // Spanish captions published
    EXPECT_EQ(DescribeMessageDlg("x", mtWarning, mbOK).Caption, "Advertencia");
    EXPECT_EQ(DescribeMessageDlg("x", mtError, mbOK).Caption, "Error");
    EXPECT_EQ(DescribeMessageDlg("x", mtConfirmation, mbOK).Caption, W1252("Confirmación"));
    EXPECT_EQ(DescribeMessageDlg("x", mtInformation, mbOK).Caption, W1252("Información"));
    EXPECT_EQ(DescribeMessageDlg("x", static_cast<MessageType>(42), mbOK).Caption,
              W1252("Información"));
}

struct RefusalCase {
    MessageButtons buttons;
    MessageResult refused;
};

class MessageRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MessageRefusal, CancelElseNoElseAbortElseTheLastButton) {
    EXPECT_EQ(RefusingAnswer(DescribeMessageDlg("t", mtConfirmation, GetParam().buttons)),
              GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(Sets, MessageRefusal,
                         ::testing::Values(RefusalCase{mbYes | mbNo | mbCancel, idCancel},
                                           RefusalCase{mbYes | mbNo, idNo},
                                           RefusalCase{mbAbort | mbRetry | mbIgnore, idAbort},
                                           RefusalCase{mbRetry | mbCancel, idCancel},
                                           RefusalCase{mbOK | mbCancel, idCancel},
                                           RefusalCase{mbOK, idOK}));

// A program that installs no service gets answers as if nobody were there, and nothing is
// written on its behalf.
TEST_F(PromptsFixture, WithoutAServiceNobodyAnswersAndNothingIsSaid) {
    SetCurrentPrompts(nullptr);
    PromptService& nobody = CurrentPrompts();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(nobody.MessageDlg("?", mtConfirmation, mbYes | mbNo, 0), idNo);
    EXPECT_EQ(nobody.MessageDlg("!", mtWarning, mbOK, 0), idOK);
    EXPECT_EQ(nobody.OverwritePrompt({}), OverwriteAnswer::Cancel);
    EXPECT_EQ(nobody.ContinuePrompt({}), ContinueAnswer::No);
    std::string value = "keep";
    EXPECT_FALSE(nobody.InputQuery("c", "p", value));
    EXPECT_FALSE(nobody.PasswordQuery("c", "p", value));
    EXPECT_EQ(value, "keep");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(PromptsFixture, ScriptedRecordsOverwritePromptWithExtractorTexts) {
    TExtrMessages m;
    ScriptedPrompts s;
    s.QueueResult(OverwriteAnswer::YesToAll);
    OverwritePromptData d{"C:\\A\\X.TAB", "X.TAB", 1000, 2000, 0, 1};
    EXPECT_EQ(s.OverwritePrompt(d), OverwriteAnswer::YesToAll);
    ASSERT_EQ(s.Records().size(), 1u);
    const PromptView& v = s.Records()[0];
    EXPECT_EQ(v.Kind, PromptKind::Overwrite);
    EXPECT_EQ(v.Caption, "Confirma sobreescribir archivo");
    EXPECT_EQ(v.Lines[0], "Reemplazar :");
    EXPECT_EQ(v.Lines[1], "C:\\A\\X.TAB");
    EXPECT_EQ(v.Lines[2], "1.000 bytes  30/12/1899 0:00:00");
    EXPECT_EQ(v.Lines[3], "Con :");
    EXPECT_EQ(v.Lines[5], "2.000 bytes  31/12/1899 0:00:00");
    ASSERT_EQ(v.Buttons.size(), 4u);
    EXPECT_EQ(v.Buttons[0].Label, "&Si");
    EXPECT_EQ(v.Buttons[1].Result, OverwriteAnswer::YesToAll);
    EXPECT_EQ(v.Buttons[2].Result, OverwriteAnswer::No);
    EXPECT_EQ(v.Buttons[3].Label, "Cancelar");
}

TEST_F(PromptsFixture, ScriptedContinuePromptLabels) {
    TExtrMessages m;
    ScriptedPrompts s;
    s.QueueResult(ContinueAnswer::No);
    EXPECT_EQ(s.ContinuePrompt({"CRC incorrecto", "ADMON.TAB", 5022, 0}), ContinueAnswer::No);
    const PromptView& v = s.Records()[0];
    EXPECT_EQ(v.Caption, W1252("Confirmación"));
    EXPECT_EQ(v.Lines[0], "Error :");
    EXPECT_EQ(v.Lines[2], "Archivo :");
    EXPECT_EQ(v.Lines[5], W1252("¿ Desea continuar ?"));
}

TEST_F(PromptsFixture, ScriptedTextPromptsAndMismatch) {
    ScriptedPrompts s;
    s.QueueText(std::string("clave-secreta"));
    s.QueueText(std::nullopt);
    std::string value = "old";
    EXPECT_TRUE(s.PasswordQuery("Mensaje", "Clave:", value));
    EXPECT_EQ(value, "clave-secreta");
    EXPECT_FALSE(s.InputQuery("Mensaje", "Dir:", value));
    EXPECT_EQ(value, "clave-secreta");
    EXPECT_EQ(s.Records()[0].Kind, PromptKind::PasswordQuery);
    EXPECT_EQ(s.Records()[1].Value, "clave-secreta");

    EXPECT_THROW(s.MessageDlg("nothing queued", mtWarning, mbOK, 0), ScriptError);
    s.QueueResult(idOK);
    EXPECT_THROW(s.InputQuery("c", "p", value), ScriptError);
}

TEST_F(PromptsFixture, ScopedPromptsRestores) {
    PromptService* before = &CurrentPrompts();
    ScriptedPrompts s;
    {
        ScopedPrompts scope(s);
        EXPECT_EQ(&CurrentPrompts(), &s);
    }
    EXPECT_EQ(&CurrentPrompts(), before);
}

} // namespace
} // namespace vexo::archive
