// PathRoutinesTest.cpp - path splitting, trailing backslashes and the shortened display form.
#include "archive/PathRoutines.h"

#include <gtest/gtest.h>
#include <string>

namespace vexo::archive {
namespace {

TEST(TrailingBackslash, AddAndRemove) {
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("C:\\A"), "C:\\A\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\A\\"), "C:\\A\\");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\A\\"), "C:\\A");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\A\\\\"), "C:\\A\\");
    EXPECT_EQ(WithoutTrailingBackslash(""), "");
}

struct SplitCase {
    const char* path;
    const char* drive;
    const char* dir;
    const char* name;
    const char* ext;
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, AsTheClassLibrary) {
    const auto& c = GetParam();
    EXPECT_EQ(ExtractFileDrive(c.path), c.drive);
    EXPECT_EQ(ExtractFilePath(c.path), c.dir);
    EXPECT_EQ(ExtractFileName(c.path), c.name);
    EXPECT_EQ(ExtractFileExt(c.path), c.ext);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Split,
    ::testing::Values(SplitCase{"C:\\VEXO\\DALVO.EXE", "C:", "C:\\VEXO\\", "DALVO.EXE", ".EXE"},
                      SplitCase{"\\\\srv\\share\\dir\\a.b.c", "\\\\srv\\share",
                                "\\\\srv\\share\\dir\\", "a.b.c", ".c"},
                      SplitCase{"\\\\srv\\share", "\\\\srv\\share", "\\\\srv\\", "share", ""},
                      SplitCase{"C:name.txt", "C:", "C:", "name.txt", ".txt"},
                      SplitCase{"dir.d\\noext", "", "dir.d\\", "noext", ""},
                      SplitCase{"", "", "", "", ""}));

TEST(IsExeFile, ExtensionUpperCased) {
    EXPECT_TRUE(IsExeFile("C:\\a\\ZPX10.EXE"));
    EXPECT_TRUE(IsExeFile("zpx10.exe"));
    EXPECT_FALSE(IsExeFile("ZPX10.EXE.BAK"));
    EXPECT_FALSE(IsExeFile("C:\\a.exe\\file"));
}

TEST(ShortenPath, ShorterThanMaxUnchanged) {
    std::string p = "C:\\dir\\" + std::string(49 - 7, 'a');
    ASSERT_EQ(p.size(), 49u);
    EXPECT_EQ(ShortenPath(p, 50), p);
}

TEST(ShortenPath, ExactlyMaxIsShortened) {
    std::string p = "C:\\first\\middle\\last\\" + std::string(50 - 21, 'n');
    ASSERT_EQ(p.size(), 50u);
    std::string s = ShortenPath(p, 50);
    EXPECT_NE(s, p);
    EXPECT_LT(s.size(), 50u);
    EXPECT_EQ(s, "C:\\first\\...\\last\\" + std::string(29, 'n'));
}

TEST(ShortenPath, LongNameKeepsFirst47AndDots) {
    std::string name;
    for (int i = 0; i < 60; ++i)
        name += static_cast<char>('a' + i % 26);
    std::string s = ShortenPath("C:\\dir\\" + name, 50);
    EXPECT_EQ(s, name.substr(0, 47) + "...");
    EXPECT_EQ(s.size(), 50u);
}

struct ShortCase {
    std::string path;
    std::string expected;
};

class ShortenForms : public ::testing::TestWithParam<ShortCase> {};

TEST_P(ShortenForms, FirstFittingForm) {
    EXPECT_EQ(ShortenPath(GetParam().path, 50), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ShortenForms,
    ::testing::Values(
        // One directory only: nothing to keep around the dots.
        ShortCase{"C:\\" + std::string(30, 'd') + "\\" + std::string(20, 'f'),
                  "C:\\...\\" + std::string(20, 'f')},
        // First directory too long to fit with the last: drop the first.
        ShortCase{"C:\\" + std::string(20, 'a') + "\\m\\zz\\" + std::string(24, 'f'),
                  "C:\\...\\zz\\" + std::string(24, 'f')},
        // Last directory too long: keep the first.
        ShortCase{"C:\\ab\\m\\" + std::string(20, 'z') + "\\" + std::string(24, 'f'),
                  "C:\\ab\\...\\" + std::string(24, 'f')},
        // Neither fits.
        ShortCase{"C:\\" + std::string(20, 'a') + "\\m\\" + std::string(20, 'z') + "\\" +
                      std::string(30, 'f'),
                  "C:\\...\\" + std::string(30, 'f')},
        // No drive.
        ShortCase{"\\" + std::string(10, 'a') + "\\" + std::string(10, 'b') + "\\" +
                      std::string(10, 'c') + "\\" + std::string(20, 'f'),
                  std::string(10, 'a') + "\\...\\" + std::string(10, 'c') + "\\" +
                      std::string(20, 'f')}));

} // namespace
} // namespace vexo::archive
