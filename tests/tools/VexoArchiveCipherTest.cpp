// VexoArchiveCipherTest.cpp - the built vexo-archive with --key and --solid: build, list,
// test and extract without a terminal.
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vexo::test::Slurp;
using Args = std::vector<std::string>;

namespace {

using ToolResult = vexo::test::ProgramResult;

const std::string kKey = "clave secreta";
const std::string kBadKey = "El archivo no podra desencriptarse. Introdujo una clave invalida";

class CipherTool : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-cipher");
        dir_ = temp_->Path();
        fs::create_directories(dir_ / "src" / "sub");
        Write("src/uno.txt", std::string(5000, 'u'));
        std::string random(70000, '\0');
        unsigned v = 7;
        for (char& c : random)
            c = static_cast<char>((v = v * 1103515245u + 12345u) >> 16);
        Write("src/sub/dos.bin", random);
        Write("src/tres.txt", "3");
    }
    void TearDown() override { temp_.reset(); }

    // No terminal: standard input is empty. The temporary files of solid archives go inside
    // the test's directory: on POSIX into a prefix there; on Windows into the temporary folder
    // TMP names (VEXO_PREFIX would stand a folder in for drive C:, where this directory is).
    ToolResult Tool(Args args) {
        args.insert(args.begin(), VEXO_ARCHIVE_TOOL);
        vexo::test::ProgramOptions options;
        if (vexo::test::kWindowsHost) {
            fs::create_directories(dir_ / "temp");
            options.environment = {{"TMP", P(dir_ / "temp")}, {"TEMP", P(dir_ / "temp")}};
        } else {
            options.environment = {{"VEXO_PREFIX", P(dir_ / "prefix")}};
        }
        return vexo::test::RunProgram(args, options);
    }

    void Write(const std::string& rel, const std::string& bytes) {
        fs::path p = dir_ / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

    std::string P(const fs::path& p) { return vexo::test::Utf8Path(p); }

    void ExpectSameTree(const fs::path& out) {
        for (std::string rel : {"uno.txt", "sub/dos.bin", "tres.txt"})
            EXPECT_EQ(Slurp(out / rel), Slurp(dir_ / "src" / rel)) << rel;
    }

    bool TemporaryArchivesLeft() {
        for (const auto& e : fs::recursive_directory_iterator(dir_))
            if (e.path().filename().string().find("~Archiv-") != std::string::npos) return true;
        return false;
    }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path dir_;
};

TEST_F(CipherTool, KeysTheCipherWouldIgnoreAreUsageErrors) {
    for (const std::string& key : {std::string(), std::string("1234567"), std::string(66, 'k')}) {
        ToolResult r = Tool({"build", "--out", P(dir_ / "p.vxa"), "--key", key, P(dir_ / "src")});
        EXPECT_EQ(r.status, 2) << key;
        EXPECT_NE(r.err.find("--key needs 8 to 65 characters"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "p.vxa"));
    }
    EXPECT_EQ(Tool({"build", "--out", P(dir_ / "p.vxa"), "--keep-key", P(dir_ / "src")}).status, 2);
}

TEST_F(CipherTool, EncryptedArchiveRoundTripsWithTheKeyOnly) {
    ToolResult b = Tool({"build", "--out", P(dir_ / "p.vxa"), "--key", kKey, P(dir_ / "src")});
    ASSERT_EQ(b.status, 0) << b.err;

    ToolResult l = Tool({"list", "--json", P(dir_ / "p.vxa")});
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_NE(l.out.find("\"flags\": 13"), std::string::npos) << l.out; // 1 | 4 | 8

    ToolResult t = Tool({"test", P(dir_ / "p.vxa")});
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.out, "sub\\dos.bin: " + kBadKey + "\ntres.txt: " + kBadKey +
                         "\nuno.txt: " + kBadKey + "\n");
    EXPECT_EQ(Tool({"test", P(dir_ / "p.vxa"), "--key", kKey}).status, 0);
    EXPECT_EQ(Tool({"test", P(dir_ / "p.vxa"), "--key", "otra clave"}).status, 1);

    ToolResult x = Tool({"extract", P(dir_ / "p.vxa"), "-o", P(dir_ / "out"), "--key", kKey});
    ASSERT_EQ(x.status, 0) << x.err;
    EXPECT_NE(x.err.find("3 files written"), std::string::npos) << x.err;
    ExpectSameTree(dir_ / "out");

    // Without a key and without a terminal to ask, the key prompt is refused.
    ToolResult n = Tool({"extract", P(dir_ / "p.vxa"), "-o", P(dir_ / "none")});
    EXPECT_EQ(n.status, 1);
    EXPECT_NE(n.err.find("cancelled"), std::string::npos) << n.err;
    EXPECT_FALSE(fs::exists(dir_ / "none" / "uno.txt"));
}

