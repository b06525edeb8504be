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
    : console_(std::cin, std::cerr, std::cerr, platform::IsTerminal(platform::StandardStream::Input)),
      previous_(&archive::CurrentPrompts()) {
    archive::SetCurrentPrompts(this);
}

TerminalPrompts::~TerminalPrompts() {
    archive::SetCurrentPrompts(previous_);
}

int TerminalPrompts::MessageDlg(const std::string& text, int type, unsigned buttons,
                                int helpContext) {
    return console_.MessageDlg(text, type, buttons, helpContext);
}

bool TerminalPrompts::InputQuery(const std::string& caption, const std::string& prompt,
                                 std::string& value) {
    return console_.InputQuery(caption, prompt, value);
}

bool TerminalPrompts::PasswordQuery(const std::string& caption, const std::string& prompt,
                                    std::string& value) {
    KeyEntry quiet;
    return console_.PasswordQuery(caption, prompt, value);
}

int TerminalPrompts::OverwritePrompt(const archive::OverwritePromptData& data) {
    return console_.OverwritePrompt(data);
}

int TerminalPrompts::ContinuePrompt(const archive::ContinuePromptData& data) {
    return console_.ContinuePrompt(data);
}

} // namespace vexo::tool
