// ConsolePromptsTest.cpp - the prompts asked and answered on a terminal.
#include "console/ConsolePrompts.h"
#include "archive/Messages.h"
#include "archive/PromptTexts.h"
#include "common/RawControl.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vexo::console {
namespace {

using namespace archive;
using enum MessageType;
using enum MessageButtons;
using enum MessageResult;

class ConsolePromptsTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetPromptTexts(); }
    void TearDown() override { ResetPromptTexts(); }
};

TEST_F(ConsolePromptsTest, WithoutTerminalRefusesAndSaysSo) {
    std::istringstream in("1\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, /*interactive=*/false);
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbYes | mbNo | mbCancel, 0), idCancel);
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbYes | mbNo, 0), idNo);
    EXPECT_EQ(c.MessageDlg("!", mtWarning, mbOK, 0), idOK);
    EXPECT_EQ(c.OverwritePrompt({}), OverwriteAnswer::Cancel);
    EXPECT_EQ(c.ContinuePrompt({}), ContinueAnswer::No);
    std::string v = "keep";
    EXPECT_FALSE(c.InputQuery("c", "p", v));
    EXPECT_EQ(v, "keep");
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("No terminal"), std::string::npos);
    EXPECT_EQ(in.tellg(), 0); // nothing was read
}

TEST_F(ConsolePromptsTest, ReadsNumbersAndLabels) {
    TExtrMessages m;
    std::istringstream in("9\nsi a todo\n2\nCancelar\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, true);
    EXPECT_EQ(c.OverwritePrompt({}), OverwriteAnswer::YesToAll); // "9" is no button: asked again
    EXPECT_EQ(c.ContinuePrompt({}), ContinueAnswer::YesToAll);
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbOK | mbCancel, 0), idCancel);
    EXPECT_NE(out.str().find("Confirma sobreescribir archivo"), std::string::npos);
    // End of input: refused like a missing terminal.
    EXPECT_EQ(c.MessageDlg("?", mtConfirmation, mbYes | mbNo, 0), idNo);
}

TEST_F(ConsolePromptsTest, TextInUtf8IsStoredAsWindows1252) {
    std::istringstream in("Instalación\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, true);
    std::string v;
    EXPECT_TRUE(c.InputQuery("c", "p", v));
    EXPECT_EQ(v, "Instalaci\xF3n");
}

using vexo::test::RawControl;

TEST_F(ConsolePromptsTest, StoredNamesShowTheirControlCharactersEscaped) {
    const struct {
        std::string stored, shown;
    } names[] = {{"A\x1b[2J.TXT", "A<1B>[2J.TXT"},
                 {"B\rOK.TXT", "B<0D>OK.TXT"},
                 {"C\x07\x7f.TXT", "C<07><7F>.TXT"},
                 {"E\x81\x9d.TXT", "E<81><9D>.TXT"}};
    for (const auto& n : names) {
        SCOPED_TRACE(n.shown);
        std::istringstream in("3\n");
        std::ostringstream out, err;
        ConsolePrompts asking(in, out, err, true);
        EXPECT_EQ(asking.OverwritePrompt({n.stored, n.stored, 1, 2, 39856.5, 39856.5}),
                  OverwriteAnswer::No);
        ConsolePrompts refusing(in, out, err, false);
        EXPECT_EQ(
            refusing.MessageDlg("CRC incorrecto\r\n\r\n" + n.stored, mtError, mbYes | mbNo, 0),
            idNo);
        for (const std::string& text : {out.str(), err.str()}) {
            EXPECT_EQ(RawControl(text), std::string::npos) << text;
            EXPECT_NE(text.find(n.shown), std::string::npos) << text;
        }
    }
}

TEST_F(ConsolePromptsTest, AMessagesLineBreaksStayLineBreaks) {
    std::istringstream in("1\n");
    std::ostringstream out, err;
    ConsolePrompts c(in, out, err, true);
    EXPECT_EQ(c.MessageDlg("uno\r\ndos", mtConfirmation, mbYes | mbNo, 0), idYes);
    EXPECT_NE(out.str().find("  uno\n  dos\n"), std::string::npos) << out.str();
}

} // namespace
} // namespace vexo::console
