// PromptsTest.cpp - what the prompts show, the console answers and the scripted recorder.
#include "archive/ConsolePrompts.h"
#include "archive/DateTime.h"
#include "archive/Messages.h"
#include "archive/PromptTexts.h"
#include "archive/ScriptedPrompts.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>
#include <sstream>

namespace vexo::archive {
namespace {

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
    unsigned buttons;
    std::vector<int> results;
};

class MessageButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(MessageButtons, FirstMatchingRule) {
    PromptView v = DescribeMessageDlg("t", mtWarning, GetParam().buttons);
    std::vector<int> got;
    for (const auto& b : v.Buttons)
        got.push_back(b.Result);
    EXPECT_EQ(got, GetParam().results);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, MessageButtons,
    ::testing::Values(ButtonCase{mbAbort | mbRetry | mbIgnore | mbYes,
                                 {idAbort, idRetry, idIgnore}},
                      ButtonCase{mbYes | mbNo | mbCancel, {idYes, idNo, idCancel}},
                      ButtonCase{mbYes | mbNo, {idYes, idNo}},
                      ButtonCase{mbRetry | mbCancel, {idRetry, idCancel}},
                      ButtonCase{mbOK | mbCancel, {idOK, idCancel}}, ButtonCase{mbOK, {idOK}},
                      ButtonCase{mbYes, {idOK}}, ButtonCase{0, {idOK}}));

TEST_F(PromptsFixture, CaptionByType) {
    TMessages m; // Spanish captions published
    EXPECT_EQ(DescribeMessageDlg("x", mtWarning, mbOK).Caption, "Advertencia");
    EXPECT_EQ(DescribeMessageDlg("x", mtError, mbOK).Caption, "Error");
    EXPECT_EQ(DescribeMessageDlg("x", mtConfirmation, mbOK).Caption, W1252("Confirmación"));
    EXPECT_EQ(DescribeMessageDlg("x", mtInformation, mbOK).Caption, W1252("Información"));
    EXPECT_EQ(DescribeMessageDlg("x", 42, mbOK).Caption, W1252("Información"));
}

TEST_F(PromptsFixture, ScriptedRecordsOverwritePromptWithExtractorTexts) {
    TExtrMessages m;
    ScriptedPrompts s;
    s.QueueResult(kOverwriteYesToAll);
    OverwritePromptData d{"C:\\A\\X.TAB", "X.TAB", 1000, 2000, 0, 1};
    EXPECT_EQ(s.OverwritePrompt(d), kOverwriteYesToAll);
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
    EXPECT_EQ(v.Buttons[1].Result, kOverwriteYesToAll);
    EXPECT_EQ(v.Buttons[2].Result, kOverwriteNo);
    EXPECT_EQ(v.Buttons[3].Label, "Cancelar");
}

TEST_F(PromptsFixture, ScriptedContinuePromptLabels) {
    TExtrMessages m;
    ScriptedPrompts s;
    s.QueueResult(kContinueNo);
    EXPECT_EQ(s.ContinuePrompt({"CRC incorrecto", "ADMON.TAB", 5022, 0}), kContinueNo);
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

TEST_F(PromptsFixture, ConsoleWithoutTerminalRefusesAndSaysSo) {
    std::istringstream in("1\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, /*interactive=*/false);
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbYes | mbNo | mbCancel, 0), idCancel);
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbYes | mbNo, 0), idNo);
    EXPECT_EQ(c.MessageDlg("!", mtWarning, mbOK, 0), idOK);
    EXPECT_EQ(c.OverwritePrompt({}), kOverwriteCancel);
    EXPECT_EQ(c.ContinuePrompt({}), kContinueNo);
    std::string v = "keep";
    EXPECT_FALSE(c.InputQuery("c", "p", v));
    EXPECT_EQ(v, "keep");
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("No terminal"), std::string::npos);
    EXPECT_EQ(in.tellg(), 0); // nothing was read
}

TEST_F(PromptsFixture, ConsoleReadsNumbersAndLabels) {
    TExtrMessages m;
    std::istringstream in("9\nsi a todo\n2\nCancelar\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, true);
    EXPECT_EQ(c.OverwritePrompt({}), kOverwriteYesToAll); // "9" is no button: asked again
    EXPECT_EQ(c.ContinuePrompt({}), kContinueYesToAll);
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbOK | mbCancel, 0), idCancel);
    EXPECT_NE(out.str().find("Confirma sobreescribir archivo"), std::string::npos);
    // End of input: refused like a missing terminal.
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbYes | mbNo, 0), idNo);
}

TEST_F(PromptsFixture, ConsoleTextInUtf8IsStoredAsWindows1252) {
    std::istringstream in("Instalación\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, true);
    std::string v;
    EXPECT_TRUE(c.InputQuery("c", "p", v));
    EXPECT_EQ(v, "Instalaci\xF3n");
}

} // namespace
} // namespace vexo::archive
