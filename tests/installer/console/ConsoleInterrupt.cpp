// ConsoleInterrupt.cpp - a test helper for Windows: starts a program in its own console, waits
// for the program's window, then presses Ctrl+C in that console (GenerateConsoleCtrlEvent) and
// reports how the program ended. Exit 0 when it ended with 0xC000013A, as a program stopped by
// Ctrl+C does; 1 otherwise.
#include <windows.h>

#include <cstdio>

namespace {

struct Search {
    DWORD process;
    bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && ::IsWindowVisible(window)) search->found = true;
    return !search->found;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexo_console_interrupt PROGRAM\n");
        return 2;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &child)) {
        std::printf("cannot start the program: error %lu\n", ::GetLastError());
        return 1;
    }
    Search search{child.dwProcessId, false};
    for (int i = 0; i < 600 && !search.found; ++i) {
        if (::WaitForSingleObject(child.hProcess, 100) == WAIT_OBJECT_0) break;
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    }
    if (!search.found) {
        std::printf("no window\n");
        ::TerminateProcess(child.hProcess, 1);
        return 1;
    }
    ::Sleep(1000);                          // the fade-in; the window then waits for the user
    ::SetConsoleCtrlHandler(nullptr, TRUE); // this helper ignores the event itself
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
        std::printf("Ctrl+C not sent: error %lu\n", ::GetLastError());
        ::TerminateProcess(child.hProcess, 1);
        return 1;
    }
    DWORD status = 0;
    if (::WaitForSingleObject(child.hProcess, 20000) != WAIT_OBJECT_0) {
        std::printf("still running 20 s after Ctrl+C\n");
        ::TerminateProcess(child.hProcess, 1);
        return 1;
    }
    ::GetExitCodeProcess(child.hProcess, &status);
    std::printf("exit status 0x%lX\n", status);
    return status == 0xC000013Au ? 0 : 1;
}
