// InterruptedPromptTest.cpp - a prompt waiting for a person ends as cancelled when a stop
// request (SIGINT, SIGTERM, SIGHUP) arrives while it reads.
#include "archive/PromptTexts.h"
#include "console/ConsolePrompts.h"
#include "platform/Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <ext/stdio_sync_filebuf.h>
#include <fstream>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace vexo::console {
namespace {

// Whether thread `tid` of this process waits in read(2) on `fd`, as the kernel reports it;
// nullopt while the thread runs.
std::optional<bool> WaitsInRead(pid_t tid, int fd) {
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/syscall");
    long number = -1;
    std::string firstArgument;
    if (!(status >> number)) return std::nullopt;
    status >> firstArgument;
    char expected[24];
    std::snprintf(expected, sizeof expected, "0x%x", static_cast<unsigned>(fd));
    return number == SYS_read && firstArgument == expected;
}

struct Asked {
    const char* what;
    int signal;
    bool text; // the key's text prompt, else the overwrite question
};

class InterruptedPrompt : public ::testing::TestWithParam<Asked> {
  protected:
    void SetUp() override { archive::ResetPromptTexts(); }
    void TearDown() override { archive::ResetPromptTexts(); }
};

TEST_P(InterruptedPrompt, EndsAsCancelledWithoutWaitingForInput) {
    const Asked& asked = GetParam();
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    FILE* input = ::fdopen(fds[0], "r"); // the person's end (fds[1]) never writes
    ASSERT_NE(input, nullptr);
    __gnu_cxx::stdio_sync_filebuf<char> buffer(input);
    std::istream in(&buffer);
    std::ostringstream out, err;
    ConsolePrompts prompts(in, out, err, /*interactive=*/true);
    platform::InterruptCatcher catcher;

    const pthread_t asking = ::pthread_self();
    const pid_t askingTid = static_cast<pid_t>(::syscall(SYS_gettid));
    if (!std::ifstream("/proc/self/task/" + std::to_string(askingTid) + "/syscall"))
        GTEST_SKIP() << "the kernel does not show system calls";
    std::thread stopper([&] {
        // The signal goes in only once the prompt blocks in its read.
        while (WaitsInRead(askingTid, fds[0]) != std::optional<bool>(true))
            std::this_thread::yield();
        ::pthread_kill(asking, asked.signal);
    });
    bool cancelled = false;
    if (asked.text) {
        std::string value = "unchanged";
        cancelled =
            !prompts.PasswordQuery("Clave", "Escriba la clave", value) && value == "unchanged";
    } else {
        archive::OverwritePromptData data;
        data.ExistingName = "C:\\out\\big.bin";
        data.ArchivedName = "big.bin";
        cancelled = prompts.OverwritePrompt(data) == archive::OverwriteAnswer::Cancel;
    }
    stopper.join();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(platform::InterruptRequested());
    // Cancelled by the request, not refused for want of a terminal.
    EXPECT_EQ(err.str().find("No terminal"), std::string::npos) << err.str();
    ::fclose(input);
    ::close(fds[1]);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedPrompt,
                         ::testing::Values(Asked{"OverwriteSigint", SIGINT, false},
                                           Asked{"OverwriteSigterm", SIGTERM, false},
                                           Asked{"KeySighup", SIGHUP, true}),
                         [](const auto& row) { return std::string(row.param.what); });

// A request that came before the prompt: it is not shown at all.
TEST(InterruptedPromptBefore, IsNotAsked) {
    std::istringstream in("1\n");
    std::ostringstream out, err;
    ConsolePrompts prompts(in, out, err, /*interactive=*/true);
    platform::InterruptCatcher catcher;
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_TRUE(platform::InterruptRequested());
    archive::OverwritePromptData data;
    EXPECT_EQ(prompts.OverwritePrompt(data), archive::OverwriteAnswer::Cancel);
    EXPECT_EQ(out.str(), "");
}

// Each catcher starts afresh; without one a request is nobody's.
TEST(InterruptCatcher, ANewCatcherForgetsAnOldRequest) {
    {
        platform::InterruptCatcher first;
        ASSERT_EQ(std::raise(SIGHUP), 0);
        EXPECT_TRUE(platform::InterruptRequested());
        EXPECT_EQ(platform::InterruptExitStatus(), 128 + SIGHUP);
        EXPECT_STREQ(platform::InterruptName(), "SIGHUP");
        ASSERT_EQ(std::raise(SIGINT), 0); // ignored: the first request stands
        EXPECT_STREQ(platform::InterruptName(), "SIGHUP");
    }
    platform::InterruptCatcher second;
    EXPECT_FALSE(platform::InterruptRequested());
    EXPECT_STREQ(platform::InterruptName(), "");
}

} // namespace
} // namespace vexo::console
