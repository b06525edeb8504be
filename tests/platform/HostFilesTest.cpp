// HostFilesTest.cpp - host files and host paths as the tools use them: opening and creating,
// the facts of a file, the tree listing's order and what it leaves out, whole-file reads.
#include "platform/HostFiles.h"
#include "common/HostEnv.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/ScopedTestPrefix.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <system_error>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vexo::platform;
namespace fs = std::filesystem;

namespace {

using vexo::test::kWindowsHost;

// Pipes and links are the POSIX host's; Windows tests list plain files and folders.
void MakePipe([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
#endif
}

void Write(const std::string& path, std::string_view text) {
    OpenHostFile(path, HostFileMode::Create)->WriteBuffer(text.data(), text.size());
}

std::string Read(const std::string& path) {
    auto s = OpenHostFile(path, HostFileMode::Read);
    std::string text(static_cast<std::size_t>(s->Size()), '\0');
    s->ReadBuffer(text.data(), text.size());
    return text;
}

struct OpenFailureCase {
    const char* what;
    const char* path; // below the scratch folder
    HostFileMode mode;
    int code;
};

class HostFileOpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(HostFileOpenFailure, RaisesTheSystemsError) {
    const OpenFailureCase& c = GetParam();
    ScopedTestPrefix scratch;
    Write(scratch.Host("file"), "x");
    try {
        OpenHostFile(scratch.Host(c.path), c.mode);
        FAIL() << "opened " << c.path;
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Code(), c.code);
        EXPECT_EQ(std::string(e.what()), SystemErrorMessage(c.code));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostFileOpenFailure,
    ::testing::Values(
        OpenFailureCase{"MissingFile", "missing", HostFileMode::Read, kErrorFileNotFound},
        OpenFailureCase{"MissingFolder", "nowhere/file", HostFileMode::Read, kErrorPathNotFound},
        OpenFailureCase{"CreateInMissingFolder", "nowhere/file", HostFileMode::Create,
                        kErrorPathNotFound},
        OpenFailureCase{"CreateOverFolder", "drive_c", HostFileMode::Create, kErrorAccessDenied},
        OpenFailureCase{"FileAsFolder", "file/below", HostFileMode::Read, kErrorPathNotFound}),
    [](const auto& row) { return std::string(row.param.what); });

TEST(HostFile, CreateMakesANewFileAndEmptiesAnOldOne) {
    ScopedTestPrefix scratch;
    const std::string path = scratch.Host("made.bin");
    {
        auto s = OpenHostFile(path, HostFileMode::Create);
        EXPECT_EQ(s->Size(), 0);
        s->WriteBuffer("abcdef", 6);
        s->SetPosition(2);
        char two[2];
        s->ReadBuffer(two, 2); // read back through the same stream
        EXPECT_EQ(std::string(two, 2), "cd");
    }
    EXPECT_EQ(Read(path), "abcdef");
    EXPECT_EQ(OpenHostFile(path, HostFileMode::Create)->Size(), 0);
    EXPECT_EQ(Read(path), "");
}

TEST(HostFile, ReadingDoesNotWrite) {
    ScopedTestPrefix scratch;
    const std::string path = scratch.Host("kept.bin");
    Write(path, "kept");
    auto s = OpenHostFile(path, HostFileMode::Read);
    EXPECT_EQ(s->Write("xx", 2), 0u);
    EXPECT_THROW(s->Truncate(), PlatformError);
    EXPECT_THROW(s->WriteBuffer("xx", 2), EWriteError);
    EXPECT_EQ(Read(path), "kept");
}

TEST(HostFile, InjectedFaultsLeaveHostFilesAlone) {
    ScopedTestPrefix scratch;
    ScopedFaults faults;
    InjectFault(FaultKind::Write, {1, true});
    InjectFault(FaultKind::DiskFull, {1, true});
    Write(scratch.Host("free.bin"), "written");
    EXPECT_EQ(Read(scratch.Host("free.bin")), "written");
    EXPECT_EQ(FaultCallCount(FaultKind::Write), 0);
}

// Sets the last-write time of `path` to a local time.
void Touch(const std::string& path, const HostTime& t) {
    vexo::test::SetHostLastWrite(path, t);
}

struct FactsCase {
    const char* what;
    const char* path;
    HostFileType type;
    bool readOnly;
    bool posixOnly = false; // pipes and links
};

class HostFileFactsTest : public ::testing::TestWithParam<FactsCase> {};

TEST_P(HostFileFactsTest, TellsTypeDateAndReadOnly) {
    const FactsCase& c = GetParam();
    if (kWindowsHost && c.posixOnly) GTEST_SKIP() << "pipes and links are the POSIX host's";
    ScopedTestPrefix scratch;
    fs::create_directories(scratch.Host("dir"));
    Write(scratch.Host("file"), "x");
    Write(scratch.Host("locked"), "x");
    fs::permissions(scratch.Host("locked"), fs::perms::owner_write | fs::perms::group_write,
                    fs::perm_options::remove);
    const HostTime stamp{2009, 7, 14, 13, 45, 30};
    for (const char* name : {"dir", "file", "locked"})
        Touch(scratch.Host(name), stamp);
    if (!kWindowsHost) {
        MakePipe(scratch.Host("pipe"));
        Touch(scratch.Host("pipe"), stamp);
        fs::create_symlink("file", scratch.Host("link"));
        fs::create_symlink("missing", scratch.Host("dangling"));
    }

    const HostFileFacts facts = GetHostFileFacts(scratch.Host(c.path));
    EXPECT_EQ(facts.type, c.type);
    EXPECT_EQ(facts.readOnly, c.readOnly);
    if (c.type == HostFileType::Missing) return;
    const HostTime& t = facts.lastWrite;
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::vector<int>{2009, 7, 14, 13, 45, 30}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostFileFactsTest,
    ::testing::Values(FactsCase{"Directory", "dir", HostFileType::Directory, false},
                      FactsCase{"File", "file", HostFileType::Regular, false},
                      FactsCase{"ReadOnlyFile", "locked", HostFileType::Regular, true},
                      FactsCase{"Pipe", "pipe", HostFileType::Other, false, true},
                      FactsCase{"LinkFollowed", "link", HostFileType::Regular, false, true},
                      FactsCase{"DanglingLink", "dangling", HostFileType::Missing, false, true},
                      FactsCase{"Missing", "missing", HostFileType::Missing, false},
                      FactsCase{"BelowAFile", "file/x", HostFileType::Missing, false}),
    [](const auto& row) { return std::string(row.param.what); });

// "path below the root -> relative", a trailing '/' for an empty folder; '/' between names.
std::vector<std::string> Describe(const std::vector<HostTreeEntry>& entries,
                                  const std::string& root) {
    const char separator = kWindowsHost ? '\\' : '/';
    std::vector<std::string> out;
    for (const auto& e : entries) {
        EXPECT_EQ(e.path.rfind(root + separator, 0), 0u) << e.path;
        std::string below = e.path.substr(root.size() + 1);
        std::replace(below.begin(), below.end(), separator, '/');
        out.push_back(below + " -> " + e.relative + (e.directory ? "/" : ""));
    }
    return out;
}

TEST(HostTree, ListsFilesAndEmptyFoldersInNameOrder) {
    ScopedTestPrefix scratch;
    const std::string root = scratch.Host("tree");
    for (const char* dir : {"a/b", "a-c", "empty", "full/inner/deeper", "z"})
        fs::create_directories(root + "/" + dir);
    for (const char* file : {"a/b/f.txt", "a-c/g", "a.txt", "full/x", "z/A", "z/a", "B"})
        Write(root + "/" + file, "x");
    if (kWindowsHost) {
        // Compared name by name: "a/b/f.txt" before "a-c" although '/' sorts after '-'. "z/a"
        // is "z/A" again on this host.
        EXPECT_EQ(Describe(ListHostTree(root), root),
                  (std::vector<std::string>{"B -> B", "a/b/f.txt -> a/b/f.txt", "a-c/g -> a-c/g",
                                            "a.txt -> a.txt", "empty -> empty/",
                                            "full/inner/deeper -> full/inner/deeper/",
                                            "full/x -> full/x", "z/A -> z/A"}));
        return;
    }
    MakePipe(root + "/pipe");
    fs::create_symlink("a.txt", root + "/to-file");
    fs::create_symlink("missing", root + "/dangling");
    fs::create_symlink("empty", root + "/to-empty");
    fs::create_symlink("a", root + "/to-full"); // not entered, and not empty

    // Compared name by name: "a/b/f.txt" before "a-c" although '/' sorts after '-'. A link
    // is taken from the root to what it points to.
    EXPECT_EQ(Describe(ListHostTree(root), root),
              (std::vector<std::string>{
                  "B -> B", "a/b/f.txt -> a/b/f.txt", "a-c/g -> a-c/g", "a.txt -> a.txt",
                  "empty -> empty/", "full/inner/deeper -> full/inner/deeper/", "full/x -> full/x",
                  "to-empty -> empty/", "to-file -> a.txt", "z/A -> z/A", "z/a -> z/a"}));
}

TEST(HostTree, ARootWithATrailingSeparatorKeepsItInThePaths) {
    ScopedTestPrefix scratch;
    fs::create_directories(scratch.Host("tree"));
    Write(scratch.Host("tree/f"), "x");
    const auto entries = ListHostTree(scratch.Host("tree/"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, scratch.Host("tree/f"));
    EXPECT_EQ(entries[0].relative, "f");
}

TEST(HostTree, AMissingRootRaises) {
    ScopedTestPrefix scratch;
    EXPECT_THROW(ListHostTree(scratch.Host("missing")), std::system_error);
}

TEST(HostFileText, ReadsEveryByte) {
    ScopedTestPrefix scratch;
    const std::string text("line\r\n\0binary\xE9\n", 15);
    Write(scratch.Host("text"), text);
    EXPECT_EQ(ReadHostFile(scratch.Host("text")), text);
    EXPECT_EQ(ReadHostFile(scratch.Host("missing")), std::nullopt);
    // A folder opens on a POSIX host and reads as nothing; Windows does not open it.
    if (kWindowsHost)
        EXPECT_EQ(ReadHostFile(scratch.Root()), std::nullopt);
    else
        EXPECT_EQ(ReadHostFile(scratch.Root()), std::string());
}

TEST(HostFolders, CreateAndRemove) {
    ScopedTestPrefix scratch;
    const std::string deep = scratch.Host("one/two/three");
    CreateHostDirectories(deep);
    EXPECT_EQ(GetHostFileFacts(deep).type, HostFileType::Directory);
    CreateHostDirectories(deep); // already there
    Write(scratch.Host("file"), "x");
    EXPECT_THROW(CreateHostDirectories(scratch.Host("file/below")), std::system_error);

    EXPECT_FALSE(RemoveHostFile(scratch.Host("one")));
    EXPECT_TRUE(RemoveHostFile(deep));
    EXPECT_TRUE(RemoveHostFile(scratch.Host("file")));
    EXPECT_FALSE(RemoveHostFile(scratch.Host("file")));
    EXPECT_EQ(GetHostFileFacts(scratch.Host("file")).type, HostFileType::Missing);
}

// What the tool's manifest sources, its solid entry's name and the program's name rest on.
TEST(HostPath, NamesAndNeighbours) {
    EXPECT_EQ(HostPathBeside("list.txt", "a.txt"), "a.txt");
    EXPECT_EQ(HostFileName("/srv/pkg/ZPX16.EXE"), "ZPX16.EXE");
    EXPECT_EQ(HostFileName("instalar"), "instalar");
    EXPECT_EQ(HostFileName("out/"), "");
    if (kWindowsHost) {
        // Both separators separate; a path is joined with the host's own.
        EXPECT_EQ(HostPathBeside("pkg/list.txt", "sub/a.txt"), "pkg\\sub\\a.txt");
        EXPECT_EQ(HostPathBeside("pkg\\list.txt", "C:\\srv\\a"), "C:\\srv\\a");
        EXPECT_EQ(HostFileName("a/b\\c"), "c");
        EXPECT_EQ(HostFileName("C:\\srv\\ZPX16.EXE"), "ZPX16.EXE");
    } else {
        EXPECT_EQ(HostPathBeside("pkg/list.txt", "sub/a.txt"), "pkg/sub/a.txt");
        EXPECT_EQ(HostPathBeside("pkg/list.txt", "/srv/a"), "/srv/a");
        EXPECT_EQ(HostFileName("a/b\\c"), "b\\c"); // no separator on this host
    }
}

} // namespace
