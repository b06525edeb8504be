// LookupCacheTest.cpp - a run's remembered listings agree with the disk at every step.
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Shell.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

using namespace vexo::platform;
namespace fs = std::filesystem;

namespace {

void Touch(const std::string& windowsPath) {
    OpenFile(windowsPath, OpenMode::Create)->WriteBuffer("x", 1);
}

// Every question a run asks about a name, as a line: the same answers with and without a
// scope are what the memory must keep.
std::string Answers(const std::string& path) {
    std::string line = FileExists(path) ? "file " : "- ";
    line += DirectoryExists(path) ? "dir " : "- ";
    line += GetFileAttributes(path) == kInvalidAttributes ? "noattr " : "attr ";
    line += GetFileAge(path) == -1 ? "noage " : "age ";
    line += std::to_string(LastError());
    return line;
}

struct Step {
    const char* what;
    std::function<void(ScopedTestPrefix&)> act; // changes made through this layer
    std::vector<const char*> names;             // names asked about after the change
};

class LookupCacheSteps : public ::testing::TestWithParam<Step> {};

TEST_P(LookupCacheSteps, AnswerAsTheDiskDoes) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    ASSERT_TRUE(CreateDirectory("C:\\Run\\Sub"));
    Touch("C:\\Run\\Old.txt");
    const Step& step = GetParam();
    std::vector<std::string> inScope;
    {
        LookupCacheScope lookups;
        // Warm the memory first: every directory on the way is listed before the change.
        for (const char* name : step.names)
            (void)Answers(name);
        step.act(prefix);
        for (const char* name : step.names)
            inScope.push_back(Answers(name));
    }
    for (std::size_t i = 0; i < step.names.size(); ++i)
        EXPECT_EQ(inScope[i], Answers(step.names[i])) << step.names[i];
}

INSTANTIATE_TEST_SUITE_P(
    Changes, LookupCacheSteps,
    ::testing::Values(Step{"CreateFile",
                           [](ScopedTestPrefix&) { Touch("C:\\Run\\New.txt"); },
                           {"C:\\Run\\New.txt", "C:\\RUN\\new.TXT", "C:\\Run\\New.txt\\x"}},
                      Step{"CreateFileInNewDirectory",
                           [](ScopedTestPrefix&) {
                               ASSERT_TRUE(CreateDirectory("C:\\Run\\Nueva"));
                               Touch("C:\\run\\NUEVA\\a.bin");
                           },
                           {"C:\\Run\\Nueva", "C:\\Run\\Nueva\\A.BIN", "C:\\Run\\Nueva\\b.bin"}},
                      Step{"DeleteFile",
                           [](ScopedTestPrefix&) { ASSERT_TRUE(DeleteFile("C:\\RUN\\OLD.TXT")); },
                           {"C:\\Run\\Old.txt", "C:\\Run"}},
                      Step{"Rename",
                           [](ScopedTestPrefix&) {
                               ASSERT_TRUE(
                                   RenameFile("C:\\Run\\Old.txt", "C:\\Run\\Sub\\Moved.txt"));
                           },
                           {"C:\\Run\\Old.txt", "C:\\Run\\Sub\\moved.txt"}},
                      Step{"RenameInOneDirectory",
                           [](ScopedTestPrefix&) {
                               ASSERT_TRUE(RenameFile("C:\\Run\\Old.txt", "C:\\Run\\Nuevo.txt"));
                           },
                           {"C:\\Run\\Old.txt", "C:\\Run\\NUEVO.txt", "C:\\Run\\Sub"}},
                      Step{"RenameReplacing",
                           [](ScopedTestPrefix&) {
                               Touch("C:\\Run\\tmp.tmp");
                               ASSERT_TRUE(
                                   RenameFileReplacing("C:\\Run\\tmp.tmp", "C:\\Run\\old.TXT"));
                           },
                           {"C:\\Run\\tmp.tmp", "C:\\Run\\Old.txt"}},
                      Step{"RenameDirectory",
                           [](ScopedTestPrefix&) {
                               Touch("C:\\Run\\Sub\\in.txt");
                               ASSERT_TRUE(RenameFile("C:\\Run\\Sub", "C:\\Run\\Otra"));
                           },
                           {"C:\\Run\\Sub\\in.txt", "C:\\Run\\Otra\\IN.txt", "C:\\Run\\Sub"}},
                      Step{"RemoveDirectory",
                           [](ScopedTestPrefix&) {
                               ASSERT_TRUE(RemoveDirectory("C:\\Run\\Sub"));
                               ASSERT_TRUE(CreateDirectory("C:\\Run\\SUB"));
                           },
                           {"C:\\Run\\Sub", "C:\\Run\\sub\\x.txt"}},
                      Step{"CreateOverExisting",
                           [](ScopedTestPrefix&) { Touch("C:\\Run\\OLD.txt"); },
                           {"C:\\Run\\Old.txt", "C:\\Run\\OLD.txt"}}),
    [](const auto& row) { return std::string(row.param.what); });

