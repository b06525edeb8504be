// HostileDiskTest.cpp - what is already on disk: links below the output folder, a destination
// that is a link, planted temporary names, leftovers of killed runs, pipes and devices read.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "extract/SafeOutputFile.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/TemporaryFiles.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vexo::extract::testing {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

fs::path HostFs(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

/// Runs `call` and fails the test when it has not returned within two seconds; `unblock` then
/// releases it (a pipe opened from the other end) so the test ends either way.
void FinishesAtOnce(const std::function<void()>& call, const std::function<void()>& unblock) {
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) return done.get();
    ADD_FAILURE() << "the call waited on a special file";
    unblock();
    done.wait();
}

// --- links below the output folder --------------------------------------------------------

/// The disk as a case finds it: host paths in the prefix, the outside a folder of its own.
struct Disk {
    std::string out;     // C:\out on the host
    std::string outside; // a folder the archive must never reach
};

struct LinkCase {
    const char* name;
    std::function<void(const Disk&)> plant;
    const char* entry;   // stored name, extracted into C:\out
    bool followLinks;    // the installer's default: true
    const char* refused; // the link the error names (a Windows path); null: no error
    const char* written; // the file that must hold the entry afterwards (a Windows path)
    bool outsideUntouched;
};

constexpr const char* kSecret = "secret";

void WriteFile(const std::string& host, const std::string& bytes) {
    std::FILE* f = std::fopen(host.c_str(), "wb");
    ASSERT_NE(f, nullptr) << host;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void OutsideFile(const Disk& d, mode_t mode) {
    WriteFile(d.outside + "/target.txt", kSecret);
    ::chmod((d.outside + "/target.txt").c_str(), mode);
}

void Link(const std::string& target, const std::string& at) {
    ASSERT_EQ(::symlink(target.c_str(), at.c_str()), 0) << at;
}

const LinkCase kLinkCases[] = {
    {"MiddleFolderToOutside", [](const Disk& d) { Link(d.outside, d.out + "/sub"); }, "sub\\a.txt",
     false, "C:\\out\\sub", nullptr, true},
    {"DeeperFolderToOutside",
     [](const Disk& d) {
         fs::create_directories(HostFs(d.out + "/a"));
         Link(d.outside, d.out + "/a/b");
     },
     "a\\b\\c\\a.txt", false, "C:\\out\\a\\b", nullptr, true},
    {"DanglingFolderLink", [](const Disk& d) { Link(d.outside + "/missing", d.out + "/sub"); },
     "sub\\a.txt", false, "C:\\out\\sub", nullptr, true},
    {"FolderLinkMatchedInAnotherCase", [](const Disk& d) { Link(d.outside, d.out + "/Sub"); },
     "SUB\\a.txt", false, "C:\\out\\SUB", nullptr, true},
    {"FolderEntryThatIsALink", [](const Disk& d) { Link(d.outside, d.out + "/sub"); }, "sub\\",
     false, "C:\\out\\sub", nullptr, true},
    {"FollowedWhenAllowed", [](const Disk& d) { Link(d.outside, d.out + "/sub"); }, "sub\\a.txt",
     true, nullptr, "C:\\out\\sub\\a.txt", false},
    {"RealFoldersAreNoLinks",
     [](const Disk& d) { fs::create_directories(HostFs(d.out + "/sub/deeper")); },
     "sub\\deeper\\a.txt", false, nullptr, "C:\\out\\sub\\deeper\\a.txt", true},
    {"FinalNameLinkedToAFileOutside",
     [](const Disk& d) {
         OutsideFile(d, 0444);
         Link(d.outside + "/target.txt", d.out + "/a.txt");
     },
     "a.txt", false, nullptr, "C:\\out\\a.txt", true},
    {"FinalNameLinkedToAFileOutsideWhileFollowing",
     [](const Disk& d) {
         OutsideFile(d, 0640);
         Link(d.outside + "/target.txt", d.out + "/a.txt");
     },
     "a.txt", true, nullptr, "C:\\out\\a.txt", true},
    {"FinalNameDangling", [](const Disk& d) { Link(d.outside + "/missing.txt", d.out + "/a.txt"); },
     "a.txt", true, nullptr, "C:\\out\\a.txt", true},
};

class LinksOnTheWay : public ExtractorFixture, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinksOnTheWay, RefusedOrReplacedNeverWrittenThrough) {
    const LinkCase& c = GetParam();
    const Disk disk{prefix_.Host("drive_c/out"), prefix_.Host("outside")};
    fs::create_directories(HostFs(disk.outside));
    c.plant(disk);
    if (::testing::Test::HasFatalFailure()) return;
    struct stat before {};
    const bool hadTarget = ::stat((disk.outside + "/target.txt").c_str(), &before) == 0;

