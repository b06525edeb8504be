// ConsolePrompts.h - prompts answered on the terminal.
#pragma once

#include "archive/Prompts.h"

#include <iosfwd>

namespace vexo::archive {

/// Shows each prompt on `out` (UTF-8) and reads the answer from `in`: a button's number or its
/// label (without "&", any case). Without a terminal, or at the end of the input, it answers
/// as RefusingAnswer does (Cancel/No; text prompts false) and says so on `err`.
class ConsolePrompts final : public PromptService {
  public:
    /// The process's standard streams; interactive when standard input is a terminal.
    ConsolePrompts();
    ConsolePrompts(std::istream& in, std::ostream& out, std::ostream& err, bool interactive);

    int MessageDlg(const std::string& text, int type, unsigned buttons, int helpContext) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool PasswordQuery(const std::string& caption, const std::string& prompt,
                       std::string& value) override;
    int OverwritePrompt(const OverwritePromptData& data) override;
    int ContinuePrompt(const ContinuePromptData& data) override;

  private:
    int Ask(const PromptView& view);
    bool AskText(const PromptView& view, std::string& value);
    void Show(const PromptView& view);
    int Refuse(const PromptView& view);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool interactive_;
};

} // namespace vexo::archive
