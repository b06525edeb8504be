// Interrupt.cpp - Ctrl+C, Ctrl+Break and the console's closing recorded by a control handler.
#include "platform/Interrupt.h"

#include "platform/win32/WindowsApi.h"

#include <atomic>

namespace vexo::platform {
namespace {

// The first event's code plus one (0 for none); later events are ignored.
std::atomic<unsigned long> g_event{0};

BOOL WINAPI RecordStop(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    unsigned long none = 0;
    g_event.compare_exchange_strong(none, event + 1);
    // Returning from a closing console's handler ends the process: the main thread gets the
    // seconds Windows allows to clean up and exit by itself.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        for (int i = 0; i < 450; ++i)
            ::Sleep(10);
    return TRUE;
}

} // namespace

struct InterruptCatcher::Saved {};

InterruptCatcher::InterruptCatcher() : saved_(std::make_unique<Saved>()) {
    g_event = 0;
    ::SetConsoleCtrlHandler(RecordStop, TRUE);
}

InterruptCatcher::~InterruptCatcher() {
    ::SetConsoleCtrlHandler(RecordStop, FALSE);
}

bool InterruptRequested() {
    return g_event != 0;
}

int InterruptExitStatus() {
    return static_cast<int>(0xC000013Au); // STATUS_CONTROL_C_EXIT
}

const char* InterruptName() {
    switch (g_event.load()) {
    case CTRL_C_EVENT + 1:
        return "Ctrl+C";
    case CTRL_BREAK_EVENT + 1:
        return "Ctrl+Break";
    case CTRL_CLOSE_EVENT + 1:
    case CTRL_LOGOFF_EVENT + 1:
    case CTRL_SHUTDOWN_EVENT + 1:
        return "console closed";
    default:
        return "";
    }
}

} // namespace vexo::platform
