// RunProgramTest.cpp - the tests' program runner: arguments arrive whole (the Windows command
// line quoting), the environment changes reach the program, both outputs are read without a
// deadlock, the exit status and the time limit hold.
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "platform/EnvironmentVariables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexo::test {
namespace {

using Args = std::vector<std::string>;

ProgramResult Echo(const Args& args, const ProgramOptions& options = {}) {
    Args argv{VEXO_ECHO_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, options);
}

struct ArgumentCase {
    const char* name;
    std::string argument;
};

class ArgumentsArriveWhole : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentsArriveWhole, AsOneArgument) {
    const std::string& a = GetParam().argument;
    ProgramResult r = Echo({"before", a, "after"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "[before]\n[" + a + "]\n[after]\n");
}

INSTANTIATE_TEST_SUITE_P(
    Runner, ArgumentsArriveWhole,
    ::testing::Values(ArgumentCase{"Plain", "plain"}, ArgumentCase{"Empty", ""},
                      ArgumentCase{"Blanks", "two words\tand a tab"},
                      ArgumentCase{"Quote", "say \"hola\""},
                      ArgumentCase{"TrailingBackslash", "C:\\Otra Carpeta\\"},
                      ArgumentCase{"BackslashesBeforeAQuote", "a\\\\\"b\\"},
                      ArgumentCase{"BackslashesAlone", "\\\\srv\\share"},
                      ArgumentCase{"Accents", "Año Información"},
                      ArgumentCase{"ShellWords", "$HOME `x` 'q' %PATH% & | <>"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Runner, EnvironmentIsInheritedSetAndRemoved) {
    ScopedEnv inherited("VEXO_RUNNER_KEPT", std::string("heredado"));
    ScopedEnv removed("VEXO_RUNNER_GONE", std::string("quitado"));
    ProgramOptions options;
    options.environment = {{"VEXO_RUNNER_NEW", "nuevo valor"}, {"VEXO_RUNNER_GONE", std::nullopt}};
    ProgramResult r =
        Echo({"--env", "VEXO_RUNNER_KEPT", "--env", "VEXO_RUNNER_NEW", "--env", "VEXO_RUNNER_GONE"},
             options);
    EXPECT_EQ(r.out, "VEXO_RUNNER_KEPT=heredado\nVEXO_RUNNER_NEW=nuevo valor\n"
                     "VEXO_RUNNER_GONE unset\n");
    // The runner's own environment is untouched.
    EXPECT_EQ(platform::GetEnv("VEXO_RUNNER_GONE"), "quitado");
    EXPECT_EQ(platform::GetEnv("VEXO_RUNNER_NEW"), std::nullopt);
}

TEST(Runner, ExitStatusAndBothOutputsApart) {
    for (int status : {0, 1, 3, 200}) {
        ProgramResult r = Echo({"uno", "--err", "fallo", "--exit", std::to_string(status)});
        EXPECT_TRUE(r.exited) << status;
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, "[uno]\n");
        EXPECT_EQ(r.err, "fallo\n");
    }
}

TEST(Runner, LargeOutputOnBothStreamsIsReadWhole) {
    // Far beyond a pipe's buffer on either stream: reading one only would never end.
    ProgramResult r = Echo({"--fill", "1000000"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(1000000, 'o'));
    EXPECT_EQ(r.err, std::string(1000000, 'e'));
}

TEST(Runner, StandardInputIsEmpty) {
    EXPECT_EQ(Echo({"--stdin"}).out, "stdin 0\n");
}

TEST(Runner, TimeLimitKillsTheProgram) {
    ProgramOptions options;
    options.limit = std::chrono::milliseconds(500);
    ProgramResult r = Echo({"--sleep", "20000", "--exit", "0"}, options);
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.timedOut);
    EXPECT_FALSE(r.exited);
    EXPECT_LT(r.seconds, 15);
}

TEST(Runner, MissingProgramDoesNotStartOrExit) {
    ProgramResult r = RunProgram({std::string(VEXO_ECHO_PROGRAM) + ".missing"});
    EXPECT_FALSE(r.started);
    EXPECT_FALSE(r.exited);
    EXPECT_NE(r.status, 0);
}

TEST(Runner, PeakMemoryIsMeasured) {
    ProgramResult r = Echo({"--fill", "100000"});
    EXPECT_GT(r.peakKib, 0);
    EXPECT_LT(r.peakKib, 1024 * 1024);
}

} // namespace
} // namespace vexo::test
