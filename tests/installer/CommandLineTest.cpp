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

// The switches Windows administrators type: any case, the directory after '=' kept as typed
// (blanks and all), and the same rules as the long options.
INSTANTIATE_TEST_SUITE_P(
    WindowsSwitches, CommandLineTest,
    ::testing::Values(
        ArgsCase{{"/unattended"}, Mode::Unattended, false, nullptr},
        ArgsCase{{"/UNATTENDED", "/Yes"}, Mode::Unattended, true, nullptr},
        ArgsCase{{"/unattended", "/dir=C:\\Mis Programas\\Dalvo"},
                 Mode::Unattended,
                 false,
                 "C:\\Mis Programas\\Dalvo"},
        ArgsCase{{"/DIR=d:\\x=y", "/unattended"}, Mode::Unattended, false, "d:\\x=y"},
        ArgsCase{{"/unattended", "--dir", "/yes"}, Mode::Unattended, false, "/yes"},
        ArgsCase{{"--unattended", "/dir=/tmp/x", "--yes"}, Mode::Unattended, true, "/tmp/x"},
        ArgsCase{{"/?"}, Mode::Help, false, nullptr},
        ArgsCase{{"/unattended", "/?"}, Mode::Help, false, nullptr},
        ArgsCase{{"/yes"}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/dir=C:\\X"}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/unattended", "/dir"}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/unattended", "/dir="}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/unattended", "/yes=no"}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/unattended", "/silent"}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/"}, Mode::UsageError, false, nullptr},
        ArgsCase{{"/unattended", "/tmp/x"}, Mode::UsageError, false, nullptr}));

TEST(CommandLineErrors, NameTheSwitchAsTyped) {
    EXPECT_EQ(ParseCommandLine({"/unattended", "/Silent"}).error, "unknown argument: /Silent");
    EXPECT_EQ(ParseCommandLine({"/unattended", "/yes=1"}).error, "unknown argument: /yes=1");
    EXPECT_NE(ParseCommandLine({"/unattended", "/dir"}).error.find("/dir=DIR"), std::string::npos);
}

TEST(CommandLineUsage, NamesTheWindowsSwitches) {
    std::string text = UsageText("instalar");
    for (const char* s : {"/unattended", "/dir=DIR", "/yes", "/?"})
        EXPECT_NE(text.find(s), std::string::npos) << s;
}

} // namespace
} // namespace vexo::installer
