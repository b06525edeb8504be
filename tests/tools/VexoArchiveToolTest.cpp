// VexoArchiveToolTest.cpp - runs the built vexo-archive: round trips and damaged input.
#include "archive/Format.h"
#include "archive/Real48.h"
#include "archive/StreamIO.h"
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"
#include "platform/Shell.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vexo::test::Slurp;
using Args = std::vector<std::string>;

namespace {

using ToolRun = vexo::test::ProgramResult;

class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-tool");
        dir_ = temp_->Path();
    }
    void TearDown() override { temp_.reset(); }

    // Temporary files (of solid archives) go inside the test's directory: on Linux through a
    // prefix of its own, on Windows through TMP (the test's directory lies on drive C:, which a
    // prefix would hide).
    ToolRun Tool(Args args) {
        args.insert(args.begin(), VEXO_ARCHIVE_TOOL);
        vexo::test::ProgramOptions options;
        if (vexo::test::kWindowsHost) {
            fs::create_directories(Scratch());
            options.environment.emplace_back("TMP", P(Scratch()));
            options.environment.emplace_back("TEMP", P(Scratch()));
        } else {
            options.environment.emplace_back("VEXO_PREFIX", P(Scratch()));
        }
        return vexo::test::RunProgram(args, options);
    }

    fs::path Write(const std::string& rel, const std::string& bytes) {
        fs::path p = dir_ / vexo::test::FsPath(rel);
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

    std::string P(const fs::path& p) { return vexo::test::Utf8Path(p); }
    fs::path Scratch() const { return dir_ / "scratch"; }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path dir_;
};

TEST_F(ToolTest, BuildInfoRoundTripsEveryHeaderField) {
    Write("src/a.txt", std::string(100000, 'a'));
    ToolRun b = Tool({"build", "--out", P(dir_ / "p.vxa"), "--comment", "Versión de prueba",
                      "--package-version", "10.05", "--package-code", "1962503", "--package-date",
                      "2009-02-12", "--product-code", "VIZUVE", "--archive-id", "6830156",
                      "--block-size", "4096", P(dir_ / "src")});
    ASSERT_EQ(b.status, 0) << b.err;
    ToolRun i = Tool({"info", "--json", P(dir_ / "p.vxa")});
    ASSERT_EQ(i.status, 0) << i.err;
    char version[40];
    std::snprintf(version, sizeof version, "%.17g", vexo::archive::RoundToReal48(10.05));
    for (std::string field :
         {std::string("\"archiveStart\": 0"), std::string("\"signature\": 4664"),
          std::string("\"version\": 1"), std::string("\"archiveId\": 6830156"),
          std::string("\"blockSize\": 4096"),
          "\"endOffset\": " + std::to_string(fs::file_size(dir_ / "p.vxa")),
          std::string("\"segment\": 1"), std::string("\"flags\": 18"),
          std::string("\"files\": 1, \"uncompressed\": 100000"),
          std::string("\"comment\": \"Versión de prueba\""),
          "\"packageVersion\": " + std::string(version), std::string("\"packageCode\": 1962503"),
          std::string("\"packageDate\": \"2009-02-12\""),
          std::string("\"productCode\": \"VIZUVE\"")})
        EXPECT_NE(i.out.find(field), std::string::npos) << field << "\n" << i.out;
    EXPECT_NE(i.out.find("\"headerSize\": " +
                         std::to_string(325 + std::string("Versión de prueba").size() - 1)),
              std::string::npos)
        << i.out; // "ó" is one byte on disk
}

