// BuilderLimitsTest.cpp - the package builder's numbers: each option read strictly and kept
// inside the format's limits, so every archive it writes opens with its own reader. Each limit
// at its edge builds and reads back; one past it is refused with a text naming the option.
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

class BuilderLimits : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-limits");
        dir_ = temp_->Path();
        Write("src/a", "x");
        Write("stub.bin", std::string(2000, 'M'));
    }

    vexo::test::ProgramResult Tool(Args args) {
        args.insert(args.begin(), VEXO_ARCHIVE_TOOL);
        vexo::test::ProgramOptions options;
        if (!vexo::test::kWindowsHost)
            options.environment.emplace_back("VEXO_PREFIX", P(dir_ / "prefix"));
        return vexo::test::RunProgram(args, options);
    }

    // Builds the one-byte file "a" with `extra` options, then lists and tests what was built.
    void ExpectBuildsAndReadsBack(const Args& extra, const std::string& out = "p.vxa",
                                  const std::string& source = "src") {
        Args args = {"build", "--out", P(dir_ / out)};
        args.insert(args.end(), extra.begin(), extra.end());
        if (!source.empty()) args.push_back(P(dir_ / source));
        auto b = Tool(args);
        ASSERT_EQ(b.status, 0) << b.err;
        auto l = Tool({"list", P(dir_ / out)});
        EXPECT_EQ(l.status, 0) << l.err;
        auto t = Tool({"test", P(dir_ / out)});
        EXPECT_EQ(t.status, 0) << t.out << t.err;
    }

    void Write(const std::string& rel, const std::string& bytes) {
        fs::path p = dir_ / vexo::test::FsPath(rel);
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

    static std::string P(const fs::path& p) { return vexo::test::Utf8Path(p); }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path dir_;
};

struct Refusal {
    const char* option;
    const char* value;
    const char* text; // what the error line says
};

// Numbers that once wrapped into range, trailing junk, and values just past each limit.
const Refusal kRefusals[] = {
    {"--block-size", "1023", "--block-size must be between 1024 and 67108864, not 1023"},
    {"--block-size", "67108865", "--block-size must be between 1024 and 67108864, not 67108865"},
    {"--block-size", "4294968320", "--block-size must be between 1024 and 67108864"},
    {"--block-size", "4096x", "--block-size needs an integer, not \"4096x\""},
    {"--block-size", " 4096", "--block-size needs an integer, not \" 4096\""},
    {"--block-size", "+4096", "--block-size needs an integer"},
    {"--block-size", "0x", "--block-size needs an integer"},
    {"--package-code", "2147483648", "--package-code must be between -2147483648 and 2147483647"},
    {"--package-code", "99999999999999999999", "--package-code must be between"},
    {"--package-code", "-9223372036854775809", "--package-code must be between"},
    {"--archive-id", "-2147483649", "--archive-id must be between -2147483648 and 2147483647"},
    {"--archive-id", "0x100000000", "--archive-id must be between"},
    {"--segment-size", "0", "--segment-size must be between 1 and 2147483647, not 0"},
    {"--segment-size", "2147483648", "--segment-size must be between 1 and 2147483647"},
    {"--segment-size", "380", "--segment-size must be at least 381"},
    {"--package-version", "1e3", "--package-version needs a decimal number, not \"1e3\""},
    {"--package-version", "nan", "--package-version needs a decimal number"},
    {"--package-version", "inf", "--package-version needs a decimal number"},
    {"--package-version", "1.0.0", "--package-version needs a decimal number"},
    {"--package-version", "", "--package-version needs a decimal number"},
    {"--package-version", "1000000000000000000000000000000000000000",
     "--package-version is too large for the package's 6-byte number"},
    {"--package-date", "2009-02-121", "--package-date needs YYYY-MM-DD, not \"2009-02-121\""},
    {"--package-date", "2009-2-12", "--package-date needs YYYY-MM-DD"},
    {"--package-date", "2009-02-30", "--package-date names no day of the calendar: 2009-02-30"},
    {"--package-date", "2009-13-01", "--package-date names no day of the calendar"},
    {"--package-date", "2028-01-01", "--package-date must lie between 1900-01-01 and 2027-12-31"},
    {"--package-date", "1899-12-31", "--package-date must lie between"},
};

