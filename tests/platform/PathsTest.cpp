// PathsTest.cpp - the prefix layout and Windows paths mapped onto it, both ways.
#include "platform/Paths.h"
#include "common/HostEnv.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vexo::platform;
namespace fs = std::filesystem;

namespace {

using vexo::test::FsPath;
using vexo::test::kWindowsHost;

void Touch(const std::string& host) {
    fs::create_directories(FsPath(host).parent_path());
    std::ofstream(FsPath(host)) << "x";
}

// Whether two host paths name the same place, spelt as the host compares them: Windows finds
// names without regard to case and keeps the spelling it was given.
::testing::AssertionResult SameHostPath(const std::optional<std::string>& got,
                                        const std::string& want) {
    if (!got) return ::testing::AssertionFailure() << "no host path";
    auto normal = [](const std::string& path) {
        const std::u8string text = FsPath(path).lexically_normal().generic_u8string();
        const std::string plain(text.begin(), text.end());
        return kWindowsHost ? UpperAscii(plain) : plain;
    };
    if (normal(*got) == normal(want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << *got << " is not " << want;
}

constexpr const char* kPrefixLayout = "the drive links are the POSIX layer's prefix";

} // namespace

TEST(Paths, FreshPrefixGetsWineLayout) {
    if (kWindowsHost) GTEST_SKIP() << kPrefixLayout;
    ScopedTestPrefix prefix;
    EXPECT_EQ(PrefixDirectory(), prefix.Root());
    EXPECT_EQ(fs::read_symlink(prefix.Host("dosdevices/c:")), "../drive_c");
    EXPECT_EQ(fs::read_symlink(prefix.Host("dosdevices/z:")), "/");
    EXPECT_TRUE(fs::is_directory(prefix.Host("drive_c/users/tester/Desktop")));
    EXPECT_TRUE(
        fs::is_directory(prefix.Host("drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs")));
}

TEST(Paths, ExistingPrefixIsNotRewritten) {
    if (kWindowsHost) GTEST_SKIP() << kPrefixLayout;
    ScopedTestPrefix prefix;
    fs::remove(prefix.Host("dosdevices/z:"));
    fs::remove_all(prefix.Host("drive_c/users"));
    ResetPrefix();
    PrefixDirectory();
    EXPECT_FALSE(fs::exists(prefix.Host("drive_c/users")));
    EXPECT_FALSE(fs::is_symlink(prefix.Host("dosdevices/z:")));
}

TEST(Paths, WindowsToHostTable) {
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("drive_c/VEXO/DALVO/Programa"));
    struct Case {
        const char* windows;
        std::string host;
    } cases[] = {
        {"C:\\VEXO\\DALVO\\Programa\\DALVO.EXE",
         prefix.Host("drive_c/VEXO/DALVO/Programa/DALVO.EXE")},
        {"c:/vexo/dalvo/programa", prefix.Host("drive_c/VEXO/DALVO/Programa")},
        {"C:\\VEXO\\.\\X\\..\\DALVO\\", prefix.Host("drive_c/VEXO/DALVO/")},
        // Trailing dots and spaces go from the last name only, as Windows drops them.
        {"C:\\VEXO\\DALVO. \\Datos", prefix.Host("drive_c/VEXO/DALVO. /Datos")},
        {"C:\\VEXO\\DALVO. ", prefix.Host("drive_c/VEXO/DALVO")},
        {"C:\\VEXO\\DALVO..", prefix.Host("drive_c/VEXO/DALVO")},
        {"C:\\..\\..\\VEXO", prefix.Host("drive_c/VEXO")},
        {"C:\\", prefix.Root() + "/drive_c"},
        {"Z:\\etc\\hostname", kWindowsHost ? "Z:\\etc\\hostname" : "/etc/hostname"},
        {"Z:\\", kWindowsHost ? "Z:\\" : "/"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameHostPath(HostPath(c.windows), c.host)) << c.windows;
}

TEST(Paths, UnmappedDrivesUncAndBadNamesHaveNoHostPath) {
    ScopedTestPrefix prefix;
    for (const char* bad : {"Q:\\VEXO", "\\\\server\\share\\x", "C:\\a|b", "C:\\a\"b", ""}) {
        EXPECT_FALSE(FileExists(bad)) << bad;
        // A UNC path is a host path of Windows' own.
        if (kWindowsHost && bad[0] == '\\')
            EXPECT_EQ(HostPath(bad), bad);
        else
            EXPECT_FALSE(HostPath(bad).has_value()) << bad;
    }
    EXPECT_FALSE(HostPath("Q:\\VEXO").has_value());
    EXPECT_EQ(LastError(), kErrorPathNotFound);
    EXPECT_FALSE(HostPath("C:\\a<b").has_value());
    EXPECT_EQ(LastError(), kErrorInvalidName);
}

TEST(Paths, HostToWindowsPicksTheDriveHoldingThePath) {
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("drive_c/VEXO"));
    EXPECT_EQ(WindowsPath(prefix.Host("drive_c/VEXO")), "C:\\VEXO");
    EXPECT_EQ(WindowsPath(prefix.Host("drive_c/VEXO/new.txt")), "C:\\VEXO\\new.txt");
    EXPECT_EQ(WindowsPath(prefix.Root() + "/drive_c"), "C:\\");
    EXPECT_EQ(WindowsPath(kWindowsHost ? "Z:\\etc\\hostname" : "/etc/hostname"),
              "Z:\\etc\\hostname");
}

TEST(Paths, ADeeperDriveWinsOverTheRoot) {
    if (kWindowsHost) GTEST_SKIP() << kPrefixLayout;
    ScopedTestPrefix prefix;
    // A second drive on a deeper directory wins over z:.
    fs::create_directories(prefix.Host("data"));
    fs::create_directory_symlink(prefix.Host("data"), prefix.Host("dosdevices/d:"));
    EXPECT_EQ(WindowsPath(prefix.Host("data/x")), "D:\\x");
    EXPECT_EQ(HostPath("d:\\x"), prefix.Host("data/x"));
}

TEST(Paths, WithoutAnyDriveTheUnixFormRoundTrips) {
    if (kWindowsHost) GTEST_SKIP() << kPrefixLayout;
    ScopedTestPrefix prefix;
    fs::remove(prefix.Host("dosdevices/z:"));
    std::string windows = WindowsPath("/etc/hostname");
    EXPECT_EQ(windows, "\\\\?\\unix\\etc\\hostname");
    EXPECT_EQ(HostPath(windows), "/etc/hostname");
}

TEST(Paths, CaseInsensitiveLookupOfExistingComponents) {
    ScopedTestPrefix prefix;
    Touch(prefix.Host("drive_c/users/tester/Desktop/DalvoVexo.lnk"));
    auto host = HostPath("C:\\USERS\\TESTER\\DESKTOP\\DALVOVEXO.LNK");
    EXPECT_TRUE(SameHostPath(host, prefix.Host("drive_c/users/tester/Desktop/DalvoVexo.lnk")));
    if (!kWindowsHost) {
        EXPECT_EQ(*host, prefix.Host("drive_c/users/tester/Desktop/DalvoVexo.lnk"));
    }
    EXPECT_TRUE(FileExists("c:\\users\\tester\\desktop\\dalvovexo.lnk"));
    // New components keep the case given.
    EXPECT_TRUE(
        SameHostPath(HostPath("C:\\USERS\\New\\Sub"), prefix.Host("drive_c/users/New/Sub")));
    EXPECT_TRUE(
        HostPath("C:\\USERS\\New\\Sub")->ends_with(kWindowsHost ? "\\New\\Sub" : "/New/Sub"));
}

TEST(Paths, Cp1252NamesAreUtf8OnDisk) {
    ScopedTestPrefix prefix;
    const std::string dir = "C:\\" + W1252("Asientos Nóminas");
    ASSERT_TRUE(CreateDirectory(dir));
    EXPECT_TRUE(fs::is_directory(FsPath(prefix.Host("drive_c/Asientos Nóminas"))));
    EXPECT_TRUE(DirectoryExists("C:\\" + W1252("ASIENTOS NóMINAS")));
    // Accented letters fold as ASCII ones do: "NÓMINAS" is the same folder.
    EXPECT_TRUE(DirectoryExists("C:\\" + W1252("ASIENTOS NÓMINAS")));
    {
        LookupCacheScope remembered; // the look-up memory folds alike
        EXPECT_TRUE(DirectoryExists("C:\\" + W1252("asientos nÓminas")));
    }
    auto found = FindFiles("C:\\Asientos*");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, W1252("Asientos Nóminas"));
    EXPECT_EQ(WindowsPath(prefix.Host("drive_c/Asientos Nóminas")), dir);
}

