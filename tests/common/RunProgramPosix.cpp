// RunProgramPosix.cpp - RunProgram on POSIX: fork and exec, output through pipes, the peak
// memory from wait4.
#include "common/ProcessHelpers.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo::test {

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (::pipe2(fd, O_CLOEXEC) != 0) fd[0] = fd[1] = -1;
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    void CloseRead() {
        if (fd[0] >= 0) ::close(fd[0]);
        fd[0] = -1;
    }
    void CloseWrite() {
        if (fd[1] >= 0) ::close(fd[1]);
        fd[1] = -1;
    }
};

} // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const ProgramOptions& options) {
    ProgramResult r;
    if (argv.empty()) return r;
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    Pipe out, err, execFailed; // the last one carries errno when execv fails
    if (out.fd[0] < 0 || err.fd[0] < 0 || execFailed.fd[0] < 0) return r;

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& [name, value] : options.environment) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(out.fd[1], 1) < 0 || ::dup2(err.fd[1], 2) < 0)
            ::_exit(126);
        ::execv(args[0], args.data());
        const int error = errno;
        [[maybe_unused]] ssize_t written = ::write(execFailed.fd[1], &error, sizeof error);
        ::_exit(127);
    }
    if (pid < 0) return r;
    out.CloseWrite();
    err.CloseWrite();
    execFailed.CloseWrite();
    int error = 0;
    r.started = ::read(execFailed.fd[0], &error, sizeof error) == 0; // closed by a good exec
    if (!r.started) {
        ::waitpid(pid, nullptr, 0);
        return r;
    }

    // Read both pipes until they close or the time is up.
    const auto deadline = started + options.limit;
    char buffer[65536];
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) break;
        Pipe* pipes[2] = {&out, &err};
        std::string* texts[2] = {&r.out, &r.err};
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
                if (i == 1 && options.onError) options.onError(r.err, pid);
            } else if (n == 0 || errno != EINTR) {
                pipes[i]->CloseRead();
            }
        }
    }
    // The pipes may close before the program ends (it closed them itself): wait, bounded.
    int raw = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(pid, &raw, r.timedOut ? 0 : WNOHANG, &usage);
        if (done == pid || (done < 0 && errno != EINTR)) break;
        if (std::chrono::steady_clock::now() > deadline) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            continue;
        }
        ::usleep(1000);
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    r.exited = !r.timedOut && WIFEXITED(raw);
    r.status = r.exited ? WEXITSTATUS(raw) : -1;
    r.signal = WIFSIGNALED(raw) ? static_cast<unsigned long>(WTERMSIG(raw)) : 0;
    r.peakKib = usage.ru_maxrss;
    return r;
}

bool SignalProgram(long pid, int signal) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), signal) == 0;
}

} // namespace vexo::test
