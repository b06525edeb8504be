// ConsolePrompts.h - the archive component's prompts as a dialogue on a terminal.
#pragma once

#include "archive/Prompts.h"

#include <iosfwd>

namespace vexo::console {

/// Shows each prompt on `out` (UTF-8) and reads the answer from `in`: a button's number or its
/// label (without "&", any case). Without a terminal, or at the end of the input, it answers
/// as RefusingAnswer does (Cancel/No; text prompts false) and says so on `err`.
class ConsolePrompts : public archive::PromptService {
  public:
    /// The process's standard streams; interactive when standard input is a terminal.
    ConsolePrompts();
    ConsolePrompts(std::istream& in, std::ostream& out, std::ostream& err, bool interactive);

  protected:
    archive::PromptResult Ask(const archive::PromptView& view) override;
    bool AskText(const archive::PromptView& view, std::string& value) override;

  private:
    void Show(const archive::PromptView& view);
    archive::PromptResult Refuse(const archive::PromptView& view);
    /// The answer when nothing could be read: cancelled after a stop request, else refused.
    archive::PromptResult Unanswered(const archive::PromptView& view);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool interactive_;
};

} // namespace vexo::console
