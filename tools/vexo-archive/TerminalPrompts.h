// TerminalPrompts.h - the questions of test, extract and list, asked on the terminal.
#pragma once

#include "console/ConsolePrompts.h"

namespace vexo::tool {

/// The console prompts on standard error (standard output carries the subcommand's results),
/// with the key typed without echo. Installed as the process's prompt service for its
/// lifetime.
class TerminalPrompts final : public console::ConsolePrompts {
  public:
    TerminalPrompts();
    TerminalPrompts(const TerminalPrompts&) = delete;
    TerminalPrompts& operator=(const TerminalPrompts&) = delete;

  private:
    bool AskText(const archive::PromptView& view, std::string& value) override;

    archive::ScopedPrompts installed_{*this};
};

} // namespace vexo::tool
