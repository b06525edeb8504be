// ReadOnlyCommandsTest.cpp - the programs as built: commands that only read leave the user's
// home (and any prefix) untouched, and every program and subcommand answers -h and --help.
#include "archive/ArchiveWriter.h"
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"
#include "platform/HostFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

struct Program {
    const char* label;
    std::string path;
};

std::vector<Program> Programs() {
    std::vector<Program> programs = {{"vexo-archive", VEXO_ARCHIVE_TOOL},
                                     {"vexo-env", VEXO_ENV_TOOL}};
#ifdef VEXO_INSTALAR_PROGRAM
    programs.push_back({"instalar", VEXO_INSTALAR_PROGRAM});
#endif
    return programs;
}

std::string ProgramPath(const std::string& label) {
    for (const Program& p : Programs())
        if (p.label == label) return p.path;
    return {};
}

// Everything below `dir`, as relative paths, for a message that says what was made.
std::string Listing(const fs::path& dir) {
    std::string text;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        text += vexo::test::Utf8Path(fs::relative(it->path(), dir)) + "\n";
    return text;
}

// ---- -h and --help ------------------------------------------------------------------------

struct HelpCase {
    const char* program;
    Args before; // the subcommand, if any
    const char* mentions;
};

class HelpTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpTest, PrintsTheUsageOnStandardOutputAndExitsZero) {
    const HelpCase& c = GetParam();
    const std::string program = ProgramPath(c.program);
    if (program.empty()) GTEST_SKIP() << c.program << " is not built here";
    for (const char* flag : {"-h", "--help"}) {
        SCOPED_TRACE(flag);
        Args args = {program};
        args.insert(args.end(), c.before.begin(), c.before.end());
        args.push_back(flag);
        const vexo::test::ProgramResult r = vexo::test::RunProgram(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("sage: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.mentions), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, HelpTest,
    ::testing::Values(HelpCase{"vexo-archive", {}, "vexo-archive extract FILE -o DIR"},
                      HelpCase{"vexo-archive", {"build"}, "vexo-archive build --out FILE"},
                      HelpCase{"vexo-archive", {"info"}, "vexo-archive info FILE"},
                      HelpCase{"vexo-archive", {"list"}, "vexo-archive list FILE"},
                      HelpCase{"vexo-archive", {"test"}, "vexo-archive test FILE"},
                      HelpCase{"vexo-archive", {"extract"}, "vexo-archive extract FILE"},
                      // Help wins over a half-typed command line.
                      HelpCase{"vexo-archive", {"extract", "a.vxa"}, "vexo-archive extract"},
                      HelpCase{"vexo-env", {}, "shortcut make"},
                      HelpCase{"vexo-env", {"dirs"}, "dirs PRODUCT_DIR"},
                      HelpCase{"vexo-env", {"product"}, "product [CODE]"},
                      HelpCase{"vexo-env", {"version"}, "version FILE"},
                      HelpCase{"vexo-env", {"shortcut", "read"}, "shortcut read"},
                      HelpCase{"vexo-env", {"shortcut", "make"}, "shortcut make"},
                      HelpCase{"vexo-env", {"folders"}, "folders"},
                      HelpCase{"instalar", {}, "--unattended"},
                      HelpCase{"instalar", {"--unattended"}, "--unattended"}),
    [](const ::testing::TestParamInfo<HelpCase>& row) {
        std::string name = row.param.program;
        for (const std::string& a : row.param.before)
            name += "_" + a;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

// ---- Read-only commands -------------------------------------------------------------------

class ReadOnlyCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-read-only");
        home_ = temp_->Path() / "home";
        // On Windows the home is the test prefix, which hides the real drive C: holding the
        // temporary folder: the archives and the temporary files lie on the build's drive.
        files_ = vexo::test::kWindowsHost
                     ? vexo::test::FsPath(VEXO_BINARY_DIR) / temp_->Path().filename()
                     : temp_->Path();
        scratch_ = files_ / "scratch";
        fs::create_directories(home_);
        fs::create_directories(scratch_);
        plain_ = Archive("plain.vxa", false);
        solid_ = Archive("solid.vxa", true);
    }

    std::string Archive(const std::string& name, bool solid) {
        const std::string path = vexo::test::Utf8Path(files_ / name);
        auto out = vexo::platform::OpenHostFile(path, vexo::platform::HostFileMode::Create);
        vexo::archive::ArchiveWriterOptions options;
        if (!solid) {
            vexo::archive::ArchiveWriter writer(*out, options);
            writer.AddFile("Datos\\A.TXT", 39856.5, 0x20, 'R', std::vector<std::uint8_t>(10, 'a'));
            writer.Finish();
            return path;
        }
        // A solid archive: the inner archive is unpacked to a temporary file when opened.
        const std::string inner = Archive(name + ".inner", false);
        options.Solid = true;
        vexo::archive::ArchiveWriter writer(*out, options);
        auto data = vexo::platform::OpenHostFile(inner, vexo::platform::HostFileMode::Read);
        writer.AddFile("~inner", 39856.5, 0x20, 'R', *data);
        writer.Finish();
        return path;
    }

    // The environment of a user whose home is the empty folder; `winePrefix` names the
    // prefix explicitly (the home itself), else the programs fall back to the home's.
    vexo::test::ProgramResult Run(const Args& args, bool winePrefix) {
        vexo::test::ProgramOptions options;
        const std::string home = vexo::test::Utf8Path(home_);
        const std::string scratch = vexo::test::Utf8Path(scratch_);
        using Value = std::optional<std::string>;
        // On Windows only the test prefix maps drive C:; it must stay as empty as the home.
        options.environment = {
            {"HOME", home},
            {"VEXO_PREFIX", vexo::test::kWindowsHost ? Value(home) : std::nullopt},
            {"WINEPREFIX", winePrefix ? Value(home) : std::nullopt},
            {"VEXO_USER", "ana"},
            {"TMPDIR", scratch},
            {"TMP", scratch},
            {"TEMP", scratch}};
        return vexo::test::RunProgram(args, options);
    }

    void TearDown() override {
        std::error_code ec;
        if (files_ != temp_->Path()) fs::remove_all(files_, ec);
        temp_.reset();
    }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path home_, scratch_, files_;
    std::string plain_, solid_;
};

TEST_F(ReadOnlyCommands, LeaveTheHomeEmpty) {
    struct Command {
        const char* program;
        Args args;
        int status;
    };
    const std::vector<Command> commands = {
        {"vexo-archive", {"info", plain_}, 0},
        {"vexo-archive", {"info", "--json", solid_}, 0},
        {"vexo-archive", {"list", plain_}, 0},
        {"vexo-archive", {"list", "--json", solid_}, 0},
        {"vexo-archive", {"test", plain_}, 0},
        {"vexo-archive", {"test", solid_}, 0},
        {"vexo-archive", {"--help"}, 0},
        {"vexo-env", {"dirs", "C:\\VEXO\\DALVO"}, 0},
        {"vexo-env", {"product"}, 0},
        {"vexo-env", {"--json", "folders"}, 0},
        {"vexo-env", {"version", "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE"}, 1},
        {"vexo-env", {"shortcut", "read", "C:\\users\\ana\\Desktop\\DalvoVexo.lnk"}, 1},
        {"instalar", {"--help"}, 0},
        {"instalar", {"--bogus"}, 2},
    };
    for (bool winePrefix : {false, true}) {
        for (const Command& c : commands) {
            const std::string program = ProgramPath(c.program);
            if (program.empty()) continue;
            Args args = {program};
            args.insert(args.end(), c.args.begin(), c.args.end());
            SCOPED_TRACE(std::string(c.program) + " " + c.args.front() + " " + c.args.back() +
                         (winePrefix ? " (WINEPREFIX)" : ""));
            const vexo::test::ProgramResult r = Run(args, winePrefix);
            EXPECT_EQ(r.status, c.status) << r.out << r.err;
            EXPECT_TRUE(fs::is_empty(home_)) << Listing(home_);
            // Temporary files, of the solid archive's inner one, are gone again.
            EXPECT_TRUE(fs::is_empty(scratch_)) << Listing(scratch_);
        }
    }
}

// The counterpart: a command that writes does get the prefix it writes into.
TEST_F(ReadOnlyCommands, ACommandThatWritesLaysOutThePrefix) {
    const Args args = {VEXO_ENV_TOOL, "shortcut",
                       "make",        "C:\\VEXO\\DALVO\\DALVO.EXE",
                       "DalvoVexo",   "C:\\users\\ana\\Desktop"};
    const fs::path prefix = vexo::test::kWindowsHost ? home_ : home_ / ".wine";
    fs::create_directories(prefix / "drive_c" / "VEXO" / "DALVO");
    std::ofstream(prefix / "drive_c" / "VEXO" / "DALVO" / "DALVO.EXE") << "MZ";
    if (vexo::test::kWindowsHost) // the layout of a Wine-style prefix is the POSIX layer's
        fs::create_directories(prefix / "drive_c" / "users" / "ana" / "Desktop");
    const vexo::test::ProgramResult r = Run(args, false);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(prefix / "drive_c" / "users" / "ana" / "Desktop" / "DalvoVexo.lnk"))
        << Listing(home_);
    if (!vexo::test::kWindowsHost) {
        EXPECT_TRUE(fs::is_symlink(prefix / "dosdevices" / "c:"));
    }
}

} // namespace