TEST(LookupCache, ResolvesToTheSpellingOnDisk) {
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("drive_c/Datos/Caja"));
    std::ofstream(prefix.Host("drive_c/Datos/Caja/Libro.DAT")) << "12";
    LookupCacheScope lookups;
    for (const char* name : {"C:\\datos\\caja\\libro.dat", "C:\\DATOS\\CAJA\\LIBRO.DAT"}) {
        auto host = HostPath(name);
        ASSERT_TRUE(host);
        EXPECT_EQ(*host, fs::canonical(prefix.Host("drive_c")).string() + "/Datos/Caja/Libro.DAT");
        EXPECT_TRUE(FileExists(name));
    }
}

TEST(LookupCache, ChangesByOthersShowAtOnceAndAfterForgetting) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    LookupCacheScope outer;
    EXPECT_FALSE(FileExists("C:\\Run\\later.txt"));
    std::ofstream(prefix.Host("drive_c/Run/later.txt")) << "1"; // behind this layer's back
    {
        LookupCacheScope inner; // nested: the outer memory stays, and is checked
        EXPECT_TRUE(FileExists("C:\\Run\\later.txt"));
    }
    ForgetLookups();
    EXPECT_TRUE(FileExists("C:\\Run\\later.txt"));
}

// Another program (an event handler's host calls, a user) changes the disk while the memory
// is warm: every answer a decision rests on is the disk's. Each row warms the memory with its
// names, changes the disk behind this layer's back, and asks again.
struct OtherChange {
    const char* what;
    std::function<void(ScopedTestPrefix&)> act; // host calls only
    std::vector<const char*> names;
};

class LookupCacheOthers : public ::testing::TestWithParam<OtherChange> {};

TEST_P(LookupCacheOthers, AnswerAsTheDiskDoes) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    ASSERT_TRUE(CreateDirectory("C:\\Run\\Sub"));
    Touch("C:\\Run\\Old.txt");
    Touch("C:\\Run\\Sub\\in.txt");
    const OtherChange& row = GetParam();
    std::vector<std::string> before, inScope;
    {
        LookupCacheScope lookups;
        for (const char* name : row.names)
            before.push_back(Answers(name));
        row.act(prefix);
        for (const char* name : row.names)
            inScope.push_back(Answers(name));
    }
    for (std::size_t i = 0; i < row.names.size(); ++i)
        EXPECT_EQ(inScope[i], Answers(row.names[i])) << row.names[i];
    // The change is one the first name can tell: otherwise the row proves nothing.
    EXPECT_NE(before.front(), inScope.front()) << row.names.front();
}

void HostFile(const std::string& host) {
    std::ofstream(host) << "other";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, LookupCacheOthers,
    ::testing::Values(
        OtherChange{"FileAppears",
                    [](ScopedTestPrefix& p) { HostFile(p.Host("drive_c/Run/New.txt")); },
                    {"C:\\Run\\New.txt", "C:\\Run\\new.TXT", "C:\\Run\\Old.txt"}},
        OtherChange{"FileAppearsInOtherCase",
                    [](ScopedTestPrefix& p) { HostFile(p.Host("drive_c/Run/NEW.TXT")); },
                    {"C:\\Run\\New.txt", "C:\\Run\\NEW.TXT"}},
        OtherChange{"FolderAppears",
                    [](ScopedTestPrefix& p) { fs::create_directory(p.Host("drive_c/Run/Nueva")); },
                    {"C:\\Run\\Nueva", "C:\\Run\\Nueva\\a.txt"}},
        OtherChange{"FolderAndFileAppear",
                    [](ScopedTestPrefix& p) {
                        fs::create_directories(p.Host("drive_c/Run/DEEP/er"));
                        HostFile(p.Host("drive_c/Run/DEEP/er/f.txt"));
                    },
                    {"C:\\Run\\deep\\er\\F.TXT", "C:\\Run\\Deep\\Er", "C:\\Run\\Deep"}},
        OtherChange{"FileDisappears",
                    [](ScopedTestPrefix& p) { fs::remove(p.Host("drive_c/Run/Old.txt")); },
                    {"C:\\Run\\Old.txt", "C:\\Run\\OLD.TXT"}},
        OtherChange{"FolderDisappears",
                    [](ScopedTestPrefix& p) { fs::remove_all(p.Host("drive_c/Run/Sub")); },
                    {"C:\\Run\\Sub", "C:\\Run\\Sub\\in.txt"}},
        OtherChange{"FileBecomesFolder",
                    [](ScopedTestPrefix& p) {
                        fs::remove(p.Host("drive_c/Run/Old.txt"));
                        fs::create_directory(p.Host("drive_c/Run/Old.txt"));
                    },
                    {"C:\\Run\\Old.txt"}},
        OtherChange{"FileRenamedToOtherCase",
                    [](ScopedTestPrefix& p) {
                        fs::rename(p.Host("drive_c/Run/Old.txt"), p.Host("drive_c/Run/old.TXT"));
                        HostFile(p.Host("drive_c/Run/Sub/Old.txt"));
                    },
                    {"C:\\Run\\Sub\\Old.txt", "C:\\Run\\OLD.txt"}}),
    [](const auto& row) { return std::string(row.param.what); });