TEST_F(CipherTool, SolidArchiveListsAndExtractsTheEntriesInside) {
    ToolResult b =
        Tool({"build", "--solid", "--out", P(dir_ / "s.vxa"), "--key", kKey, P(dir_ / "src")});
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_NE(b.err.find("3 entries in a solid archive"), std::string::npos) << b.err;
    for (const auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find(".inner-"), std::string::npos);

    ToolResult i = Tool({"info", "--json", P(dir_ / "s.vxa")});
    EXPECT_NE(i.out.find("\"flags\": 22"), std::string::npos) << i.out; // 2 | 4 | 16

    ToolResult l = Tool({"list", P(dir_ / "s.vxa")});
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_NE(l.err.find("solid archive"), std::string::npos);
    for (std::string name : {"uno.txt", "sub\\dos.bin", "tres.txt"})
        EXPECT_NE(l.out.find(name), std::string::npos) << name << "\n" << l.out;
    EXPECT_EQ(l.out.find("s.vxa"), std::string::npos) << l.out; // not the wrapper's entry

    ToolResult x = Tool({"extract", P(dir_ / "s.vxa"), "-o", P(dir_ / "out"), "--key", kKey});
    ASSERT_EQ(x.status, 0) << x.err;
    EXPECT_NE(x.err.find("3 files written"), std::string::npos) << x.err;
    ExpectSameTree(dir_ / "out");
    EXPECT_EQ(Tool({"test", P(dir_ / "s.vxa"), "--key", kKey}).status, 0);
    EXPECT_FALSE(TemporaryArchivesLeft());
}

TEST_F(CipherTool, SegmentedSolidArchiveRoundTrips) {
    ToolResult b = Tool({"build", "--solid", "--block-size", "4096", "--segment-size", "30000",
                         "--out", P(dir_ / "m.vxa"), P(dir_ / "src")});
    ASSERT_EQ(b.status, 0) << b.err;
    ASSERT_TRUE(fs::exists(dir_ / "m.001"));
    ToolResult x = Tool({"extract", P(dir_ / "m.vxa"), "-o", P(dir_ / "out")});
    ASSERT_EQ(x.status, 0) << x.err;
    ExpectSameTree(dir_ / "out");
    EXPECT_FALSE(TemporaryArchivesLeft());
}

// Damaged encrypted payloads of the one-byte entry "tres.txt" (a stored block: 8 bytes of
// ciphertext, then the pad count 7). Each is a damaged block: test and extract report it with
// the wrong-key text, go on with the other entries, and touch no memory outside the block (the
// asan preset builds the tool with the sanitizers).
struct Damage {
    const char* name;
    int at;          // offset from the block head
    std::string put; // bytes written there
};

class DamagedPayload : public CipherTool, public ::testing::WithParamInterface<Damage> {};

std::string Int32(std::int32_t v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[static_cast<std::size_t>(i)] =
            static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return b;
}

TEST_P(DamagedPayload, IsRejectedLikeAChecksumFailure) {
    ASSERT_EQ(Tool({"build", "--out", P(dir_ / "p.vxa"), "--key", kKey, P(dir_ / "src")}).status,
              0);
    ToolResult l = Tool({"list", "--json", P(dir_ / "p.vxa")});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(l.out, m,
                                  std::regex("\"name\": \"tres.txt\", [^}]*\"offset\": ([0-9]+)")))
        << l.out;
    const std::size_t head = std::stoul(m[1].str()) + 46 + std::string("tres.txt").size();
    std::string bytes = Slurp(dir_ / "p.vxa");
    ASSERT_EQ(bytes.substr(head, 4), Int32(-9)); // stored, 8 + 1 bytes
    bytes.replace(head + static_cast<std::size_t>(GetParam().at), GetParam().put.size(),
                  GetParam().put);
    Write("bad.vxa", bytes);

    ToolResult t = Tool({"test", P(dir_ / "bad.vxa"), "--key", kKey});
    EXPECT_EQ(t.status, 1);
    EXPECT_NE(t.out.find("tres.txt: " + kBadKey), std::string::npos) << t.out << t.err;
    EXPECT_EQ(t.err.find("Sanitizer"), std::string::npos) << t.err;

    ToolResult x = Tool({"extract", P(dir_ / "bad.vxa"), "-o", P(dir_ / "out"), "--key", kKey});
    EXPECT_EQ(x.status, 1);
    EXPECT_NE(x.err.find("tres.txt: " + kBadKey), std::string::npos) << x.err;
    EXPECT_EQ(x.err.find("Sanitizer"), std::string::npos) << x.err;
    EXPECT_FALSE(fs::exists(dir_ / "out" / "tres.txt"));
    EXPECT_EQ(Slurp(dir_ / "out" / "uno.txt"), Slurp(dir_ / "src" / "uno.txt"));
}

INSTANTIATE_TEST_SUITE_P(Payloads, DamagedPayload,
                         ::testing::Values(Damage{"PadCountOfABlock", 16, std::string(1, '\x08')},
                                           Damage{"PadCountBeyondTheCiphertext", 16,
                                                  std::string(1, '\xC8')},
                                           Damage{"OnlyThePadCount", 0, Int32(-1)},
                                           Damage{"RaggedCiphertext", 0, Int32(-8)},
                                           Damage{"EmptyPayload", 0, Int32(0)}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
