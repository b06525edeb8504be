// RunProgramWin32.cpp - RunProgram on Windows: CreateProcessW with one quoted command line,
// output through pipes read by two threads, the peak working set sampled while it runs.
#include "common/ProcessHelpers.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <thread>

namespace vexo::test {

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

/// One argument as the C runtime's command-line splitter reads it back: quoted when it is
/// empty or holds blanks or quotes; backslashes doubled only before a quote.
std::wstring QuoteArgument(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\n\v\"") == std::wstring::npos) return a;
    std::wstring q = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : a) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        q.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        q += c;
    }
    q.append(backslashes * 2, L'\\');
    return q + L"\"";
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

/// This process's environment with the options' changes, as CreateProcessW takes it.
std::wstring EnvironmentBlock(const ProgramOptions& options) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += std::wcslen(p) + 1)
            entries.emplace_back(p);
        ::FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : options.environment) {
        const std::wstring wname = Wide(name);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) {
                                         // "=C:=C:\..." entries start with '=': skip it.
                                         const std::size_t eq = e.find(L'=', 1);
                                         return SameName(e.substr(0, eq), wname);
                                     }),
                      entries.end());
        if (value) entries.push_back(wname + L"=" + Wide(*value));
    }
    std::wstring block;
    for (const auto& e : entries)
        block += e + L'\0';
    return block + L'\0';
}

class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* Out() { return &h_; }
    HANDLE Get() const { return h_; }
    void Close() {
        if (h_) ::CloseHandle(h_);
        h_ = nullptr;
    }

  private:
    HANDLE h_;
};

void ReadAll(HANDLE pipe, std::string& text) {
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
}

long PeakKib(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

} // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options) {
    ProgramResult r;
    if (argv.empty()) return r;
    std::wstring commandLine;
    for (const auto& a : argv)
        commandLine += (commandLine.empty() ? L"" : L" ") + QuoteArgument(Wide(a));
    std::wstring environment = EnvironmentBlock(options);

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle outRead, outWrite, errRead, errWrite;
    if (!::CreatePipe(outRead.Out(), outWrite.Out(), &inherit, 0) ||
        !::CreatePipe(errRead.Out(), errWrite.Out(), &inherit, 0))
        return r;
    ::SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);
    Handle in(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Get();
    startup.hStdOutput = outWrite.Get();
    startup.hStdError = errWrite.Get();
    PROCESS_INFORMATION info{};
    const std::wstring program = Wide(argv[0]);
    const auto started = std::chrono::steady_clock::now();
    const auto create = [&] {
        return ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                                nullptr, &startup, &info);
    };
    // Under Wine a start now and then fails outright on a busy machine: it is tried once more.
    if (!create()) {
        ::Sleep(200);
        if (!create()) return r;
    }
    r.started = true;
    Handle process(info.hProcess), thread(info.hThread);
    // Only the program holds the write ends now, so the readers end when it does.
    outWrite.Close();
    errWrite.Close();
    in.Close();
    std::thread outReader(ReadAll, outRead.Get(), std::ref(r.out));
    std::thread errReader(ReadAll, errRead.Get(), std::ref(r.err));

    const auto deadline = started + options.limit;
    for (;;) {
        r.peakKib = std::max(r.peakKib, PeakKib(process.Get()));
        if (::WaitForSingleObject(process.Get(), 5) == WAIT_OBJECT_0) break;
        if (std::chrono::steady_clock::now() > deadline) {
            r.timedOut = true;
            ::TerminateProcess(process.Get(), 1);
            ::WaitForSingleObject(process.Get(), INFINITE);
            break;
        }
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    r.peakKib = std::max(r.peakKib, PeakKib(process.Get()));
    outReader.join();
    errReader.join();
    if (options.text) {
        r.out = CrlfToLf(r.out);
        r.err = CrlfToLf(r.err);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    // Exception codes (0xC0000005 and the like) are a crash, as a signal is on POSIX.
    const bool crashed = (code & 0xC0000000u) == 0xC0000000u;
    r.exited = !r.timedOut && !crashed;
    r.status = r.exited ? static_cast<int>(code) : -1;
    r.signal = crashed ? code : 0;
    return r;
}

// Console events reach only processes sharing the caller's console; the runner gives none.
bool SignalProgram(long, int) {
    return false;
}

} // namespace vexo::test
