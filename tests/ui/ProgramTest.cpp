// ProgramTest.cpp - the installer program carries its window as a module: an unattended run
// never maps the toolkit, the window mode loads it and waits for the user.
#include "common/ProcessHelpers.h"
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

#if defined(VEXO_INSTALAR) && defined(VEXO_ARCHIVE_TOOL)

namespace vexo::ui {
namespace {

namespace fs = std::filesystem;
using vexo::test::Quote;
using vexo::test::Slurp;

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vexo-program-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directory(root_ / "xdg");
        fs::permissions(root_ / "xdg", fs::perms::owner_all);
        package_ = root_ / "ZPX16.EXE";
        std::string build = Quote(VEXO_ARCHIVE_TOOL) + " build --out " + Quote(package_) +
                            " --stub " + Quote(VEXO_INSTALAR) +
                            " --package-version 10.05 --package-code 1 --package-date 2009-02-12"
                            " --product-code DALVO --manifest " +
                            Quote(std::string(VEXO_SAMPLE_PACKAGE) + "/MANIFEST") + " >/dev/null";
        ASSERT_EQ(std::system(build.c_str()), 0);
        fs::permissions(package_, fs::perms::owner_exec, fs::perm_options::add);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    /// The variables every run gets: its own prefix, the offscreen platform.
    std::string Environment() const {
        return "VEXO_PREFIX=" + Quote(root_ / "prefix") + " VEXO_USER=ana" +
               " QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + Quote(root_ / "xdg");
    }

    /// The dynamic loader's report of every library a run loaded (LD_DEBUG=libs).
    std::string LoaderLog() const {
        std::string log;
        for (const auto& entry : fs::directory_iterator(root_))
            if (entry.path().filename().string().rfind("ld.", 0) == 0) log += Slurp(entry.path());
        return log;
    }

    fs::path root_, package_;
};

TEST_F(ProgramTest, UnattendedRunMapsNoToolkitLibrary) {
    std::string line =
        "env " + Environment() + " LD_DEBUG=libs LD_DEBUG_OUTPUT=" + Quote(root_ / "ld") + " " +
        Quote(package_) + " --unattended --yes </dev/null >/dev/null 2>" + Quote(root_ / "err.txt");
    int raw = std::system(line.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << Slurp(root_ / "err.txt");
    EXPECT_TRUE(fs::exists(root_ / "prefix/drive_c/VEXO/DALVO/Programa/DALVO.EXE"));
    std::string log = LoaderLog();
    // The log names the libraries it did load, so an empty or missing log cannot pass.
    EXPECT_NE(log.find("libc.so.6"), std::string::npos) << log;
    EXPECT_EQ(log.find("libQt6"), std::string::npos) << log;
    EXPECT_EQ(log.find("libjpeg"), std::string::npos) << log;
}

/// The system calls a thread blocks in while an event loop waits.
std::set<long> WaitingCalls() {
    std::set<long> calls;
#ifdef SYS_poll
    calls.insert(SYS_poll);
#endif
#ifdef SYS_ppoll
    calls.insert(SYS_ppoll);
#endif
#ifdef SYS_epoll_wait
    calls.insert(SYS_epoll_wait);
#endif
#ifdef SYS_epoll_pwait
    calls.insert(SYS_epoll_pwait);
#endif
    return calls;
}

TEST_F(ProgramTest, WindowModeLoadsTheToolkitAndWaitsForTheUser) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back("VEXO_PREFIX=" + (root_ / "prefix").string());
    env.push_back("VEXO_USER=ana");
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("XDG_RUNTIME_DIR=" + (root_ / "xdg").string());
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = package_.string(), out = (root_ / "out.txt").string();
    char* argv[] = {program.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Up to a minute for the start-up; then the toolkit must be mapped and the main thread
    // blocked waiting for events.
    const std::set<long> waiting = WaitingCalls();
    bool toolkit = false, waited = false;
    int status = 0;
    bool exited = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!waited && std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            break;
        }
        std::string proc = "/proc/" + std::to_string(pid);
        toolkit = Slurp(proc + "/maps").find("libQt6Widgets.so") != std::string::npos;
        long call = -1;
        std::istringstream(Slurp(proc + "/syscall")) >> call;
        waited = toolkit && waiting.count(call) > 0;
        if (!waited) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!exited) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_FALSE(exited) << "status " << status << ": " << Slurp(out);
    EXPECT_TRUE(toolkit);
    EXPECT_TRUE(waited) << Slurp(out);
}

} // namespace
} // namespace vexo::ui

#endif