// Creating a folder another program has just made: the existing one is found, in whatever
// case it was spelt, and no second folder differing in case only appears beside it.
TEST(LookupCache, CreatingAFolderOthersMadeMeetsIt) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    LookupCacheScope lookups;
    EXPECT_FALSE(DirectoryExists("C:\\Run\\Datos"));
    fs::create_directory(prefix.Host("drive_c/Run/DATOS"));
    EXPECT_FALSE(CreateDirectory("C:\\Run\\Datos"));
    EXPECT_EQ(LastError(), kErrorAlreadyExists);
    EXPECT_TRUE(DirectoryExists("C:\\Run\\Datos"));
    Touch("C:\\Run\\Datos\\f.txt");
    EXPECT_TRUE(fs::exists(prefix.Host("drive_c/Run/DATOS/f.txt")));
    EXPECT_EQ(
        std::distance(fs::directory_iterator(prefix.Host("drive_c/Run")), fs::directory_iterator()),
        1);
}

// A missing name opened for reading after another program made it: found, not refused.
TEST(LookupCache, OpeningANameOthersMadeFindsIt) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    LookupCacheScope lookups;
    EXPECT_EQ(GetFileAttributes("C:\\Run\\dato.bin"), kInvalidAttributes);
    HostFile(prefix.Host("drive_c/Run/Dato.bin"));
    auto stream = OpenFile("C:\\Run\\dato.bin", OpenMode::Read);
    EXPECT_EQ(stream->Size(), 5);
}

TEST(LookupCache, ShellFoldersMadeOnDemandAreSeen) {
    ScopedTestPrefix prefix;
    LookupCacheScope lookups;
    const std::string link =
        "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\a.lnk";
    EXPECT_FALSE(FileExists(link)); // Roaming is not there yet: remembered as missing
    const std::string folder = SpecialFolderPath(CSIDL_PROGRAMS);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(DirectoryExists(folder));
    Touch(folder + "\\a.lnk");
    EXPECT_TRUE(FileExists(link));
}

TEST(LookupCache, ADirectoryReachedByTwoPathsIsOneListing) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Real"));
    ASSERT_TRUE(CreateDirectory("C:\\Real\\Sub"));
    fs::create_directory_symlink("Real", prefix.Host("drive_c/Alias"));
    LookupCacheScope lookups;
    EXPECT_FALSE(FileExists("C:\\Alias\\f.txt")); // listed through the link
    Touch("C:\\Real\\f.txt");                     // created through the real path
    EXPECT_TRUE(FileExists("C:\\Alias\\f.txt"));
    ASSERT_TRUE(DeleteFile("C:\\Alias\\F.TXT"));
    EXPECT_FALSE(FileExists("C:\\Real\\f.txt"));
    Touch("C:\\Alias\\Sub\\g.txt");
    EXPECT_TRUE(FileExists("C:\\Real\\Sub\\g.txt"));
    ASSERT_TRUE(DeleteFile("C:\\Real\\Sub\\g.txt"));
    ASSERT_TRUE(RemoveDirectory("C:\\Real\\Sub"));
    EXPECT_FALSE(DirectoryExists("C:\\Alias\\Sub"));
    EXPECT_FALSE(FileExists("C:\\Alias\\Sub\\g.txt"));
}

TEST(LookupCache, OutsideAScopeNothingIsRemembered) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    EXPECT_FALSE(FileExists("C:\\Run\\b.txt"));
    std::ofstream(prefix.Host("drive_c/Run/b.txt")) << "1";
    EXPECT_TRUE(FileExists("C:\\Run\\b.txt"));
}

TEST(LookupCache, OpeningAMissingNameFailsAsWithoutMemory) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    for (bool scoped : {false, true}) {
        std::optional<LookupCacheScope> lookups;
        if (scoped) lookups.emplace();
        for (const char* name : {"C:\\Run\\none.txt", "C:\\Run\\none\\x.txt"}) {
            try {
                OpenFile(name, OpenMode::Read);
                ADD_FAILURE() << name;
            } catch (const PlatformError& e) {
                EXPECT_EQ(e.Code(), std::string(name).ends_with("none.txt") ? kErrorFileNotFound
                                                                            : kErrorPathNotFound)
                    << name << (scoped ? " scoped" : "");
            }
        }
        EXPECT_THROW(OpenFile("C:\\Run\\none\\x.txt", OpenMode::Create), PlatformError);
    }
}

} // namespace
