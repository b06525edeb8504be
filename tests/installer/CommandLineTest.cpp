// CommandLineTest.cpp - the installer program's arguments.
#include "installer/CommandLine.h"

#include <gtest/gtest.h>

namespace vexo::installer {
namespace {

using Mode = CommandLine::Mode;

struct ArgsCase {
    std::vector<std::string> args;
    Mode mode;
    bool yes;
    const char* dir; // nullptr: none
};

class CommandLineTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(CommandLineTest, Parses) {
    CommandLine c = ParseCommandLine(GetParam().args);
    EXPECT_EQ(c.mode, GetParam().mode) << c.error;
    if (c.mode == Mode::UsageError) {
        EXPECT_FALSE(c.error.empty());
        return;
    }
    EXPECT_EQ(c.yes, GetParam().yes);
    EXPECT_EQ(c.directory.has_value(), GetParam().dir != nullptr);
    if (GetParam().dir) {
        EXPECT_EQ(*c.directory, GetParam().dir);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Args, CommandLineTest,
    ::testing::Values(ArgsCase{{}, Mode::Window, false, nullptr},
                      ArgsCase{{"--unattended"}, Mode::Unattended, false, nullptr},
                      ArgsCase{{"--unattended", "--yes"}, Mode::Unattended, true, nullptr},
                      ArgsCase{
                          {"--dir", "C:\\X", "--unattended"}, Mode::Unattended, false, "C:\\X"},
                      ArgsCase{{"--unattended", "--dir=/tmp/x"}, Mode::Unattended, false, "/tmp/x"},
                      ArgsCase{{"--unattended", "--help"}, Mode::Help, false, nullptr},
                      ArgsCase{{"-h"}, Mode::Help, false, nullptr},
                      ArgsCase{{"--yes"}, Mode::UsageError, false, nullptr},
                      ArgsCase{{"--dir", "x"}, Mode::UsageError, false, nullptr},
                      ArgsCase{{"--unattended", "--dir"}, Mode::UsageError, false, nullptr},
                      ArgsCase{{"--unattended", "--dir="}, Mode::UsageError, false, nullptr},
                      ArgsCase{{"--unattended", "extra"}, Mode::UsageError, false, nullptr}));

} // namespace
} // namespace vexo::installer
