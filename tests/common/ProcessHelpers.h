// ProcessHelpers.h - for tests that run our programs and read what they wrote: a portable
// runner (RunProgram.cpp) and a few helpers for shell command lines and files.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vexo::test {

/// How a program run ended.
struct ProgramResult {
    bool started = false;
    bool exited = false;      // false: killed (by the time limit), or ended by a signal or crash
    int status = -1;          // exit status when exited
    unsigned long signal = 0; // when not exited: the signal (POSIX) or the exception code (Windows)
    bool timedOut = false;
    double seconds = 0;
    long peakKib = 0; // peak resident memory of the program (0 when the host cannot tell)
    std::string out, err;
};

struct ProgramOptions {
    /// Variables set (a value) or removed (nullopt) for the program; the rest is inherited.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
    /// Killed after this long.
    std::chrono::milliseconds limit = std::chrono::minutes(2);
    /// Read the output as text: a Windows program's CRLF line ends come back as LF (the
    /// C runtime writes text-mode streams so). POSIX output is never changed.
    bool text = true;
    /// Called whenever the program wrote to its standard error, with all of it so far and the
    /// program's process id: a test stops the program at a moment it reported (SignalProgram).
    /// POSIX only.
    std::function<void(const std::string& err, long pid)> onError;
};

/// Sends `signal` to a program RunProgram is running (from `onError`). False when it could not.
bool SignalProgram(long pid, int signal);

/// `s` with every CRLF turned into LF.
inline std::string CrlfToLf(const std::string& s) {
    std::string t;
    t.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) t += s[i];
    return t;
}

/// Runs `argv` (argv[0] the program's host path; UTF-8) directly, no shell: standard input
/// empty, standard output and error read whole. On Windows the arguments reach the program
/// through one command line quoted as the C runtime splits it.
ProgramResult RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options = {});

/// `s` as one single-quoted shell word.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

/// A whole file's bytes; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace vexo::test
