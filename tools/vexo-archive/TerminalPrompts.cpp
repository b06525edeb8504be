// TerminalPrompts.cpp - console prompts on standard error; the key is read without echo.
#include "TerminalPrompts.h"

#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace vexo::tool {
namespace {

// Turns the terminal's echo off for a scope, and back on on every way out.
class EchoOff {
  public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (!active_) return;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
        std::cerr << '\n'; // the Enter that was not echoed
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    termios saved_{};
    bool active_ = false;
};

} // namespace

TerminalPrompts::TerminalPrompts()
    : console_(std::cin, std::cerr, std::cerr, ::isatty(STDIN_FILENO) == 1),
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
    EchoOff quiet;
    return console_.PasswordQuery(caption, prompt, value);
}

int TerminalPrompts::OverwritePrompt(const archive::OverwritePromptData& data) {
    return console_.OverwritePrompt(data);
}

int TerminalPrompts::ContinuePrompt(const archive::ContinuePromptData& data) {
    return console_.ContinuePrompt(data);
}

} // namespace vexo::tool
