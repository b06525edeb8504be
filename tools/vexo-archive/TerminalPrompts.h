// TerminalPrompts.h - the questions of test, extract and list, asked on the terminal.
#pragma once

#include "archive/ConsolePrompts.h"

namespace vexo::tool {

/// The console prompts on standard error (standard output carries the subcommand's results),
/// with the key typed without echo. Installed as the process's prompt service for its
/// lifetime.
class TerminalPrompts final : public archive::PromptService {
  public:
    TerminalPrompts();
    ~TerminalPrompts() override;
    TerminalPrompts(const TerminalPrompts&) = delete;
    TerminalPrompts& operator=(const TerminalPrompts&) = delete;

    int MessageDlg(const std::string& text, int type, unsigned buttons, int helpContext) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool PasswordQuery(const std::string& caption, const std::string& prompt,
                       std::string& value) override;
    int OverwritePrompt(const archive::OverwritePromptData& data) override;
    int ContinuePrompt(const archive::ContinuePromptData& data) override;

  private:
    archive::ConsolePrompts console_;
    archive::PromptService* previous_;
};

} // namespace vexo::tool
