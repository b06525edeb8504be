// Terminal.h - whether the process talks to a person at a terminal, and typing without echo.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vexo::platform {

enum class StandardStream { Input, Output, Error };

/// Whether the standard stream is a terminal (a person may read it or type into it).
bool IsTerminal(StandardStream stream);

/// The program's arguments after its name, in UTF-8. A Windows program reads them from its own
/// wide command line (argv holds them in the ANSI code page); elsewhere they are argv's.
std::vector<std::string> ProgramArguments(int argc, char** argv);

/// A program without a console of its own (a Windows GUI program) writes to the console it was
/// started from: standard output and error that lead nowhere are attached to the parent's
/// console; redirected ones are kept. Elsewhere it does nothing.
void UseParentConsole();

/// Turns the echo of what is typed at the terminal off for a scope (a key being typed), and
/// back on however the scope ends. Does nothing when standard input is no terminal.
class TerminalEchoOff {
  public:
    TerminalEchoOff();
    ~TerminalEchoOff();
    TerminalEchoOff(const TerminalEchoOff&) = delete;
    TerminalEchoOff& operator=(const TerminalEchoOff&) = delete;

    /// Whether the echo was on and is now off: the Enter that ends the line is not shown either.
    bool Active() const { return saved_ != nullptr; }

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

} // namespace vexo::platform