TEST(Paths, RelativePathsUseTheCurrentDirectory) {
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("drive_c/VEXO/DALVO"));
    ASSERT_TRUE(SetCurrentDirectory("C:\\vexo"));
    // Windows keeps the spelling it was given; the POSIX layer answers the one on disk.
    EXPECT_EQ(CurrentDirectory(), kWindowsHost ? "C:\\vexo" : "C:\\VEXO");
    EXPECT_TRUE(SameHostPath(HostPath("DALVO\\x"), prefix.Host("drive_c/VEXO/DALVO/x")));
    EXPECT_TRUE(SameHostPath(HostPath("\\top"), prefix.Host("drive_c/top")));
    EXPECT_TRUE(SameHostPath(HostPath("C:rel"), prefix.Host("drive_c/VEXO/rel")));
    EXPECT_TRUE(SameHostPath(HostPath("Z:rel"), kWindowsHost ? "Z:\\rel" : "/rel"));
    if (!kWindowsHost) {
        EXPECT_EQ(HostPath("DALVO\\x"), prefix.Host("drive_c/VEXO/DALVO/x"));
        EXPECT_EQ(HostPath("\\top"), prefix.Host("drive_c/top"));
        EXPECT_EQ(HostPath("C:rel"), prefix.Host("drive_c/VEXO/rel"));
        EXPECT_EQ(HostPath("Z:rel"), "/rel");
    }
}

