// Win32LayerTest.cpp - what the Win32 layer does of its own: the test prefix's stand-in for
// drive C: both ways, sharing done by the system, refusals Wine would not make, file times as
// the C library reads them, and the environment as both the system and the C library see it.
#include "FileText.h"
#include "common/HostEnv.h"
#include "platform/Encoding.h"
#include "platform/EnvironmentVariables.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ScopedTestPrefix.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// The platform's functions of these names are meant below, never the system's macros.
#undef CreateDirectory
#undef DeleteFile
#undef GetDriveType
#undef GetFileAttributes
#undef SetCurrentDirectory
#undef SetFileAttributes

namespace platform = vexo::platform;
using platform::ScopedTestPrefix;
using vexo::test::FsPath;
using vexo::test::ScopedEnv;

namespace {

std::wstring Wide(const std::string& utf8) {
    return FsPath(utf8).wstring();
}

DWORD RawAttributes(const std::string& host) {
    return ::GetFileAttributesW(Wide(host).c_str());
}

std::string RawCurrentDirectory() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    const std::u8string utf8 = std::filesystem::path(std::wstring(buffer, n)).u8string();
    return std::string(utf8.begin(), utf8.end());
}

} // namespace

TEST(StandInDrive, WindowsPathsOnDriveCLandInThePrefix) {
    ScopedTestPrefix prefix;
    const std::string standIn = prefix.Host("drive_c");
    struct Case {
        const char* windows;
        std::string host;
    } cases[] = {
        {"C:\\VEXO\\DALVO\\x.txt", standIn + "\\VEXO\\DALVO\\x.txt"},
        {"c:/vexo/y", standIn + "\\vexo\\y"},
        {"C:\\", standIn},
        {"C:\\..\\..\\VEXO", standIn + "\\VEXO"}, // never climbs out of the stand-in
        {"C:\\VEXO\\Datos. ", standIn + "\\VEXO\\Datos"},
        {"C:\\VEXO\\Datos. \\", standIn + "\\VEXO\\Datos. \\"}, // only the last name's go
        {"\\\\?\\C:\\VEXO", "\\\\?\\" + standIn + "\\VEXO"},
        {"Z:\\tmp\\x", "Z:\\tmp\\x"}, // other drives are the system's own
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::HostPath(c.windows), c.host) << c.windows;
    EXPECT_EQ(platform::PrefixDirectory(), prefix.Root());
}

