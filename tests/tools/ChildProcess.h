// ChildProcess.h - runs a program with a wall-clock limit and reports how it ended: exit
// status or signal, its output, the time it took and its peak memory.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vexo::tool::testing {

struct ChildResult {
    bool exited = false; // false: killed by a signal (or by the time limit)
    int status = -1;     // exit status when exited
    int signal = 0;      // the signal when not exited
    bool timedOut = false;
    double seconds = 0;
    long peakKib = 0; // peak resident memory of the child
    std::string out, err;
};

inline std::string SlurpFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// Runs `argv` with stdin from /dev/null and stdout/stderr into files under `scratch`; kills
/// it after `limit`.
inline ChildResult RunChild(const std::vector<std::string>& argv,
                            const std::filesystem::path& scratch, std::chrono::milliseconds limit) {
    const std::string outPath = (scratch / "child.out").string();
    const std::string errPath = (scratch / "child.err").string();
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open("/dev/null", O_RDONLY);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ChildResult r;
    if (pid < 0) return r;
    int raw = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(pid, &raw, WNOHANG, &usage);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() - started > limit) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            ::wait4(pid, &raw, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    r.exited = WIFEXITED(raw);
    r.status = r.exited ? WEXITSTATUS(raw) : -1;
    r.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    r.peakKib = usage.ru_maxrss;
    r.out = SlurpFile(outPath);
    r.err = SlurpFile(errPath);
    return r;
}

} // namespace vexo::tool::testing