TEST_F(BuilderLimits, RefusesEveryNumberOutsideItsLimitNamingTheOption) {
    for (const Refusal& r : kRefusals) {
        SCOPED_TRACE(std::string(r.option) + " " + r.value);
        auto b = Tool({"build", "--out", P(dir_ / "p.vxa"), r.option, r.value, P(dir_ / "src")});
        EXPECT_EQ(b.status, 2);
        EXPECT_NE(b.err.find(r.text), std::string::npos) << b.err;
        EXPECT_FALSE(fs::exists(dir_ / "p.vxa"));
    }
}

TEST_F(BuilderLimits, TagSizeBelowItsTextsIsRefused) {
    auto b = Tool({"build", "--out", P(dir_ / "P.EXE"), "--stub", P(dir_ / "stub.bin"),
                   "--tag-size", "23", P(dir_ / "src")});
    EXPECT_EQ(b.status, 2);
    EXPECT_NE(b.err.find("--tag-size must be 0 or at least 24"), std::string::npos) << b.err;
    auto negative = Tool({"build", "--out", P(dir_ / "P.EXE"), "--stub", P(dir_ / "stub.bin"),
                          "--tag-size", "-1", P(dir_ / "src")});
    EXPECT_EQ(negative.status, 2);
    EXPECT_NE(negative.err.find("--tag-size must be between 0 and"), std::string::npos);
}

struct Edge {
    const char* what;
    Args options;
};

TEST_F(BuilderLimits, EachLimitAtItsEdgeBuildsAndReadsBack) {
    const Edge edges[] = {
        {"smallest block", {"--block-size", "1024"}},
        {"largest block the reader opens", {"--block-size", "67108864"}},
        {"hexadecimal block size", {"--block-size", "0x400"}},
        {"largest package code", {"--package-code", "2147483647"}},
        {"smallest archive id", {"--archive-id", "-2147483648"}},
        {"last package date", {"--package-date", "2027-12-31"}},
        {"leap day", {"--package-date", "2024-02-29"}},
        {"first package date", {"--package-date", "1900-01-01"}},
        {"package version", {"--package-version", "10.05"}},
    };
    for (const Edge& e : edges) {
        SCOPED_TRACE(e.what);
        ExpectBuildsAndReadsBack(e.options);
    }
}

TEST_F(BuilderLimits, SmallestSegmentHoldsAHeaderAnEntryAndABlock) {
    // 325 header bytes, 46 + 1 of the record of "a", 8 + 1 of its stored block.
    ExpectBuildsAndReadsBack({"--segment-size", "381", "--store"});
}

TEST_F(BuilderLimits, ShortestTagBlockBuildsAndReadsBack) {
    ExpectBuildsAndReadsBack({"--stub", P(dir_ / "stub.bin"), "--tag-size", "24"}, "P.EXE");
}

TEST_F(BuilderLimits, StoredNamesKeepToWhatAHostCanCreate) {
    const std::string part255(255, 'n');
    Write("MANIFEST", "R " + part255 + " => src/a\n");
    ExpectBuildsAndReadsBack({"--manifest", P(dir_ / "MANIFEST")}, "p.vxa", "");

    Write("LONG", "R " + part255 + "n => src/a\n");
    auto b = Tool({"build", "--out", P(dir_ / "q.vxa"), "--manifest", P(dir_ / "LONG")});
    EXPECT_EQ(b.status, 1);
    EXPECT_NE(b.err.find("Stored name with a part of 256 bytes, over the 255 of a file name"),
              std::string::npos)
        << b.err;

    std::string deep;
    for (int i = 0; i < 2048; ++i)
        deep += "d\\";
    Write("DEEP", "R " + deep + "a => src/a\n");
    auto d = Tool({"build", "--out", P(dir_ / "r.vxa"), "--manifest", P(dir_ / "DEEP")});
    EXPECT_EQ(d.status, 1);
    EXPECT_NE(d.err.find("Stored name of 4097 bytes, over the 4095 a host path can hold"),
              std::string::npos)
        << d.err;
}

} // namespace
