// ShellTest.cpp - special folders and shell links, checked against an independent reader.
#include "platform/Shell.h"
#include "platform/Encoding.h"
#include "platform/EnvironmentVariables.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ScopedTestPrefix.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <thread>

using namespace vexo::platform;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool HaveLnkinfo() {
    return std::system("command -v lnkinfo >/dev/null 2>&1") == 0;
}

// The value of "Name : value" lines in lnkinfo's output.
std::map<std::string, std::string> Lnkinfo(const std::string& host) {
    std::map<std::string, std::string> fields;
    std::string cmd = "lnkinfo '" + host + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    if (!pipe) return fields;
    std::array<char, 4096> line{};
    while (fgets(line.data(), line.size(), pipe.get())) {
        std::string s = line.data();
        auto colon = s.find(':');
        if (colon == std::string::npos) continue;
        auto trim = [](std::string t) {
            t.erase(0, t.find_first_not_of(" \t"));
            t.erase(t.find_last_not_of(" \t\r\n") + 1);
            return t;
        };
        fields.emplace(trim(s.substr(0, colon)), trim(s.substr(colon + 1)));
    }
    return fields;
}

const std::string kDescription = W1252("Los Programas Vexo están especialmente diseñados para no "
                                       "causar ningún daño a la capa de ozono");

} // namespace

TEST(SpecialFolders, PlacesInsideThePrefix) {
    ScopedTestPrefix prefix;
#ifdef _WIN32
    // The shell's own folders: VEXO_USER names the user only, the profile is the system's.
    const std::string profile = Utf8ToCp1252(GetEnv("USERPROFILE").value_or(""));
    const std::string roaming = Utf8ToCp1252(GetEnv("APPDATA").value_or(""));
    const std::string common = Utf8ToCp1252(GetEnv("ProgramData").value_or(""));
#else
    // Where Wine puts them in a new prefix, for the user VEXO_USER names.
    const std::string profile = "C:\\users\\tester";
    const std::string roaming = profile + "\\AppData\\Roaming";
    const std::string common = "C:\\ProgramData";
#endif
    struct Case {
        int csidl;
        std::string path;
    } cases[] = {
        {CSIDL_DESKTOPDIRECTORY, profile + "\\Desktop"},
        {CSIDL_COMMON_STARTMENU, common + "\\Microsoft\\Windows\\Start Menu"},
        {CSIDL_COMMON_PROGRAMS, common + "\\Microsoft\\Windows\\Start Menu\\Programs"},
        {CSIDL_STARTMENU, roaming + "\\Microsoft\\Windows\\Start Menu"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.path.rfind("C:\\", 0), 0u) << c.path;
        EXPECT_EQ(SpecialFolderPath(c.csidl), c.path);
        // Made in the prefix's drive C:, not on the system's.
        std::string host = "drive_c/" + Cp1252ToUtf8(c.path.substr(3));
        std::replace(host.begin(), host.end(), '\\', '/');
        EXPECT_TRUE(fs::is_directory(prefix.Host(host))) << host;
    }
    EXPECT_EQ(SpecialFolderPath(0x7F), "");
}

TEST(ShellLink, WriteThenReadBack) {
    ScopedTestPrefix prefix;
    const std::string desktop = SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    ShellLink link{"C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "C:\\VEXO\\DALVO\\Programa\\",
                   kDescription};
    WriteShellLink(desktop + "\\DalvoVexo.lnk", link);
    auto back = ReadShellLink(desktop + "\\DALVOVEXO.LNK");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, link.target);
    EXPECT_EQ(back->workingDirectory, link.workingDirectory);
    EXPECT_EQ(back->description, kDescription);
    EXPECT_EQ(back->networkTarget, "");

    // An existing link is replaced; empty fields are left out.
    WriteShellLink(desktop + "\\DalvoVexo.lnk", ShellLink{"D:\\N\xF3minas\\X.EXE", "", ""});
    back = ReadShellLink(desktop + "\\DalvoVexo.lnk");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, "D:\\N\xF3minas\\X.EXE");
    EXPECT_EQ(back->workingDirectory, "");
    EXPECT_EQ(back->description, "");

    EXPECT_FALSE(ReadShellLink(desktop + "\\missing.lnk"));
    EXPECT_THROW(WriteShellLink("Q:\\x.lnk", link), PlatformError);
}

