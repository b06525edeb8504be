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

TEST(LookupCache, ChangesByOthersShowAfterForgettingAndAfterTheScope) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Run"));
    LookupCacheScope outer;
    EXPECT_FALSE(FileExists("C:\\Run\\later.txt"));
    std::ofstream(prefix.Host("drive_c/Run/later.txt")) << "1"; // behind this layer's back
    {
        LookupCacheScope inner; // nested: the outer memory stays
        EXPECT_FALSE(FileExists("C:\\Run\\later.txt"));
    }
    ForgetLookups();
    EXPECT_TRUE(FileExists("C:\\Run\\later.txt"));
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