TEST(Paths, ModuleFileNameIsAWindowsPath) {
    ScopedTestPrefix prefix;
    std::string module = ModuleFileName();
    ASSERT_GE(module.size(), 3u);
    EXPECT_EQ(module.substr(0, 3), "Z:\\");
    EXPECT_TRUE(FileExists(module));
}

TEST(Paths, ExactAndFoldedSpellingsResolveAlike) {
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("drive_c/VEXO/DALVO/Programa"));
    Touch(prefix.Host("drive_c/VEXO/DALVO/Programa/DALVO.EXE"));
    const std::string program = prefix.Host("drive_c/VEXO/DALVO/Programa/DALVO.EXE");
    struct Case {
        const char* windows;
        std::string host;
    } cases[] = {
        {"C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", program}, // spelt as on disk
        {"c:\\vexo\\dalvo\\programa\\dalvo.exe", program}, // every part folded
        {"C:\\VEXO\\DALVO\\Programa\\dalvo.exe", program}, // only the name folded
        {"C:\\VEXO\\DALVO\\Programa\\NUEVO.TXT",           // a name to be created
         prefix.Host("drive_c/VEXO/DALVO/Programa/NUEVO.TXT")},
        {"C:\\vexo\\dalvo\\NUEVO\\X.TXT", prefix.Host("drive_c/VEXO/DALVO/NUEVO/X.TXT")},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameHostPath(HostPath(c.windows), c.host)) << c.windows;
}

TEST(Paths, ARelinkedDriveIsFollowedAtOnce) {
    if (kWindowsHost) GTEST_SKIP() << kPrefixLayout;
    ScopedTestPrefix prefix;
    fs::create_directories(prefix.Host("one"));
    fs::create_directories(prefix.Host("two"));
    fs::create_directory_symlink(prefix.Host("one"), prefix.Host("dosdevices/d:"));
    ASSERT_TRUE(HostPath("D:\\x.txt"));
    EXPECT_EQ(fs::path(*HostPath("D:\\x.txt")).parent_path(), fs::canonical(prefix.Host("one")));
    fs::remove(prefix.Host("dosdevices/d:"));
    fs::create_directory_symlink(prefix.Host("two"), prefix.Host("dosdevices/d:"));
    EXPECT_EQ(fs::path(*HostPath("D:\\x.txt")).parent_path(), fs::canonical(prefix.Host("two")));
}