TEST(ShellLink, IndependentReaderAgrees) {
    if (!HaveLnkinfo()) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
    ScopedTestPrefix prefix;
    const std::string target = W1252("C:\\VEXO\\DALVO\\Asientos Nóminas\\DALVO.EXE");
    const std::string workdir = W1252("C:\\VEXO\\DALVO\\Asientos Nóminas\\");
    WriteShellLink("C:\\check.lnk", ShellLink{target, workdir, kDescription});
    auto fields = Lnkinfo(prefix.Host("drive_c/check.lnk"));
    EXPECT_EQ(fields["Local path"], Cp1252ToUtf8(target));
    EXPECT_EQ(fields["Working directory"], Cp1252ToUtf8(workdir));
    EXPECT_EQ(fields["Description"], Cp1252ToUtf8(kDescription));
}

TEST(ShellLink, FixturesFromAnotherWriter) {
    ScopedTestPrefix prefix;
    fs::copy_file(VEXO_TEST_DATA_DIR "/lnk/idlist.lnk", prefix.Host("drive_c/idlist.lnk"));
    fs::copy_file(VEXO_TEST_DATA_DIR "/lnk/unicode-net.lnk",
                  prefix.Host("drive_c/unicode-net.lnk"));

    auto idlist = ReadShellLink("C:\\IDLIST.LNK");
    ASSERT_TRUE(idlist);
    EXPECT_EQ(idlist->target, "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE");
    EXPECT_EQ(idlist->workingDirectory, "C:\\VEXO\\DALVO\\Programa\\");
    EXPECT_EQ(idlist->description, "Enlace con lista de elementos");

    auto net = ReadShellLink("C:\\unicode-net.lnk");
    ASSERT_TRUE(net);
    EXPECT_EQ(net->target, W1252("D:\\Datos\\Asientos Nóminas\\NOM.EXE"));
    EXPECT_EQ(net->networkTarget, W1252("\\\\SERVIDOR\\VEXO\\Asientos Nóminas\\NOM.EXE"));
    EXPECT_EQ(net->workingDirectory, "D:\\Datos\\");
    EXPECT_EQ(net->description, W1252("Asientos Nóminas"));
}

TEST(ShellLink, DamagedBytesNeverCrash) {
    ScopedTestPrefix prefix;
    ShellLink link{"C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "C:\\VEXO\\", kDescription};
    WriteShellLink("C:\\a.lnk", link);
    const auto good = ReadHostFile(prefix.Host("drive_c/a.lnk"));
    ASSERT_TRUE(ParseShellLink(good.data(), good.size()));
    // Every truncation fails cleanly; the terminal block is the only optional part.
    for (std::size_t n = 0; n + 4 < good.size(); ++n) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(ParseShellLink(cut.data(), cut.size())) << n;
    }
    // Corrupting each byte in turn must not read outside the buffer (run under ASan too).
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t v : {0x00, 0x7F, 0xFF}) {
            auto bad = good;
            bad[i] = v;
            auto parsed = ParseShellLink(bad.data(), bad.size());
            if (parsed) {
                EXPECT_LE(parsed->target.size(), bad.size());
            }
        }
    }
    EXPECT_FALSE(ParseShellLink(nullptr, 0));
    std::vector<std::uint8_t> notLink(200, 0x41);
    EXPECT_FALSE(ParseShellLink(notLink.data(), notLink.size()));
}