TEST_F(ToolTest, ManifestWithAccentedNamesListsEveryField) {
    Write("tree/AÑO/Información.TXT", "datos\r\n");
    Write("tree/b.bin", std::string(70000, 'b'));
    Write("MANIFEST", "# test\n"
                      "D DATOS\\AÑO\\Información.TXT => tree/AÑO/Información.TXT\n"
                      "N b.bin => tree/b.bin\n"
                      "R VACÍA\\\n");
    ToolRun b =
        Tool({"build", "--store", "--out", P(dir_ / "p.vxa"), "--manifest", P(dir_ / "MANIFEST")});
    ASSERT_EQ(b.status, 0) << b.err;
    ToolRun l = Tool({"list", "--json", P(dir_ / "p.vxa")});
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_NE(l.out.find("{\"name\": \"DATOS\\\\AÑO\\\\Información.TXT\""), std::string::npos)
        << l.out;
    EXPECT_NE(l.out.find("\"installRule\": \"D\""), std::string::npos);
    EXPECT_NE(l.out.find("\"name\": \"b.bin\""), std::string::npos);
    // Stored: two blocks of 65536 and 4464 bytes plus their heads.
    EXPECT_NE(l.out.find("\"fileSize\": 70000, \"fileStoredSize\": 70016, \"pieceSize\": 70000, "
                         "\"pieceStoredSize\": 70016"),
              std::string::npos)
        << l.out;
    EXPECT_NE(l.out.find("\"name\": \"VACÍA\""), std::string::npos);
    EXPECT_NE(l.out.find("\"flags\": 7"), std::string::npos);
    EXPECT_NE(l.out.find("\"offset\": 325,"), std::string::npos);
    EXPECT_NE(l.out.find("\"startPosition\": 0"), std::string::npos);
    EXPECT_NE(l.out.find("\"segment\": 1"), std::string::npos);
    EXPECT_NE(l.out.find("\"attributes\": 32"), std::string::npos);

    // The stored name on disk is Windows-1252: "Ñ" is the single byte 0xD1.
    std::string bytes = Slurp(dir_ / "p.vxa");
    EXPECT_NE(bytes.find("DATOS\\A\xD1O\\Informaci\xF3n.TXT"), std::string::npos);
}

TEST_F(ToolTest, SelfExtractingFileIsFoundThroughItsLocator) {
    Write("stub.bin", std::string(3000, 'M'));
    Write("src/x.txt", "x");
    ToolRun b = Tool({"build", "--out", P(dir_ / "ZPX10.EXE"), "--stub", P(dir_ / "stub.bin"),
                      "--tag-size", "477", P(dir_ / "src")});
    ASSERT_EQ(b.status, 0) << b.err;
    std::string bytes = Slurp(dir_ / "ZPX10.EXE");
    EXPECT_NE(bytes.find("<TD>INSTALAR.EXE"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 8, 4), "\x15\xCD\x5B\x07");
    EXPECT_EQ(vexo::archive::GetInt32At(reinterpret_cast<const std::uint8_t*>(bytes.data()) +
                                        bytes.size() - 4),
              3477);
    ToolRun i = Tool({"info", "--json", P(dir_ / "ZPX10.EXE")});
    ASSERT_EQ(i.status, 0) << i.err;
    EXPECT_NE(i.out.find("\"archiveStart\": 3477"), std::string::npos);
    // The same bytes under another name are read from offset 0: no archive there.
    fs::copy_file(dir_ / "ZPX10.EXE", dir_ / "ZPX10.BIN");
    ToolRun other = Tool({"info", P(dir_ / "ZPX10.BIN")});
    EXPECT_EQ(other.status, 1);
}