TEST(StandInDrive, SystemAnswersInsideThePrefixComeBackAsDriveC) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(platform::CreateDirectory("C:\\VEXO"));
    const std::string standIn = prefix.Host("drive_c");
    EXPECT_EQ(platform::WindowsPath(standIn + "\\VEXO\\new.txt"), "C:\\VEXO\\new.txt");
    EXPECT_EQ(platform::WindowsPath(standIn), "C:\\");
    EXPECT_EQ(platform::WindowsPath(standIn + "\\"), "C:\\");
    EXPECT_EQ(platform::WindowsPath(platform::UpperAscii(standIn) + "\\VEXO"), "C:\\VEXO");
    // A neighbour whose name merely starts like the stand-in's is no part of it.
    EXPECT_EQ(platform::WindowsPath(standIn + "x\\y"), standIn + "x\\y");
    EXPECT_EQ(platform::WindowsPath(prefix.Root()), prefix.Root());

    // The process really stands in the prefix; the program sees drive C:.
    ASSERT_TRUE(platform::SetCurrentDirectory("C:\\VEXO"));
    EXPECT_EQ(RawCurrentDirectory(), standIn + "\\VEXO");
    EXPECT_EQ(platform::CurrentDirectory(), "C:\\VEXO");
    vexo::platform::test::WriteText("here.txt", "x");
    EXPECT_NE(RawAttributes(standIn + "\\VEXO\\here.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(platform::FileExists("\\VEXO\\here.txt"));
    EXPECT_TRUE(platform::FileExists("C:here.txt"));
    // The program's own file is on a drive of the system's.
    EXPECT_EQ(platform::ModuleFileName().substr(0, 3), "Z:\\");
}

TEST(StandInDrive, FilesMadeEitherWayAreTheSameFiles) {
    ScopedTestPrefix prefix;
    vexo::platform::test::WriteText("C:\\made.txt", "by the layer");
    EXPECT_NE(RawAttributes(prefix.Host("drive_c/made.txt")), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(::CreateDirectoryW(Wide(prefix.Host("drive_c/Raw")).c_str(), nullptr));
    EXPECT_TRUE(platform::DirectoryExists("C:\\RAW"));
    const auto found = platform::FindFiles("C:\\*");
    // No "." or ".." at the stand-in's root; "users" holds the writing program's Desktop, as a
    // new Wine prefix does.
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "made.txt");
    EXPECT_EQ(found[1].name, "Raw");
    EXPECT_EQ(found[2].name, "users");
    EXPECT_EQ(platform::GetDriveType("C:\\"), platform::DriveType::Fixed);
    EXPECT_GT(platform::DiskSize(3), 0);
}

TEST(StandInDrive, WithoutAPrefixNothingIsMapped) {
    ScopedTestPrefix prefix;
    ScopedEnv none("VEXO_PREFIX", std::nullopt);
    platform::ResetPrefix();
    EXPECT_EQ(platform::HostPath("C:\\VEXO\\x"), "C:\\VEXO\\x");
    EXPECT_EQ(platform::WindowsPath(prefix.Host("drive_c\\x")), prefix.Host("drive_c\\x"));
    EXPECT_EQ(platform::PrefixDirectory(), "");
    EXPECT_EQ(platform::TempDirectory().substr(0, 3), "C:\\");
}

// Drive letters found present are remembered; a missing one is asked about each time, in
// either case of its letter.
TEST(DriveLetters, MissingStaysMissingAndPresentStaysPresent) {
    ScopedTestPrefix prefix;
    for (int round = 0; round < 2; ++round) {
        for (const char* missing : {"q:\\x.txt", "Q:\\x.txt"}) {
            EXPECT_FALSE(platform::HostPath(missing).has_value()) << missing;
            EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound) << missing;
            EXPECT_FALSE(platform::FileExists(missing)) << missing;
            EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound) << missing;
        }
        for (const char* present : {"c:\\nada.txt", "C:\\nada.txt"}) {
            EXPECT_TRUE(platform::HostPath(present).has_value()) << present;
            EXPECT_FALSE(platform::FileExists(present)) << present;
            EXPECT_EQ(platform::LastError(), platform::kErrorFileNotFound) << present;
        }
    }
}

