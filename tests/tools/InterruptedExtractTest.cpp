// InterruptedExtractTest.cpp - vexo-archive extract stopped by SIGINT, SIGTERM and SIGHUP at
// known moments of a large file: the old file stays whole and nothing new is left beside it.
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

constexpr std::size_t kBigSize = 20u << 20; // 320 blocks of 64 KiB

// Text-like bytes: compressible, but every block differs.
std::string BigContent() {
    std::mt19937 random(7);
    const char* const words[] = {"asiento ", "balance ", "cuenta ", "saldo ", "\r\n", "1234 "};
    std::string s;
    s.reserve(kBigSize);
    while (s.size() < kBigSize)
        s += words[random() % std::size(words)];
    s.resize(kBigSize);
    return s;
}

class InterruptedExtract : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = new vexo::test::TempDirectory("vexo-interrupt");
        const fs::path src = temp_->Path() / "src";
        fs::create_directories(src);
        std::ofstream(src / "big.bin", std::ios::binary) << BigContent();
        for (const char* name : {"big.vxa", "stored.vxa"}) {
            Args args = {VEXO_ARCHIVE_TOOL, "build", "--out", (temp_->Path() / name).string()};
            if (std::string(name) == "stored.vxa") args.push_back("--store");
            args.push_back(src.string());
            const auto r = vexo::test::RunProgram(args);
            ASSERT_EQ(r.status, 0) << r.err;
        }
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }

    void SetUp() override {
        static int run = 0;
        out_ = temp_->Path() / ("out" + std::to_string(++run));
        fs::create_directories(out_);
        std::ofstream(out_ / "big.bin", std::ios::binary) << kOld;
    }

    struct Stop {
        const char* pause;        // where the program waits: VEXO_TEST_PAUSE
        std::vector<int> signals; // sent once it waits there
    };

    vexo::test::ProgramResult Extract(const char* archive, const Stop& stop) {
        vexo::test::ProgramOptions options;
        options.environment = {{"VEXO_PREFIX", (temp_->Path() / "prefix").string()},
                               {"VEXO_TEST_PAUSE", stop.pause}};
        bool sent = false;
        options.onError = [&](const std::string& err, long pid) {
            if (sent || err.find("vexo-test: paused at ") == std::string::npos) return;
            sent = true;
            for (int signal : stop.signals)
                EXPECT_TRUE(vexo::test::SignalProgram(pid, signal));
        };
        const auto r = vexo::test::RunProgram({VEXO_ARCHIVE_TOOL, "extract",
                                               (temp_->Path() / archive).string(), "-o",
                                               out_.string(), "--restore", "overwrite"},
                                              options);
        EXPECT_TRUE(sent) << r.err;
        return r;
    }

    std::set<std::string> Names() const { return vexo::test::NamesIn(out_); }

    static inline vexo::test::TempDirectory* temp_ = nullptr;
    static inline const std::string kOld = "the previous file, which must stay whole\n";
    fs::path out_;
};

struct Moment {
    const char* pause;
    const char* archive;
};

const Moment kMoments[] = {
    {"output:1", "big.vxa"},     // the temporary file made, no block written yet
    {"block:1", "big.vxa"},      // after the first block
    {"block:160", "big.vxa"},    // half way
    {"block:320", "stored.vxa"}, // the last block of a stored file
    {"commit:1", "big.vxa"},     // written whole, about to replace the old file
};

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
const char* const kSignalNames[] = {"SIGINT", "SIGTERM", "SIGHUP"};

TEST_F(InterruptedExtract, EverySignalAtEveryMomentKeepsTheOldFileWhole) {
    for (std::size_t s = 0; s < std::size(kSignals); ++s) {
        for (const Moment& m : kMoments) {
            SCOPED_TRACE(std::string(kSignalNames[s]) + " at " + m.pause + " of " + m.archive);
            SetUp();
            const auto r = Extract(m.archive, {m.pause, {kSignals[s]}});
            ASSERT_TRUE(r.exited) << r.err;
            EXPECT_EQ(r.status, 128 + kSignals[s]) << r.err;
            EXPECT_NE(r.err.find(std::string("interrupted (") + kSignalNames[s] + ")"),
                      std::string::npos)
                << r.err;
            EXPECT_EQ(vexo::test::Slurp(out_ / "big.bin"), kOld);
            EXPECT_EQ(Names(), std::set<std::string>{"big.bin"});
        }
    }
}

// Further requests while the first is being handled change nothing: one status (the
// request taken first; the kernel picks among signals pending together), the old file whole,
// no temporary file.
TEST_F(InterruptedExtract, MoreSignalsWhileCleaningUpAreIgnored) {
    const auto r = Extract("big.vxa", {"block:100", {SIGINT, SIGTERM, SIGHUP}});
    ASSERT_TRUE(r.exited) << r.err;
    int taken = -1;
    for (std::size_t s = 0; s < std::size(kSignals); ++s)
        if (r.status == 128 + kSignals[s]) taken = static_cast<int>(s);
    ASSERT_GE(taken, 0) << r.status << r.err;
    EXPECT_NE(r.err.find(std::string("interrupted (") + kSignalNames[taken] + ")"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("interrupted", r.err.find("interrupted") + 1), std::string::npos) << r.err;
    EXPECT_EQ(vexo::test::Slurp(out_ / "big.bin"), kOld);
    EXPECT_EQ(Names(), std::set<std::string>{"big.bin"});
}

// Without a stop request the same run replaces the file: the old one stayed above because of
// the request alone.
TEST_F(InterruptedExtract, UninterruptedTheFileIsReplaced) {
    vexo::test::ProgramOptions options;
    options.environment = {{"VEXO_PREFIX", (temp_->Path() / "prefix").string()}};
    const auto r =
        vexo::test::RunProgram({VEXO_ARCHIVE_TOOL, "extract", (temp_->Path() / "big.vxa").string(),
                                "-o", out_.string(), "--restore", "overwrite"},
                               options);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(vexo::test::Slurp(out_ / "big.bin"), BigContent());
    EXPECT_EQ(Names(), std::set<std::string>{"big.bin"});
}

} // namespace