    const Bytes data = Compressible(3000);
    const bool folderEntry = std::string(c.entry).back() == '\\';
    const std::string arc =
        Build({folderEntry ? SourceFile{c.entry, {}, true} : SourceFile{c.entry, data}});
    TExtractor x;
    Prepare(x, arc);
    x.SetFollowLinks(c.followLinks);
    x.SetErrorAction(archive::eaContinue);
    std::vector<std::string> errors;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.push_back(e.what()); };
    x.ExtractAll();

    if (c.refused) {
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find(c.refused), std::string::npos) << errors[0];
        EXPECT_NE(errors[0].find("enlace"), std::string::npos) << errors[0];
    } else {
        EXPECT_TRUE(errors.empty()) << errors[0];
    }
    if (c.written) {
        EXPECT_FALSE(platform::IsLink(c.written));
        EXPECT_EQ(ReadFileBytes(c.written), data);
    }
    if (c.outsideUntouched) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(HostFs(disk.outside)))
            names.push_back(e.path().filename().string());
        EXPECT_EQ(names,
                  hadTarget ? std::vector<std::string>{"target.txt"} : std::vector<std::string>{});
    }
    if (hadTarget) {
        struct stat after {};
        ASSERT_EQ(::stat((disk.outside + "/target.txt").c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(platform::ReadHostFile(disk.outside + "/target.txt"), kSecret);
    }
    // No temporary file stays behind, whatever happened.
    for (const auto& e : fs::recursive_directory_iterator(HostFs(disk.out)))
        EXPECT_FALSE(platform::IsTemporaryName(e.path().filename().string()));
}

INSTANTIATE_TEST_SUITE_P(Positions, LinksOnTheWay, ::testing::ValuesIn(kLinkCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ExtractorFixture, AnOutputFolderThatIsALinkIsTheUsersChoice) {
    const std::string real = prefix_.Host("elsewhere");
    fs::create_directories(HostFs(real));
    Link(real, prefix_.Host("drive_c/linked"));
    const std::string arc = Build({{"sub\\a.txt", Compressible(10)}});
    TExtractor x;
    Prepare(x, arc);
    x.SetExtractPath("C:\\linked");
    x.SetFollowLinks(false);
    x.ExtractAll();
    const Bytes data = Compressible(10);
    EXPECT_EQ(platform::ReadHostFile(real + "/sub/a.txt"), std::string(data.begin(), data.end()));
}

TEST_F(ExtractorFixture, APieceWrittenInPlaceNeverGoesThroughALink) {
    const std::string outside = prefix_.Host("outside.txt");
    WriteFile(outside, kSecret);
    Link(outside, prefix_.Host("drive_c/out/piece.bin"));
    EXPECT_THROW(SafeOutputFile(Out("piece.bin"), true, "no"), archive::EArchiver);
    EXPECT_EQ(platform::ReadHostFile(outside), kSecret);
    EXPECT_TRUE(platform::IsLink(Out("piece.bin")));
}

TEST_F(ExtractorFixture, ReplacingALinkKeepsItsTargetsModeAndContent) {
    const std::string outside = prefix_.Host("outside.txt");
    WriteFile(outside, kSecret);
    ::chmod(outside.c_str(), 0444);
    Link(outside, prefix_.Host("drive_c/out/a.txt"));
    {
        SafeOutputFile out(Out("a.txt"), false, "no");
        out.Stream().WriteBuffer("new", 3);
        out.Close();
        EXPECT_TRUE(platform::SetFileAge(out.WrittenPath(), 0x3A364C92));
        out.Commit();
    }
    // The attributes the entry carries go on the new file, not through any link.
    EXPECT_TRUE(platform::SetFileAttributes(Out("a.txt"), platform::kAttrReadOnly));
    struct stat st {};
    ASSERT_EQ(::stat(outside.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(platform::ReadHostFile(outside), kSecret);
    EXPECT_FALSE(platform::IsLink(Out("a.txt")));
    EXPECT_EQ(ReadFileBytes(Out("a.txt")), (Bytes{'n', 'e', 'w'}));
}

TEST_F(ExtractorFixture, AttributeAndDateCallsLeaveALinksTargetAlone) {
    const std::string outside = prefix_.Host("outside.txt");
    WriteFile(outside, kSecret);
    ::chmod(outside.c_str(), 0644);
    Link(outside, prefix_.Host("drive_c/out/l.txt"));
    struct stat before {};
    ASSERT_EQ(::stat(outside.c_str(), &before), 0);
    EXPECT_TRUE(platform::SetFileAttributes(Out("l.txt"), platform::kAttrReadOnly));
    platform::SetFileAge(Out("l.txt"), 0x3A364C92);
    struct stat after {};
    ASSERT_EQ(::stat(outside.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

// --- files that are no files ----------------------------------------------------------------

struct SpecialReader {
    const char* name;
    std::function<void(const std::string&)> read; // a Windows path; must come back at once
};

const SpecialReader kSpecialReaders[] = {
    {"ArchiveStream",
     [](const std::string& p) {
         EXPECT_THROW(platform::OpenFile(p, platform::OpenMode::ReadDenyWrite),
                      platform::PlatformError);
     }},
    {"ReadWriteStream",
     [](const std::string& p) {
         EXPECT_THROW(platform::OpenFile(p, platform::OpenMode::ReadWrite),
                      platform::PlatformError);
     }},
    {"CreatedOver",
     [](const std::string& p) {
         EXPECT_THROW(platform::OpenFile(p, platform::OpenMode::Create), platform::PlatformError);
     }},
    {"IniFile",
     [](const std::string& p) {
         EXPECT_EQ(platform::ReadProfileString(p, "Setup", "Key", "dflt"), "dflt");
     }},
    {"Shortcut", [](const std::string& p) { EXPECT_FALSE(platform::ReadShellLink(p)); }},
    {"VersionFile", [](const std::string& p) { EXPECT_FALSE(platform::ReadVersionInfo(p)); }},
    {"HostFile",
     [](const std::string& p) {
         EXPECT_THROW(platform::OpenHostFile(platform::HostPath(p).value_or(""),
                                             platform::HostFileMode::Read),
                      platform::PlatformError);
     }},
};

class SpecialFiles : public ExtractorFixture,
                     public ::testing::WithParamInterface<SpecialReader> {};

TEST_P(SpecialFiles, APipeIsRefusedWithoutWaiting) {
    const std::string host = prefix_.Host("drive_c/work/pipe");
    ASSERT_EQ(::mkfifo(host.c_str(), 0644), 0);
    FinishesAtOnce([&] { GetParam().read("C:\\work\\pipe"); },
                   [&] { ::close(::open(host.c_str(), O_WRONLY | O_NONBLOCK)); });
}

TEST_P(SpecialFiles, DevicesAreRefusedWithoutReading) {
    for (const char* device : {"/dev/null", "/dev/zero"}) {
        SCOPED_TRACE(device);
        const std::string path = platform::WindowsPath(device);
        FinishesAtOnce([&] { GetParam().read(path); }, [] {});
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, SpecialFiles, ::testing::ValuesIn(kSpecialReaders),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ExtractorFixture, AnArchiveThatIsAPipeFailsToOpenAtOnce) {
    const std::string host = prefix_.Host("drive_c/work/arc.pipe");
    ASSERT_EQ(::mkfifo(host.c_str(), 0644), 0);
    FinishesAtOnce(
        [&] {
            TExtractor x;
            Prepare(x, "C:\\work\\arc.pipe");
            EXPECT_THROW(x.ExtractAll(), std::runtime_error);
        },
        [&] { ::close(::open(host.c_str(), O_WRONLY | O_NONBLOCK)); });
}

TEST_F(ExtractorFixture, APlantedLinkNamedLikeALeftoverIsNotFollowed) {
    const std::string outside = prefix_.Host("outside.txt");
    WriteFile(outside, kSecret);
    fs::create_directories(HostFs(prefix_.Host("drive_c/planted")));
    Link(outside, prefix_.Host("drive_c/planted/~vx0abcd.tmp"));
    SafeOutputFile out("C:\\planted\\a.txt", false, "no");
    out.Commit();
    EXPECT_EQ(platform::ReadHostFile(outside), kSecret);
    EXPECT_TRUE(platform::IsLink("C:\\planted\\~vx0abcd.tmp"));
}

#endif // !_WIN32

// --- temporary names (both hosts) ----------------------------------------------------------

TEST_F(ExtractorFixture, PlantedTemporaryNamesAreSteppedOver) {
    // Names come in order: the next two are taken in advance, so the file gets the third.
    platform::TemporaryFile probe = platform::CreateTemporaryBeside(Out("x"));
    probe.stream.reset();
    ASSERT_TRUE(platform::DeleteFile(probe.path));
    const std::string name = probe.path.substr(probe.path.size() - 12);
    ASSERT_TRUE(platform::IsTemporaryName(name));
    auto NameAfter = [&](unsigned step) {
        char next[16];
        std::snprintf(next, sizeof next, "~vx%05x.tmp",
                      (static_cast<unsigned>(std::stoul(name.substr(3, 5), nullptr, 16)) + step) &
                          0xFFFFFu);
        return Out(next);
    };
    WriteFileBytes(NameAfter(1), {'p', '1'});
    WriteFileBytes(NameAfter(2), {'p', '2'});
    platform::TemporaryFile file = platform::CreateTemporaryBeside(Out("x"));
    EXPECT_EQ(file.path, NameAfter(3));
    file.stream.reset();
    EXPECT_EQ(ReadFileBytes(NameAfter(1)), (Bytes{'p', '1'}));
    EXPECT_EQ(ReadFileBytes(NameAfter(2)), (Bytes{'p', '2'}));
}

TEST_F(ExtractorFixture, CreateNewRefusesEveryExistingName) {
    WriteFileBytes(Out("there.txt"), {'o', 'l', 'd'});
    try {
        platform::OpenFile(Out("there.txt"), platform::OpenMode::CreateNew);
        FAIL() << "an existing file was opened anew";
    } catch (const platform::PlatformError& e) {
        EXPECT_EQ(e.Code(), platform::kErrorFileExists);
    }
    EXPECT_EQ(ReadFileBytes(Out("there.txt")), (Bytes{'o', 'l', 'd'}));
}

TEST_F(ExtractorFixture, LeftoversOfKilledRunsGoHeldOnesStay) {
    ASSERT_TRUE(platform::CreateDirectory("C:\\leftovers"));
    WriteFileBytes("C:\\leftovers\\~vx0dead.tmp", {'x'});
    WriteFileBytes("C:\\leftovers\\~vxnotmine.tmp", {'k'});
    WriteFileBytes("C:\\leftovers\\keep.txt", {'k'});
    // A writer still at work: its file was created exclusively and is open.
    auto held = platform::OpenFile("C:\\leftovers\\~vx0beef.tmp", platform::OpenMode::CreateNew);
    {
        SafeOutputFile out("C:\\leftovers\\new.txt", false, "no");
        out.Commit();
    }
    EXPECT_FALSE(platform::FileExists("C:\\leftovers\\~vx0dead.tmp"));
    EXPECT_TRUE(platform::FileExists("C:\\leftovers\\~vx0beef.tmp"));
    EXPECT_TRUE(platform::FileExists("C:\\leftovers\\~vxnotmine.tmp"));
    EXPECT_TRUE(platform::FileExists("C:\\leftovers\\keep.txt"));
    EXPECT_TRUE(platform::FileExists("C:\\leftovers\\new.txt"));
}

TEST(TemporaryNames, FormIsRecognised) {
    struct Case {
        const char* name;
        bool temporary;
    } cases[] = {{"~vx00000.tmp", true},   {"~vxABCde.tmp", true},  {"~vx0000.tmp", false},
                 {"~vx000000.tmp", false}, {"~vx0000g.tmp", false}, {"~vx00000.tmpx", false},
                 {"vx00000.tmp", false},   {"~VX00000.tmp", false}, {"", false}};
    for (const Case& c : cases)
        EXPECT_EQ(platform::IsTemporaryName(c.name), c.temporary) << c.name;
}

} // namespace
} // namespace vexo::extract::testing
