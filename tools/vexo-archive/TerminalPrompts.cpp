// TerminalPrompts.cpp - console prompts on standard error; the key is read without echo.
#include "TerminalPrompts.h"

#include "platform/Terminal.h"

#include <iostream>

namespace vexo::tool {
namespace {

// The echo is off while the key is typed; the Enter that was not echoed is shown after.
class KeyEntry {
  public:
    ~KeyEntry() {
        if (quiet_.Active()) std::cerr << '\n';
    }

  private:
    platform::TerminalEchoOff quiet_;
};

} // namespace

TerminalPrompts::TerminalPrompts()
    : ConsolePrompts(std::cin, std::cerr, std::cerr,
                     platform::IsTerminal(platform::StandardStream::Input)) {}

bool TerminalPrompts::AskText(const archive::PromptView& view, std::string& value) {
    if (view.Kind != archive::PromptKind::PasswordQuery)
        return ConsolePrompts::AskText(view, value);
    KeyEntry quiet;
    return ConsolePrompts::AskText(view, value);
}

} // namespace vexo::tool
