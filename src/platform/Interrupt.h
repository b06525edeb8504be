// Interrupt.h - a console program's requests to stop (signals, console events) caught as a flag.
#pragma once

#include <memory>

namespace vexo::platform {

/// While one is alive, SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and the
/// console's closing) no longer end the process at once: the handler only records the first
/// request. Long operations poll InterruptRequested and end as a cancel does, their files
/// cleaned up as the stack unwinds; the program then exits with InterruptExitStatus. Later
/// requests while cleaning up are ignored. A blocking read of the terminal returns early, so a
/// prompt answers as cancelled. One per program, made in main; a new one forgets old requests.
class InterruptCatcher {
  public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

/// Whether a stop was requested while a catcher was alive.
bool InterruptRequested();
/// The exit status of a program ended by the request: 128 plus the signal's number on POSIX;
/// 0xC000013A (the status of a console program ended by Ctrl+C) on Windows.
int InterruptExitStatus();
/// The request's usual name ("SIGTERM", "Ctrl+C"); empty when there was none.
const char* InterruptName();

/// Tests only: when the environment variable VEXO_TEST_PAUSE names this point ("block:3", the
/// third time "block" is reached), writes "vexo-test: paused at block:3" to standard error and
/// waits for a stop request (a minute at most). Elsewhere it costs one test of a flag.
void TestPausePoint(const char* point);

} // namespace vexo::platform
