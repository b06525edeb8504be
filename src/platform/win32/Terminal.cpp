// Terminal.cpp - console checks and echo through the console modes.
#include "platform/Terminal.h"

#include "platform/win32/WidePaths.h"
#include "platform/win32/WindowsApi.h"

#include <shellapi.h>

#include <cstdio>

namespace vexo::platform {
namespace {

HANDLE HandleOf(StandardStream stream) {
    switch (stream) {
    case StandardStream::Input:
        return ::GetStdHandle(STD_INPUT_HANDLE);
    case StandardStream::Output:
        return ::GetStdHandle(STD_OUTPUT_HANDLE);
    case StandardStream::Error:
        return ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

bool IsTerminal(StandardStream stream) {
    // A character device with a console mode: the NUL device is a character device too.
    HANDLE h = HandleOf(stream);
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetFileType(h) == FILE_TYPE_CHAR &&
           ::GetConsoleMode(h, &mode);
}

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i)
        args.push_back(win32::NarrowUtf8(wide[i]));
    ::LocalFree(wide);
    return args;
}

void UseParentConsole() {
    auto leadsNowhere = [](StandardStream stream) {
        HANDLE h = HandleOf(stream);
        return h == nullptr || h == INVALID_HANDLE_VALUE || ::GetFileType(h) == FILE_TYPE_UNKNOWN;
    };
    const bool out = leadsNowhere(StandardStream::Output);
    const bool err = leadsNowhere(StandardStream::Error);
    if (!(out || err) || !::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (out) std::freopen("CONOUT$", "w", stdout);
    if (err) std::freopen("CONOUT$", "w", stderr);
}

struct TerminalEchoOff::Saved {
    DWORD mode = 0;
};

TerminalEchoOff::TerminalEchoOff() {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    auto saved = std::make_unique<Saved>();
    if (!::GetConsoleMode(input, &saved->mode) || !(saved->mode & ENABLE_ECHO_INPUT)) return;
    if (::SetConsoleMode(input, saved->mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)))
        saved_ = std::move(saved);
}

TerminalEchoOff::~TerminalEchoOff() {
    if (saved_) ::SetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), saved_->mode);
}

} // namespace vexo::platform
