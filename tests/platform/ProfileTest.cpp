// ProfileTest.cpp - private-profile reading, one row per rule of GetPrivateProfileStringA.
#include "ProfileCases.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

using namespace vexo::platform;

TEST(Profile, SemanticsTable) {
    for (const auto& c : vexo::test::ProfileRuleCases())
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