// A stub with room in its version strings gets both sizes written there, and --sfx-info finds
// the archive through them even when the locator is gone; a stub without them has no start.
TEST_F(ToolTest, StubVersionStringsCarryTheSizes) {
    Write("src/x.txt", std::string(5000, 'x'));
    const std::string stub = VEXO_TEST_DATA_DIR "/pe/sfxstub.exe";
    ToolRun b = Tool({"build", "--out", P(dir_ / "ZPX10.EXE"), "--stub", stub, "--tag-size", "477",
                      P(dir_ / "src")});
    ASSERT_EQ(b.status, 0) << b.err;
    std::string bytes = Slurp(dir_ / "ZPX10.EXE");
    auto info = vexo::platform::ParseVersionInfo(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->strings.at("0C0A04E4").at("SFXCodeSize"), "0000015872");
    EXPECT_EQ(info->strings.at("0C0A04E4").at("TagInfoSize"), "0000000477");
    // Only the digits changed: the rest of the program is the stub's.
    const std::string original = Slurp(vexo::test::FsPath(stub));
    std::size_t differing = 0;
    for (std::size_t i = 0; i < original.size(); ++i)
        differing += original[i] != bytes[i];
    EXPECT_EQ(differing, 8u); // "15872" and "477" over zeros

    Write("NOLOC.EXE", bytes.substr(0, bytes.size() - 8));
    EXPECT_EQ(Tool({"info", P(dir_ / "NOLOC.EXE")}).status, 1);
    ToolRun i = Tool({"info", "--json", "--sfx-info", P(dir_ / "NOLOC.EXE")});
    ASSERT_EQ(i.status, 0) << i.err;
    EXPECT_NE(i.out.find("\"archiveStart\": 16349,"), std::string::npos) << i.out;
    EXPECT_NE(i.out.find("\"kind\": \"single\""), std::string::npos) << i.out;
    for (Args args : {Args{"list", "--sfx-info"}, Args{"test", "--sfx-info"},
                      Args{"extract", "--sfx-info", "-o", P(dir_ / "out")}}) {
        args.insert(args.begin() + 1, P(dir_ / "NOLOC.EXE"));
        ToolRun r = Tool(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(Slurp(dir_ / "out" / "x.txt"), std::string(5000, 'x'));

    Write("plain.bin", std::string(3000, 'M'));
    ASSERT_EQ(Tool({"build", "--out", P(dir_ / "PLAIN.EXE"), "--stub", P(dir_ / "plain.bin"),
                    P(dir_ / "src")})
                  .status,
              0);
    ToolRun plain = Tool({"list", "--sfx-info", P(dir_ / "PLAIN.EXE")});
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.err.find("Firma Erronea"), std::string::npos) << plain.err;
    EXPECT_EQ(Tool({"list", P(dir_ / "PLAIN.EXE")}).status, 0);
}

TEST_F(ToolTest, BadSignatureNamesTheFile) {
    fs::path p = Write("junk.vxa", std::string(600, 'j'));
    ToolRun r = Tool({"info", P(p)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Firma Erronea: el archivo \"" + P(p) + "\" no es valido\n");
}

std::vector<std::uint8_t> HeaderBytes(std::int32_t version) {
    vexo::archive::TArchiveHeader h;
    h.Version = version;
    h.BlockSize = 65536;
    h.EndOffset = 325;
    h.Segment = 1;
    vexo::platform::MemoryStream s;
    vexo::archive::WriteHeader(s, h);
    return s.Bytes();
}

TEST_F(ToolTest, VersionTwoIsUnknown) {
    auto s = HeaderBytes(2);
    fs::path p = Write("v2.vxa", std::string(s.begin(), s.end()));
    ToolRun r = Tool({"list", P(p)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Versión desconocida\n");
}

TEST_F(ToolTest, ShortFileIsAReadError) {
    auto s = HeaderBytes(1);
    fs::path p = Write("short.vxa", std::string(s.begin(), s.begin() + 200));
    ToolRun r = Tool({"info", P(p)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Stream read error\n");
}

TEST_F(ToolTest, DamagedNameLengthIsRefused) {
    Write("src/a.txt", "abc");
    ASSERT_EQ(Tool({"build", "--out", P(dir_ / "p.vxa"), P(dir_ / "src")}).status, 0);
    std::string bytes = Slurp(dir_ / "p.vxa");
    for (std::int32_t length : {-7, 0x7FFFFFF0}) {
        std::string damaged = bytes;
        vexo::archive::PutInt32At(reinterpret_cast<std::uint8_t*>(damaged.data()) + 325, length);
        fs::path p = Write("bad.vxa", damaged);
        ToolRun r = Tool({"list", "--json", P(p)});
        EXPECT_EQ(r.status, 1) << length;
        EXPECT_NE(r.err.find("Stream read error"), std::string::npos) << r.err;
    }
}

// "info --json": the raw header of the file given at the top, as it always was; "opened" holds
// the header the extractor reads once the archive is open.
struct InfoSections {
    std::string raw, opened;
};

InfoSections SplitInfo(const std::string& out) {
    const std::size_t at = out.find("\"opened\": {");
    if (at == std::string::npos) return {out, ""};
    return {out.substr(0, at), out.substr(at)};
}

struct OpenedCase {
    const char* name;
    Args buildOptions;
    const char* infoFile; // relative to the test's directory
    const char* kind;
    const char* rawTotals;    // the totals of the file given
    const char* openedTotals; // the totals the extractor reads
};

class InfoOpened : public ToolTest, public ::testing::WithParamInterface<OpenedCase> {};

TEST_P(InfoOpened, ShowsWhatTheExtractorReadsBesideTheRawHeader) {
    const OpenedCase& c = GetParam();
    Write("src/a.txt", std::string(40000, 'a'));
    Write("src/b.bin", std::string(30000, 'b'));
    Write("src/c.txt", "c");
    Args build{"build",          "--block-size", "4096",  "--store",
               "--product-code", "DALVO",        "--out", P(dir_ / "DISK-1.ARC")};
    build.insert(build.end(), c.buildOptions.begin(), c.buildOptions.end());
    build.push_back(P(dir_ / "src"));
    ToolRun b = Tool(build);
    ASSERT_EQ(b.status, 0) << b.err;
    ToolRun i = Tool({"info", "--json", P(dir_ / c.infoFile)});
    ASSERT_EQ(i.status, 0) << i.err;
    const InfoSections s = SplitInfo(i.out);
    EXPECT_NE(s.raw.find(std::string("\"archiveInfo\": ") + c.rawTotals), std::string::npos)
        << i.out;
    EXPECT_NE(s.opened.find(std::string("\"kind\": \"") + c.kind + "\""), std::string::npos)
        << i.out;
    EXPECT_NE(s.opened.find(std::string("\"archiveInfo\": ") + c.openedTotals), std::string::npos)
        << i.out;
    // Package values as the installer reads them, from the header it holds.
    EXPECT_NE(s.opened.find("\"productCode\": \"DALVO\""), std::string::npos) << i.out;
    // Opening a solid archive unpacks it; closing removes the unpacked copy again.
    if (fs::exists(Scratch())) {
        for (const auto& e : fs::recursive_directory_iterator(Scratch()))
            EXPECT_EQ(e.path().filename().string().find("~Archiv-"), std::string::npos);
    }
}

// Stored, 4,096-byte blocks: a.txt takes 10 blocks (40,080 bytes), b.bin 8 (30,064), c.txt 1 (9).
INSTANTIATE_TEST_SUITE_P(
    Kinds, InfoOpened,
    ::testing::Values(OpenedCase{"Single",
                                 {},
                                 "DISK-1.ARC",
                                 "single",
                                 "{\"files\": 3, \"uncompressed\": 70001, \"stored\": 70153}",
                                 "{\"files\": 3, \"uncompressed\": 70001, \"stored\": 70153}"},
                      // The first segment's header was never brought up to date: the final one has
                      // the whole archive's totals.
                      OpenedCase{"SegmentedFromTheFirst",
                                 {"--segment-size", "30000"},
                                 "DISK.ARC",
                                 "segmented",
                                 "{\"files\": 1, ",
                                 "{\"files\": 3, \"uncompressed\": 70001, \"stored\": 70153}"},
                      OpenedCase{"SegmentedFromTheLast",
                                 {"--segment-size", "30000"},
                                 "DISK.002",
                                 "segmented",
                                 "{\"files\": 3, \"uncompressed\": 70001, \"stored\": 70153}",
                                 "{\"files\": 3, \"uncompressed\": 70001, \"stored\": 70153}"},
                      // The file holds one entry, the archive inside it the three files.
                      OpenedCase{"Solid",
                                 {"--solid"},
                                 "DISK-1.ARC",
                                 "solid",
                                 "{\"files\": 1, ",
                                 "{\"files\": 3, \"uncompressed\": 70001, \"stored\": 70153}"}),
    [](const ::testing::TestParamInfo<OpenedCase>& row) { return std::string(row.param.name); });

TEST_F(ToolTest, InfoTextKeepsItsLinesAndAddsTheOpenedSection) {
    Write("src/a.txt", std::string(40000, 'a'));
    ASSERT_EQ(Tool({"build", "--solid", "--out", P(dir_ / "s.vxa"), P(dir_ / "src")}).status, 0);
    ToolRun i = Tool({"info", P(dir_ / "s.vxa")});
    ASSERT_EQ(i.status, 0) << i.err;
    // The raw header's lines come first, in their old order and form.
    EXPECT_EQ(i.out.rfind("archive start:   0\nsignature:       4664\n", 0), 0u) << i.out;
    EXPECT_NE(i.out.find("\nflags:           0x16\n"), std::string::npos) << i.out;
    EXPECT_NE(i.out.find("\nopened as:       solid archive: the header of the archive inside "
                         "it\n  signature:       4664\n"),
              std::string::npos)
        << i.out;
    EXPECT_NE(i.out.find("\n  flags:           0x12\n"), std::string::npos) << i.out;
}

TEST_F(ToolTest, InfoOnASegmentThatCannotBeFoundShowsTheRawHeaderAndFails) {
    Write("src/a.txt", std::string(70000, 'a'));
    ASSERT_EQ(Tool({"build", "--store", "--block-size", "4096", "--segment-size", "30000", "--out",
                    P(dir_ / "D.ARC"), P(dir_ / "src")})
                  .status,
              0);
    fs::remove(dir_ / "D.001");
    ToolRun i = Tool({"info", "--json", P(dir_ / "D.ARC")});
    EXPECT_EQ(i.status, 1);
    const InfoSections s = SplitInfo(i.out);
    EXPECT_NE(s.raw.find("\"segment\": 1,"), std::string::npos) << i.out;
    EXPECT_EQ(s.opened, "\"opened\": {\n    \"error\": \"cancelled\"\n  }\n}\n");
}

// The compressing threads change nothing in the files written, in any kind of build.
TEST_F(ToolTest, BuildsAreTheSameWithOneTwoAndFourThreads) {
    Write("src/a.txt", std::string(300000, 'a') + std::string(50000, 'b'));
    Write("src/b/c.txt", "corto");
    std::string noise(40000, '\0');
    unsigned state = 12345;
    for (char& ch : noise)
        ch = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    Write("src/b/d.bin", noise);
    struct Kind {
        const char* name;
        Args options;
        std::size_t files;
    };
    for (const Kind& kind :
         {Kind{"plain", {"--level", "4"}, 1}, Kind{"encrypted", {"--key", "clave-de-prueba"}, 1},
          Kind{"segmented", {"--block-size", "4096", "--segment-size", "9000"}, 6}}) {
        std::vector<std::string> first;
        for (const char* threads : {"1", "2", "4"}) {
            fs::remove_all(dir_ / "o");
            fs::create_directories(dir_ / "o");
            Args build{"build",
                       "--threads",
                       threads,
                       "--archive-id",
                       "7",
                       "--out",
                       P(dir_ / "o" / "p.vxa")};
            build.insert(build.end(), kind.options.begin(), kind.options.end());
            build.push_back(P(dir_ / "src"));
            ToolRun b = Tool(build);
            ASSERT_EQ(b.status, 0) << kind.name << ": " << b.err;
            std::vector<fs::path> files;
            for (const auto& e : fs::directory_iterator(dir_ / "o"))
                files.push_back(e.path());
            std::sort(files.begin(), files.end());
            EXPECT_GE(files.size(), kind.files) << kind.name;
            std::vector<std::string> bytes;
            for (const auto& file : files)
                bytes.push_back(file.filename().string() + ":" + Slurp(file));
            if (first.empty())
                first = bytes;
            else
                EXPECT_EQ(bytes, first) << kind.name << " with " << threads << " threads";
        }
    }
}

TEST_F(ToolTest, SolidBuildOnFourThreadsAtEachEndOfTheLevelsExtracts) {
    const std::string a = std::string(200000, 'a') + "fin", c = std::string(7000, 'c');
    Write("src/a.txt", a);
    Write("src/b/c.txt", c);
    for (const char* level : {"1", "12"}) {
        ToolRun b = Tool({"build", "--solid", "--threads", "4", "--level", level, "--key",
                          "clave-de-prueba", "--out", P(dir_ / "s.vxa"), P(dir_ / "src")});
        ASSERT_EQ(b.status, 0) << b.err;
        fs::remove_all(dir_ / "out");
        ToolRun x =
            Tool({"extract", P(dir_ / "s.vxa"), "-o", P(dir_ / "out"), "--key", "clave-de-prueba"});
        ASSERT_EQ(x.status, 0) << level << ": " << x.err;
        EXPECT_EQ(Slurp(dir_ / "out" / "a.txt"), a) << level;
        EXPECT_EQ(Slurp(dir_ / "out" / "b" / "c.txt"), c) << level;
    }
}

TEST_F(ToolTest, UsageErrorsExitTwo) {
    for (const Args& args :
         {Args{}, Args{"frob"}, Args{"build"}, Args{"build", "--out", "x"}, Args{"info"},
          Args{"list", "a", "b"}, Args{"build", "--out", "x", "--block-size", "10", "d"},
          Args{"build", "--out", "x", "--package-date", "2009"},
          Args{"build", "--out", "x", "--level", "0", "d"},
          Args{"build", "--out", "x", "--level", "13", "d"},
          Args{"build", "--out", "x", "--level", "fast", "d"},
          Args{"build", "--out", "x", "--threads", "-1", "d"}})
        EXPECT_EQ(Tool(args).status, 2) << (args.empty() ? "" : args[0]) << " " << args.size();
    EXPECT_NE(Tool({"info"}).err.find("usage: vexo-archive"), std::string::npos);
}

} // namespace
