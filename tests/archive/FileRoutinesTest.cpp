// FileRoutinesTest.cpp - file and directory routines over a temporary prefix.
#include "archive/FileRoutines.h"
#include "archive/DateTime.h"
#include "archive/Exceptions.h"
#include "archive/Format.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vexo;
using namespace vexo::archive;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    auto s = platform::OpenFile(path, platform::OpenMode::Create);
    s->WriteBuffer(bytes.data(), bytes.size());
}

std::string Locator(std::int32_t magic, std::int32_t start) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &magic, 4);
    std::memcpy(bytes.data() + 4, &start, 4);
    return bytes;
}

} // namespace

TEST(FileRoutines, DirectoryAndSizeAnswers) {
    platform::ScopedTestPrefix prefix;
    ASSERT_TRUE(platform::CreateDirectory("C:\\Datos"));
    WriteFile("C:\\Datos\\a.bin", std::string(1234, 'x'));

    EXPECT_TRUE(IsExistingDirectory("C:\\Datos"));
    EXPECT_TRUE(IsExistingDirectory("c:\\DATOS\\")); // names fold case, a trailing "\" is fine
    EXPECT_FALSE(IsExistingDirectory("C:\\Datos\\a.bin"));
    EXPECT_FALSE(IsExistingDirectory("C:\\Missing"));

    EXPECT_EQ(GetFileSize("C:\\Datos\\a.bin"), 1234);
    EXPECT_EQ(GetFileSize("C:\\Datos\\missing.bin"), 0);
    EXPECT_EQ(GetFileSize("C:\\Datos"), 0);
}

TEST(FileRoutines, FileDateIsTheLastWriteTimeOrZero) {
    platform::ScopedTestPrefix prefix;
    WriteFile("C:\\f.txt", "x");
    // 2009-01-22 09:36:37 is kept as 09:36:36: file times have two-second steps.
    TDateTime written = CivilToDateTime({2009, 1, 22, 9, 36, 37, 0});
    ASSERT_TRUE(platform::SetFileAge("C:\\f.txt", DateTimeToDosDateTime(written)));
    CivilDateTime back = DateTimeToCivil(GetFileDate("C:\\f.txt"));
    EXPECT_EQ(back.hour, 9);
    EXPECT_EQ(back.minute, 36);
    EXPECT_EQ(back.second, 36);
    EXPECT_EQ(GetFileDate("C:\\missing.txt"), 0.0);
}

TEST(FileRoutines, TempDirectoryEndsInBackslash) {
    platform::ScopedTestPrefix prefix;
    std::string dir = GetTempDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_TRUE(IsExistingDirectory(dir));
}

TEST(FileRoutines, FindArchiveStartReadsTheLocator) {
    platform::ScopedTestPrefix prefix;
    struct Case {
        const char* name;
        std::string bytes;
        std::int32_t expected;
    } cases[] = {
        {"C:\\good.exe", std::string(100, 'p') + Locator(kLocatorMagic, 1454045), 1454045},
        {"C:\\wrongmagic.exe", std::string(100, 'p') + Locator(123456788, 77), 0},
        {"C:\\short.exe", "MZ", 0},
        {"C:\\empty.exe", "", 0},
    };
    for (const auto& c : cases) {
        WriteFile(c.name, c.bytes);
        EXPECT_EQ(FindArchiveStart(std::string(c.name)), c.expected) << c.name;
    }
}

TEST(FileRoutines, FindArchiveStartOfAMissingFileNamesIt) {
    platform::ScopedTestPrefix prefix;
    try {
        FindArchiveStart(std::string("C:\\nowhere\\ZPX16.EXE"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        std::string text = e.what();
        EXPECT_NE(text.find(" (C:\\nowhere\\ZPX16.EXE)"), std::string::npos) << text;
    }
}

TEST(FileRoutines, VersionStringsOfAFileWithoutThemAreEmpty) {
    platform::ScopedTestPrefix prefix;
    WriteFile("C:\\plain.exe", "MZ not really a program");
    EXPECT_TRUE(ReadVersionStrings("C:\\plain.exe").empty());
    EXPECT_TRUE(ReadVersionStrings("C:\\missing.exe").empty());
}

TEST(FileRoutines, SFXGeneratorTakesDefaultsForAMissingFile) {
    platform::ScopedTestPrefix prefix;
    TCustomSFXGenerator generator;
    generator.DefaultSFXCodeSize = 1000;
    generator.DefaultTagInfoSize = 24;
    generator.ReadInfo("C:\\missing.exe");
    EXPECT_EQ(generator.SFXCodeSize(), 1000);
    EXPECT_EQ(generator.TagInfoSize(), 24);

    WriteFile("C:\\plain.exe", "MZ");
    generator.ReadInfo("C:\\plain.exe"); // exists, no version strings: both 0
    EXPECT_EQ(generator.SFXCodeSize(), 0);
    EXPECT_EQ(generator.TagInfoSize(), 0);
}

TEST(FileRoutines, DriveAnswers) {
    platform::ScopedTestPrefix prefix;
    EXPECT_TRUE(IsDriveReady('c')); // a letter names its drive in either case
    EXPECT_TRUE(IsDriveReady('C'));
    EXPECT_FALSE(IsDriveReady('Q')); // not mapped in the prefix
    for (char notALetter : {'1', ':', '\\', '\0'}) {
        try {
            IsDriveReady(notALetter);
            ADD_FAILURE() << "no exception for " << int(notALetter);
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Not a valid drive ID");
        }
    }
    EXPECT_FALSE(IsRemovableDrive("C:\\Inst\\DISK.001"));
    platform::SetDriveTypeOverride('A', platform::DriveType::Removable);
    EXPECT_TRUE(IsRemovableDrive("A:\\DISK.001"));
    EXPECT_FALSE(IsRemovableDrive("\\\\server\\share\\DISK.001"));
}
