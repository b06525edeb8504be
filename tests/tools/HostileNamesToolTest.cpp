// HostileNamesToolTest.cpp - stored names and texts that would drive a terminal, through each
// command of vexo-archive: shown escaped in text, escaped as JSON does in --json.
#include "archive/ArchiveWriter.h"
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/RawControl.h"
#include "common/TempDirectory.h"
#include "platform/HostFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct HostileName {
    const char* label;
    std::string stored; // Windows-1252, as the archive holds it
    std::string shown;  // what the text output prints
    std::string json;   // inside the JSON string literal
};

const std::vector<HostileName>& Names() {
    static const std::vector<HostileName> names = {
        {"ClearScreen", "A\x1b[2J.TXT", "A<1B>[2J.TXT", "A\\u001b[2J.TXT"},
        {"Title", "\x1b]0;X\x07.TXT", "<1B>]0;X<07>.TXT", "\\u001b]0;X\\u0007.TXT"},
        {"CarriageReturn", "B\rOK.TXT", "B<0D>OK.TXT", "B\\rOK.TXT"},
        {"Bell", "Datos\\C\x07.TXT", "Datos\\C<07>.TXT", "Datos\\\\C\\u0007.TXT"},
        {"Del", "D\x7f.TXT", "D<7F>.TXT", "D\\u007f.TXT"},
        // The unassigned bytes have no character: JSON gets the replacement character.
        {"UnassignedC1", "E\x81\x8d\x8f\x90\x9d.TXT", "E<81><8D><8F><90><9D>.TXT",
         "E\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd.TXT"},
    };
    return names;
}

const std::string kComment = "\x1b]0;pwned\x07Hola\x9d";

using vexo::test::RawControl;

class HostileNamesTool : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-hostile");
        // Every name in one archive; encrypted, so that test and extract without the key
        // report each entry on a line of its own.
        archive_ = temp_->String() + "/names.vxa";
        auto out = vexo::platform::OpenHostFile(archive_, vexo::platform::HostFileMode::Create);
        vexo::archive::ArchiveWriterOptions options;
        options.Comment = kComment;
        options.Encrypt = [](std::span<const std::uint8_t> plain) {
            std::vector<std::uint8_t> payload(plain.begin(), plain.end());
            const auto pad = static_cast<std::uint8_t>((8 - payload.size() % 8) % 8);
            payload.resize(payload.size() + pad, 0);
            payload.push_back(pad);
            return payload;
        };
        vexo::archive::ArchiveWriter writer(*out, options);
        for (const HostileName& n : Names())
            writer.AddFile(n.stored, 39856.5, 0x20, 'R', std::vector<std::uint8_t>(100, 'x'));
        writer.Finish();
    }

    vexo::test::ProgramResult Tool(Args args) {
        args.insert(args.begin(), VEXO_ARCHIVE_TOOL);
        // A prefix of its own on Linux; on Windows one would hide drive C:, where the
        // archive lies.
        vexo::test::ProgramOptions options;
        if (!vexo::test::kWindowsHost)
            options.environment.emplace_back("VEXO_PREFIX", temp_->String() + "/prefix");
        return vexo::test::RunProgram(args, options);
    }

    std::optional<vexo::test::TempDirectory> temp_;
    std::string archive_;
};

TEST_F(HostileNamesTool, EveryCommandShowsThemEscaped) {
    struct Command {
        const char* label;
        Args args;
        int status;
        bool json;
    };
    const Command commands[] = {
        {"list", {"list", archive_}, 0, false},
        {"list --json", {"list", "--json", archive_}, 0, true},
        {"test", {"test", archive_}, 1, false},
        {"extract",
         {"extract", archive_, "-o", temp_->String() + "/out", "--key", "claveerronea"},
         1,
         false},
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.label);
        const vexo::test::ProgramResult r = Tool(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        const std::string printed = r.out + r.err;
        EXPECT_EQ(RawControl(printed), std::string::npos) << printed;
        for (const HostileName& n : Names()) {
            SCOPED_TRACE(n.label);
            const std::string expected = c.json ? "\"name\": \"" + n.json + "\"" : n.shown;
            EXPECT_NE(printed.find(expected), std::string::npos) << printed;
        }
    }
}

TEST_F(HostileNamesTool, InfoShowsTheCommentEscaped) {
    const vexo::test::ProgramResult text = Tool({"info", archive_});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(RawControl(text.out), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\ncomment:         <1B>]0;pwned<07>Hola<9D>\n"), std::string::npos)
        << text.out;
    const vexo::test::ProgramResult json = Tool({"info", "--json", archive_});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(RawControl(json.out), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"comment\": \"\\u001b]0;pwned\\u0007Hola\xef\xbf\xbd\""),
              std::string::npos)
        << json.out;
}

} // namespace
