// HostileDiskToolTest.cpp - vexo-archive against what is already on disk: folder links below
// the output folder, links in a file's place, archives that are pipes or devices.
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

class HostileDiskTool : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-hostile");
        dir_ = temp_->Path();
        fs::create_directories(dir_ / "outside");
        fs::create_directories(dir_ / "out");
    }

    vexo::test::ProgramResult Tool(Args args) {
        args.insert(args.begin(), VEXO_ARCHIVE_TOOL);
        vexo::test::ProgramOptions options;
        fs::create_directories(dir_ / "scratch");
        if (vexo::test::kWindowsHost) {
            options.environment.emplace_back("TMP", P(dir_ / "scratch"));
            options.environment.emplace_back("TEMP", P(dir_ / "scratch"));
        } else {
            options.environment.emplace_back("VEXO_PREFIX", P(dir_ / "scratch"));
        }
        return vexo::test::RunProgram(args, options);
    }

    void Write(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

    /// An archive of `names`, each holding its own name.
    std::string Package(const std::vector<std::string>& names) {
        for (const std::string& n : names)
            Write(dir_ / "src" / vexo::test::FsPath(n), n);
        const auto b = Tool({"build", "--out", P(dir_ / "p.vxa"), P(dir_ / "src")});
        EXPECT_EQ(b.status, 0) << b.err;
        return P(dir_ / "p.vxa");
    }

    /// A folder link; false where the host (or Wine) cannot make one.
    bool FolderLink(const fs::path& target, const fs::path& at) {
        std::error_code ec;
        fs::create_directory_symlink(target, at, ec);
        return !ec;
    }

    std::string P(const fs::path& p) { return vexo::test::Utf8Path(p); }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path dir_;
};

struct FolderLinkCase {
    const char* name;
    Args flags;
    bool refused;
};

const FolderLinkCase kFolderLinkCases[] = {
    {"RefusedByDefault", {}, true},
    {"RefusedWhenOtherEntriesContinue", {"--on-error", "continue"}, true},
    {"FollowedOnRequest", {"--follow-links"}, false},
};

class FolderLinks : public HostileDiskTool, public ::testing::WithParamInterface<FolderLinkCase> {};

TEST_P(FolderLinks, BelowTheOutputFolder) {
    const std::string arc = Package({"sub/a.txt", "top.txt"});
    if (!FolderLink(dir_ / "outside", dir_ / "out" / "sub"))
        GTEST_SKIP() << "no folder link can be made on this host";
    Args args{"extract", arc, "-o", P(dir_ / "out")};
    args.insert(args.end(), GetParam().flags.begin(), GetParam().flags.end());
    const auto r = Tool(args);
    EXPECT_EQ(fs::exists(dir_ / "outside" / "a.txt"), !GetParam().refused);
    // The other entries go on; the refused one is named with the link.
    EXPECT_TRUE(fs::exists(dir_ / "out" / "top.txt")) << r.err;
    if (GetParam().refused) {
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find("sub"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("enlace"), std::string::npos) << r.err;
    } else {
        EXPECT_EQ(r.status, 0) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Flags, FolderLinks, ::testing::ValuesIn(kFolderLinkCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(HostileDiskTool, UsageNamesTheFollowLinksFlag) {
    EXPECT_NE(Tool({}).err.find("[--follow-links]"), std::string::npos);
}

#ifndef _WIN32

TEST_F(HostileDiskTool, AFileLinkInTheWayIsReplacedItsTargetKept) {
    const std::string arc = Package({"a.txt"});
    Write(dir_ / "outside" / "t.txt", "secret");
    fs::permissions(dir_ / "outside" / "t.txt", fs::perms::owner_read | fs::perms::group_read);
    fs::create_symlink(dir_ / "outside" / "t.txt", dir_ / "out" / "a.txt");
    const auto r = Tool({"extract", arc, "-o", P(dir_ / "out"), "--restore", "overwrite"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::is_symlink(dir_ / "out" / "a.txt"));
    EXPECT_EQ(vexo::test::Slurp(dir_ / "out" / "a.txt"), "a.txt");
    EXPECT_EQ(vexo::test::Slurp(dir_ / "outside" / "t.txt"), "secret");
    EXPECT_EQ(fs::status(dir_ / "outside" / "t.txt").permissions(),
              fs::perms::owner_read | fs::perms::group_read);
}

// The archive is renamed over the link, as an extracted file is: the link is replaced itself.
TEST_F(HostileDiskTool, ABuiltArchiveDoesNotWriteThroughALinkInItsPlace) {
    Write(dir_ / "outside" / "t.txt", "secret");
    fs::create_symlink(dir_ / "outside" / "t.txt", dir_ / "p.vxa");
    Write(dir_ / "src" / "a.txt", "a");
    const auto b = Tool({"build", "--out", P(dir_ / "p.vxa"), P(dir_ / "src")});
    EXPECT_EQ(b.status, 0) << b.err;
    EXPECT_FALSE(fs::is_symlink(dir_ / "p.vxa"));
    EXPECT_EQ(vexo::test::Slurp(dir_ / "outside" / "t.txt"), "secret");
}

struct SpecialArchive {
    const char* name;
    const char* command;
};

class SpecialArchives : public HostileDiskTool,
                        public ::testing::WithParamInterface<SpecialArchive> {};

TEST_P(SpecialArchives, AreRefusedAtOnceAsFilesThatCannotBeOpened) {
    const fs::path fifo = dir_ / "arc.vxa";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    auto Run = [&](const std::string& file) {
        Args args{VEXO_ARCHIVE_TOOL, GetParam().command, file};
        if (std::string(GetParam().command) == "extract")
            args.insert(args.end(), {"-o", P(dir_ / "out")});
        vexo::test::ProgramOptions options;
        options.environment.emplace_back("VEXO_PREFIX", P(dir_ / "scratch"));
        // Under a time limit: an open that waits on the pipe would hang the test otherwise.
        options.limit = std::chrono::seconds(10);
        return vexo::test::RunProgram(args, options);
    };
    const std::string missing = P(dir_ / "missing.vxa");
    const auto unopened = Run(missing);
    ASSERT_EQ(unopened.status, 1);
    for (const std::string& file : {P(fifo), std::string("/dev/null"), std::string("/dev/zero")}) {
        SCOPED_TRACE(file);
        const auto start = std::chrono::steady_clock::now();
        const auto r = Run(file);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(r.status, 1);
        std::string expected = unopened.err;
        expected.replace(expected.find(missing), missing.size(), file);
        EXPECT_EQ(r.err, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, SpecialArchives,
                         ::testing::Values(SpecialArchive{"Info", "info"},
                                           SpecialArchive{"List", "list"},
                                           SpecialArchive{"Test", "test"},
                                           SpecialArchive{"Extract", "extract"}),
                         [](const auto& row) { return std::string(row.param.name); });

#endif // !_WIN32

} // namespace