TEST(SystemSharing, AnOpenFileIsRefusedToEveryHandle) {
    ScopedTestPrefix prefix;
    vexo::platform::test::WriteText("C:\\held.txt", "data");
    const std::wstring host = Wide(prefix.Host("drive_c/held.txt"));
    {
        auto held = platform::OpenFile("C:\\held.txt", platform::OpenMode::ReadDenyWrite);
        // A second open outside the layer, as another program would make it.
        HANDLE other = ::CreateFileW(host.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(other, INVALID_HANDLE_VALUE);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
        EXPECT_FALSE(::DeleteFileW(host.c_str()));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        // Reading beside it is shared.
        HANDLE reader =
            ::CreateFileW(host.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE);
        if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);
    }
    // And the layer is refused a file another program holds.
    HANDLE other = ::CreateFileW(host.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    try {
        platform::OpenFile("C:\\held.txt", platform::OpenMode::ReadShareAll);
        ADD_FAILURE() << "opened a file held without sharing";
    } catch (const platform::PlatformError& e) {
        EXPECT_EQ(e.Code(), platform::kErrorSharingViolation);
    }
    EXPECT_FALSE(platform::RenameFileReplacing("C:\\held.txt", "C:\\other.txt"));
    EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
    ::CloseHandle(other);
    EXPECT_TRUE(platform::DeleteFile("C:\\held.txt"));
}

// Wine lets root write a read-only file and replace one by a rename; Windows refuses both to
// everyone, and so does the layer on either.
TEST(WindowsRefusals, ReadOnlyFilesStayAsTheyAre) {
    ScopedTestPrefix prefix;
    vexo::platform::test::WriteText("C:\\ro.txt", "kept");
    vexo::platform::test::WriteText("C:\\new.txt", "new");
    ASSERT_TRUE(platform::SetFileAttributes("C:\\ro.txt", platform::kAttrReadOnly));
    EXPECT_THROW(platform::OpenFile("C:\\ro.txt", platform::OpenMode::ReadWrite),
                 platform::PlatformError);
    EXPECT_THROW(platform::OpenFile("C:\\ro.txt", platform::OpenMode::Create),
                 platform::PlatformError);
    EXPECT_FALSE(platform::RenameFileReplacing("C:\\new.txt", "C:\\ro.txt"));
    EXPECT_EQ(platform::LastError(), platform::kErrorAccessDenied);
    ASSERT_TRUE(platform::CreateDirectory("C:\\dir"));
    EXPECT_FALSE(platform::RenameFileReplacing("C:\\new.txt", "C:\\dir"));
    EXPECT_EQ(platform::LastError(), platform::kErrorAccessDenied);
    EXPECT_EQ(vexo::platform::test::ReadText("C:\\ro.txt"), "kept");
    EXPECT_EQ(vexo::platform::test::ReadText("C:\\new.txt"), "new");
    EXPECT_TRUE(vexo::test::HostReadOnly(prefix.Host("drive_c/ro.txt")));
}

// The file time written for a DOS date-time is that local moment as the C library reads it.
TEST(FileTimes, StoredAsTheLocalMomentAsked) {
    ScopedTestPrefix prefix;
    vexo::platform::test::WriteText("C:\\t.txt", "x");
    struct Case {
        int year, month, day, hour, minute, second;
    } cases[] = {{1980, 1, 1, 0, 0, 0},     {1999, 12, 31, 23, 59, 58}, {2000, 2, 29, 12, 30, 0},
                 {2009, 7, 14, 13, 45, 30}, {2024, 3, 31, 2, 0, 2},     {2107, 12, 31, 23, 59, 58}};
    for (const auto& c : cases) {
        const auto dos = static_cast<std::int32_t>(
            (static_cast<std::uint32_t>(c.year - 1980) << 25) | (c.month << 21) | (c.day << 16) |
            (c.hour << 11) | (c.minute << 5) | (c.second / 2));
        ASSERT_TRUE(platform::SetFileAge("C:\\t.txt", dos)) << c.year;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExW(Wide(prefix.Host("drive_c/t.txt")).c_str(),
                                           GetFileExInfoStandard, &data));
        const auto ticks = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
        const auto seconds = static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
        if (seconds >= 0x7FFFFFFFLL) continue; // past what this C library's time_t reads
        const std::time_t t = static_cast<std::time_t>(seconds);
        const std::tm* local = std::localtime(&t);
        ASSERT_NE(local, nullptr) << c.year;
        EXPECT_EQ(local->tm_year + 1900, c.year);
        EXPECT_EQ(local->tm_mon + 1, c.month);
        EXPECT_EQ(local->tm_mday, c.day);
        EXPECT_EQ(local->tm_hour, c.hour);
        EXPECT_EQ(local->tm_min, c.minute);
        EXPECT_EQ(local->tm_sec, c.second);
        EXPECT_EQ(platform::GetFileAge("C:\\t.txt"), dos);
    }
}

TEST(Environment, SeenByTheSystemAndTheCLibraryAlike) {
    {
        ScopedEnv set("VEXO_ENV_TEST", "Jos\xC3\xA9");
        EXPECT_EQ(platform::GetEnv("VEXO_ENV_TEST"), "Jos\xC3\xA9");
        wchar_t buffer[16] = {};
        EXPECT_EQ(::GetEnvironmentVariableW(L"VEXO_ENV_TEST", buffer, 16), 4u);
        EXPECT_EQ(std::wstring(buffer), L"Jos\u00E9");
        ASSERT_NE(std::getenv("VEXO_ENV_TEST"), nullptr);
        ScopedEnv empty("VEXO_ENV_TEST", "");
        EXPECT_EQ(platform::GetEnv("VEXO_ENV_TEST"), ""); // set, though empty
    }
    EXPECT_EQ(platform::GetEnv("VEXO_ENV_TEST"), std::nullopt);
    EXPECT_EQ(std::getenv("VEXO_ENV_TEST"), nullptr);
}