TEST(ShellLink, CountedStringsStopAtTheirNul) {
    // Wine's shell counts the terminating NUL of each string; readers of C strings stop there.
    std::vector<std::uint8_t> bytes = {0x4C, 0, 0,    0, 0x01, 0x14, 0x02, 0, 0, 0,
                                       0,    0, 0xC0, 0, 0,    0,    0,    0, 0, 0x46};
    bytes.resize(0x4C);
    bytes[0x14] = 0x04 | 0x10 | 0x80; // a description and a working directory, in UTF-16
    for (const char* text : {"Abc", "C:\\W\\"}) {
        const std::string s(text);
        bytes.push_back(static_cast<std::uint8_t>(s.size() + 1));
        bytes.push_back(0);
        for (char c : s + '\0') {
            bytes.push_back(static_cast<std::uint8_t>(c));
            bytes.push_back(0);
        }
    }
    bytes.resize(bytes.size() + 4);
    auto link = ParseShellLink(bytes.data(), bytes.size());
    ASSERT_TRUE(link);
    EXPECT_EQ(link->description, "Abc");
    EXPECT_EQ(link->workingDirectory, "C:\\W\\");
}

TEST(ShellLink, WhatIsNoLinkReadsAsNothing) {
    ScopedTestPrefix prefix;
    ASSERT_TRUE(CreateDirectory("C:\\folder.lnk"));
    std::ofstream(prefix.Host("drive_c/text.lnk")) << "not a shell link";
    std::ofstream(prefix.Host("drive_c/empty.lnk"));
    for (const char* path : {"C:\\missing.lnk", "C:\\folder.lnk", "C:\\text.lnk", "C:\\empty.lnk",
                             "C:\\nowhere\\x.lnk"})
        EXPECT_FALSE(ReadShellLink(path)) << path;
}

TEST(ShellLink, FailedWriteRaisesAndLeavesNoFile) {
    ScopedTestPrefix prefix;
    const ShellLink link{"C:\\VEXO\\DALVO.EXE", "", ""};
    try {
        WriteShellLink("C:\\nowhere\\x.lnk", link);
        ADD_FAILURE() << "no error raised";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Code(), kErrorPathNotFound);
    }
    EXPECT_FALSE(FileExists("C:\\nowhere\\x.lnk"));
    // A folder of the link's name stays as it is.
    ASSERT_TRUE(CreateDirectory("C:\\taken.lnk"));
    EXPECT_THROW(WriteShellLink("C:\\taken.lnk", link), PlatformError);
    EXPECT_TRUE(DirectoryExists("C:\\taken.lnk"));
}

TEST(ShellLink, WrittenAndReadOnAnotherThread) {
    ScopedTestPrefix prefix;
    const ShellLink link{"C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "C:\\VEXO\\", kDescription};
    std::optional<ShellLink> back;
    std::thread worker([&] {
        WriteShellLink("C:\\thread.lnk", link);
        back = ReadShellLink("C:\\thread.lnk");
    });
    worker.join();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->target, link.target);
    EXPECT_EQ(back->description, kDescription);
    // The link made there reads here too.
    auto here = ReadShellLink("C:\\thread.lnk");
    ASSERT_TRUE(here);
    EXPECT_EQ(here->workingDirectory, link.workingDirectory);
}

TEST(ShellLink, RelativeTargetNamesAFileBesideTheLink) {
    ScopedTestPrefix prefix;
    // A link holding a relative path only (flags: relative path, Unicode strings).
    std::vector<std::uint8_t> bytes = {0x4C, 0, 0,    0, 0x01, 0x14, 0x02, 0, 0, 0,
                                       0,    0, 0xC0, 0, 0,    0,    0,    0, 0, 0x46};
    bytes.resize(0x4C);
    bytes[0x14] = 0x08 | 0x80;
    const std::string relative = "sub\\PROG.EXE";
    bytes.push_back(static_cast<std::uint8_t>(relative.size()));
    bytes.push_back(0);
    for (char c : relative) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    bytes.resize(bytes.size() + 4);
    ASSERT_TRUE(CreateDirectory("C:\\Links"));
    {
        std::ofstream out(prefix.Host("drive_c/Links/rel.lnk"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    auto link = ReadShellLink("C:\\Links\\rel.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, "C:\\Links\\sub\\PROG.EXE");
}
