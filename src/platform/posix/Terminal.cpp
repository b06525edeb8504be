// Terminal.cpp - terminal checks and echo through termios.
#include "platform/Terminal.h"

#include <termios.h>
#include <unistd.h>

namespace vexo::platform {

bool IsTerminal(StandardStream stream) {
    switch (stream) {
    case StandardStream::Input:
        return ::isatty(STDIN_FILENO) == 1;
    case StandardStream::Output:
        return ::isatty(STDOUT_FILENO) == 1;
    case StandardStream::Error:
        return ::isatty(STDERR_FILENO) == 1;
    }
    return false;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void UseParentConsole() {}

struct TerminalEchoOff::Saved {
    termios settings{};
};

TerminalEchoOff::TerminalEchoOff() {
    auto saved = std::make_unique<Saved>();
    if (::tcgetattr(STDIN_FILENO, &saved->settings) != 0) return;
    termios quiet = saved->settings;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0) saved_ = std::move(saved);
}

TerminalEchoOff::~TerminalEchoOff() {
    if (saved_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_->settings);
}

} // namespace vexo::platform
