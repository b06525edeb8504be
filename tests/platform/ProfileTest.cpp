// ProfileTest.cpp - private-profile reading, one row per rule of GetPrivateProfileStringA.
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

using namespace vexo::platform;

TEST(Profile, SemanticsTable) {
    const std::string longValue(5000, 'x');
    struct Case {
        const char* what;
        std::string text;
        const char* section;
        const char* key;
        const char* def;
        std::string expected;
    } cases[] = {
        {"plain value", "[PATH]\nPATHDATOS=D:\\EMPRESAS\\DATOS\n", "PATH", "PATHDATOS", "d",
         "D:\\EMPRESAS\\DATOS"},
        {"CRLF lines", "[PATH]\r\nA=1\r\nB=2\r\n", "PATH", "B", "d", "2"},
        {"section case", "[path]\nA=1\n", "PATH", "A", "d", "1"},
        {"key case", "[PATH]\npathDatos=1\n", "PATH", "PATHDATOS", "d", "1"},
        {"spaces around =", "[PATH]\n  A   =   v w  \n", "PATH", "A", "d", "v w"},
        {"tabs and ^Z trimmed", "[PATH]\n\tA=v\t\x1A\n", "PATH", "A", "d", "v"},
        {"requested names trimmed", "[PATH]\nA=1\n", "  PATH ", " A ", "d", "1"},
        {"double quotes removed", "[S]\nK=\"C:\\Program Files\\\"\n", "S", "K", "d",
         "C:\\Program Files\\"},
        {"single quotes removed", "[S]\nK='x y'\n", "S", "K", "d", "x y"},
        {"one pair only", "[S]\nK=\"\"a\"\"\n", "S", "K", "d", "\"a\""},
        {"unmatched quote kept", "[S]\nK=\"abc\n", "S", "K", "d", "\"abc"},
        {"mixed quotes kept", "[S]\nK=\"abc'\n", "S", "K", "d", "\"abc'"},
        {"lone quote kept", "[S]\nK=\"\n", "S", "K", "d", "\""},
        {"inline ; stays", "[S]\nK=value ; comment\n", "S", "K", "d", "value ; comment"},
        {"# not special", "[S]\n#K=1\nK=#2\n", "S", "K", "d", "#2"},
        {"# key found", "[S]\n#K=1\n", "S", "#K", "d", "1"},
        {"; comment line", "[S]\n;K=1\nK=2\n", "S", "K", "d", "2"},
        {"indented ; comment", "[S]\n   ;K=1\n", "S", ";K", "d", "d"},
        {"section up to last ]", "[A]B]\nK=1\n", "A]B", "K", "d", "1"},
        {"text after the last ] ignored", "[S] trailing\nK=1\n", "S", "K", "d", "1"},
        {"colon not a separator", "[S]\nC:\\a=b\n", "S", "C:\\a", "d", "b"},
        {"first = splits", "[S]\nK=a=b\n", "S", "K", "d", "a=b"},
        {"first matching key wins", "[S]\nK=1\nk=2\n", "S", "K", "d", "1"},
        {"only the first section", "[S]\nA=1\n[T]\n[s]\nK=2\n", "S", "K", "d", "d"},
        {"later other section not read", "[S]\nA=1\n[T]\nK=3\n", "S", "K", "d", "d"},
        {"line without = ignored", "[S]\nK\nK=1\n", "S", "K", "d", "1"},
        {"indented line not a continuation", "[S]\nK=1\n  more\n", "S", "K", "d", "1"},
        {"empty value", "[S]\nK=\n", "S", "K", "d", ""},
        {"empty quoted value", "[S]\nK=\"\"\n", "S", "K", "d", ""},
        {"long line", "[S]\nK=" + longValue + "\n", "S", "K", "d", longValue},
        {"no final newline", "[S]\nK=1", "S", "K", "d", "1"},
        {"missing section", "[S]\nK=1\n", "T", "K", "def", "def"},
        {"missing key", "[S]\nK=1\n", "S", "X", "def", "def"},
        {"key before any section", "K=1\n[S]\n", "S", "K", "def", "def"},
        {"default trailing spaces cut", "", "S", "K", "C:\\VEXO  ", "C:\\VEXO"},
        {"UTF-8 mark skipped", "\xEF\xBB\xBF[S]\nK=N\xC3\xB3minas\n", "S", "K", "d", "N\xF3minas"},
        {"ANSI bytes kept", "[S]\nK=N\xF3minas\n", "S", "K", "d", "N\xF3minas"},
        {"UTF-16 mark", std::string("\xFF\xFE[\0S\0]\0\n\0K\0=\0\xF3\0\n\0", 18), "S", "K", "d",
         "\xF3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileStringFromText(c.text, c.section, c.key, c.def), c.expected) << c.what;
}

TEST(Profile, ReadsFilesAndDefaultsForMissingOnes) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\Programa"));
    {
        auto s = OpenFile("C:\\Programa\\DALVO.INI", OpenMode::Create);
        std::string text = "[PATH]\r\nPATHNOMIASTO=D:\\Asientos N\xF3minas\r\n";
        s->WriteBuffer(text.data(), text.size());
    }
    EXPECT_EQ(ReadProfileString("C:\\PROGRAMA\\dalvo.ini", "PATH", "PATHNOMIASTO", "d"),
              W1252("D:\\Asientos Nóminas"));
    EXPECT_EQ(ReadProfileString("C:\\Programa\\NONE.INI", "PATH", "PATHDATOS", "C:\\X\\"),
              "C:\\X\\");
    EXPECT_EQ(ReadProfileString("Q:\\DALVO.INI", "PATH", "PATHDATOS", "x"), "x");
    EXPECT_EQ(ReadProfileString("C:\\Programa", "PATH", "PATHDATOS", "x"), "x"); // a directory
}
