// BuildOutputToolTest.cpp - vexo-archive build writes its outputs beside their names and puts
// them in place only when complete: a failed build keeps the previous archive whole.
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

const std::string kOld = "the previous archive, which must stay whole";

class BuildOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-build-output");
        dir_ = temp_->Path();
        fs::create_directories(dir_ / "src");
        fs::create_directories(dir_ / "out");
        std::ofstream(dir_ / "src" / "a.txt", std::ios::binary) << std::string(5000, 'a');
        std::ofstream(dir_ / "src" / "b.txt", std::ios::binary) << std::string(9000, 'b');
    }

    vexo::test::ProgramResult Build(Args args) {
        args.insert(args.begin(), {VEXO_ARCHIVE_TOOL, "build"});
        args.push_back(P(dir_ / "src"));
        return vexo::test::RunProgram(args);
    }
    // The names in the output folder.
    std::set<std::string> Names() const { return vexo::test::NamesIn(dir_ / "out"); }
    static std::string P(const fs::path& p) { return vexo::test::Utf8Path(p); }
    fs::path Out(const char* name) const { return dir_ / "out" / name; }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path dir_;
};

struct FailingBuild {
    const char* what;
    Args args; // besides --out and the source
    void (*arrange)(const fs::path& previous);
};

const FailingBuild kFailingBuilds[] = {
    // The program image is read after the output is made.
    {"a missing stub", {"--stub", "no-such-stub.bin"}, nullptr},
    {"a missing stub, solid", {"--solid", "--stub", "no-such-stub.bin"}, nullptr},
    // Refused at the rename, as Windows refuses to replace it.
    {"a read-only previous archive",
     {},
     [](const fs::path& previous) {
         fs::permissions(previous,
                         fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
     }},
};

TEST_F(BuildOutput, AFailedBuildKeepsThePreviousArchiveAndLeavesNoTemporaryFile) {
    for (const FailingBuild& f : kFailingBuilds) {
        SCOPED_TRACE(f.what);
        const fs::path previous = Out("p.exe");
        if (fs::exists(previous))
            fs::permissions(previous, fs::perms::owner_write, fs::perm_options::add);
        std::ofstream(previous, std::ios::binary) << kOld;
        if (f.arrange) f.arrange(previous);
        Args args = {"--out", P(previous)};
        args.insert(args.end(), f.args.begin(), f.args.end());
        const auto r = Build(args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("No puedo"), std::string::npos) << r.err;
        EXPECT_EQ(vexo::test::Slurp(previous), kOld);
        EXPECT_EQ(Names(), std::set<std::string>{"p.exe"});
    }
}

TEST_F(BuildOutput, ASuccessfulBuildReplacesTheArchiveAndSweepsLeftovers) {
    std::ofstream(Out("p.vxa"), std::ios::binary) << kOld;
    // Left by a killed run: no process holds it any more.
    std::ofstream(Out("~vx0dead.tmp"), std::ios::binary) << "leftover";
    for (const Args& extra : {Args{}, Args{"--solid"}}) {
        const auto r = Build([&] {
            Args a = {"--out", P(Out("p.vxa"))};
            a.insert(a.end(), extra.begin(), extra.end());
            return a;
        }());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(vexo::test::Slurp(Out("p.vxa")), kOld);
        EXPECT_EQ(Names(), std::set<std::string>{"p.vxa"});
        const auto list = vexo::test::RunProgram({VEXO_ARCHIVE_TOOL, "list", P(Out("p.vxa"))});
        EXPECT_EQ(list.status, 0) << list.err;
    }
}

#ifndef _WIN32
// A link planted at an output's name is replaced by the output; its target is not written.
TEST_F(BuildOutput, ALinkAtAnOutputNameIsReplacedItsTargetUntouched) {
    struct Row {
        const char* what;
        const char* out;    // given to --out
        const char* linked; // the name the link stands at
        Args extra;
    } rows[] = {
        {"single archive", "p.vxa", "p.vxa", {}},
        {"self-extracting file", "p.exe", "p.exe", {"--stub", "STUB"}},
        {"first segment", "s.vxa", "s.vxa", {"--segment-size", "6000", "--block-size", "1024"}},
    };
    std::ofstream(dir_ / "stub.bin", std::ios::binary) << std::string(3000, 'M');
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path target = dir_ / (std::string("target-") + row.linked);
        std::ofstream(target, std::ios::binary) << kOld;
        fs::create_symlink(target, Out(row.linked));
        Args args = {"--out", P(Out(row.out))};
        for (const std::string& a : row.extra)
            args.push_back(a == "STUB" ? P(dir_ / "stub.bin") : a);
        const auto r = Build(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(fs::is_symlink(Out(row.linked)));
        EXPECT_TRUE(fs::is_regular_file(Out(row.linked)));
        EXPECT_EQ(vexo::test::Slurp(target), kOld);
    }
    for (const std::string& name : Names())
        EXPECT_EQ(name.rfind("~vx", 0), std::string::npos) << name;
}

// Names are found without regard to case on the way to the file: on Linux a.vxa would reach
// A.VXA, another file, which is kept.
TEST_F(BuildOutput, ANameThatReachesAnotherFileByCaseIsRefused) {
    std::ofstream(Out("A.VXA"), std::ios::binary) << kOld;
    const auto r = Build({"--out", P(Out("a.vxa"))});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("differs only in case"), std::string::npos) << r.err;
    EXPECT_EQ(vexo::test::Slurp(Out("A.VXA")), kOld);
    EXPECT_EQ(Names(), std::set<std::string>{"A.VXA"});
}
#endif

} // namespace
