// InterruptedBuildTest.cpp - vexo-archive build stopped by SIGINT, SIGTERM and SIGHUP at known
// moments: the previous archive stays whole and no temporary file is left beside it.
#include "common/LargeFile.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

constexpr std::size_t kBigSize = 8u << 20; // 128 blocks of 64 KiB

class InterruptedBuild : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = new vexo::test::TempDirectory("vexo-interrupt-build");
        fs::create_directories(temp_->Path() / "src");
        vexo::test::WriteVariedText(temp_->Path() / "src" / "big.bin", kBigSize);
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }

    // A fresh output folder holding the previous archive (or set) under `names`.
    void Prepare(const std::vector<std::string>& names) {
        static int run = 0;
        out_ = temp_->Path() / ("out" + std::to_string(++run));
        fs::create_directories(out_);
        for (const std::string& name : names)
            std::ofstream(out_ / name, std::ios::binary) << kOld << name;
    }

    vexo::test::ProgramResult Build(const Args& extra, const char* pause, int signal) {
        vexo::test::ProgramOptions options;
        options.environment = {{"VEXO_TEST_PAUSE", pause}};
        bool sent = false;
        options.onError = [&](const std::string& err, long pid) {
            if (sent || err.find("vexo-test: paused at ") == std::string::npos) return;
            sent = true;
            EXPECT_TRUE(vexo::test::SignalProgram(pid, signal));
        };
        Args args = {VEXO_ARCHIVE_TOOL, "build", "--out", (out_ / "p.vxa").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back((temp_->Path() / "src").string());
        const auto r = vexo::test::RunProgram(args, options);
        EXPECT_TRUE(sent) << r.err;
        return r;
    }

    std::set<std::string> Names() const { return vexo::test::NamesIn(out_); }

    static inline vexo::test::TempDirectory* temp_ = nullptr;
    static inline const std::string kOld = "the previous archive, which must stay whole: ";
    fs::path out_;
};

struct Moment {
    const char* what;
    const char* pause;
    Args extra;
};

const Moment kMoments[] = {
    {"the first block", "build-block:1", {}},
    {"half way", "build-block:64", {}},
    {"written whole, about to replace", "build-commit:1", {}},
    {"half way through the inner archive", "build-block:64", {"--solid"}},
    {"half way through the segments", "build-block:64", {"--segment-size", "2000000"}},
};

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
const char* const kSignalNames[] = {"SIGINT", "SIGTERM", "SIGHUP"};

TEST_F(InterruptedBuild, EverySignalAtEveryMomentKeepsThePreviousArchiveWhole) {
    const std::vector<std::string> previous = {"p.vxa", "p.001", "p.002"};
    for (std::size_t s = 0; s < std::size(kSignals); ++s) {
        for (const Moment& m : kMoments) {
            SCOPED_TRACE(std::string(kSignalNames[s]) + " at " + m.what);
            Prepare(previous);
            const auto r = Build(m.extra, m.pause, kSignals[s]);
            ASSERT_TRUE(r.exited) << r.err;
            EXPECT_EQ(r.status, 128 + kSignals[s]) << r.err;
            EXPECT_NE(r.err.find(std::string("interrupted (") + kSignalNames[s] + ")"),
                      std::string::npos)
                << r.err;
            for (const std::string& name : previous)
                EXPECT_EQ(vexo::test::Slurp(out_ / name), kOld + name);
            EXPECT_EQ(Names(), std::set<std::string>(previous.begin(), previous.end()));
        }
    }
}

// Without a stop request the same build replaces the archive.
TEST_F(InterruptedBuild, UninterruptedTheArchiveIsReplaced) {
    Prepare({"p.vxa"});
    const auto r =
        vexo::test::RunProgram({VEXO_ARCHIVE_TOOL, "build", "--out", (out_ / "p.vxa").string(),
                                (temp_->Path() / "src").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(vexo::test::Slurp(out_ / "p.vxa"), kOld + "p.vxa");
    EXPECT_EQ(Names(), std::set<std::string>{"p.vxa"});
}

} // namespace
