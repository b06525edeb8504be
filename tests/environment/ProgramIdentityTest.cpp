// Product directory discovery through the desktop shortcut, program files and versions.
#include "environment/ProgramIdentity.h"

#include "EnvFixture.h"
#include "archive/Exceptions.h"
#include "archive/Real48.h"
#include "environment/Shortcuts.h"
#include "environment/SystemFolders.h"
#include "platform/Error.h"
#include "platform/Shell.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vexo::environment {
namespace {

using test::EnvTest;

const std::string kField = "C:\\VEXO\\DALVO";

class FindProductDirectoryTest : public EnvTest {
  protected:
    void SetUp() override {
        EnvTest::SetUp();
        desktop_ = DesktopDirectory();
        ASSERT_FALSE(desktop_.empty());
    }
    void Link(const std::string& file, const std::string& target, const std::string& workDir) {
        platform::ShellLink link;
        link.target = target;
        link.workingDirectory = workDir;
        platform::WriteShellLink(desktop_ + file, link);
    }
    std::string desktop_;
};

TEST_F(FindProductDirectoryTest, NoShortcutKeepsTheFieldText) {
    ProductDirectoryProposal p = ProposeFromShortcut("ZPX", desktop_, kField);
    EXPECT_FALSE(p.loaded);
    EXPECT_EQ(p.reason, ProposalReason::NoShortcut);
    EXPECT_EQ(p.directory, kField);
    EXPECT_EQ(FindProductDirectory("VIZUVE", desktop_, "D:\\ALGO"), "D:\\ALGO");
}

TEST_F(FindProductDirectoryTest, TargetPresentGivesTheParentOfItsDirectory) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "MZ");
    Link("DalvoVexo.lnk", "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "C:\\VEXO\\DALVO\\Programa\\");
    ProductDirectoryProposal p = ProposeFromShortcut("zpx", desktop_, "C:\\OTRO");
    EXPECT_TRUE(p.loaded);
    EXPECT_EQ(p.reason, ProposalReason::TargetFound);
    EXPECT_EQ(p.directory, "C:\\VEXO\\DALVO\\");
}

TEST_F(FindProductDirectoryTest, OnlyTheRetiredShortcutIsRead) {
    WriteFile("C:\\CONTA\\DALVO\\Programa\\DALVO.EXE", "MZ");
    Link("Dalvo Vexo Win.lnk", "C:\\CONTA\\DALVO\\Programa\\DALVO.EXE",
         "C:\\CONTA\\DALVO\\Programa\\");
    ProductDirectoryProposal p = ProposeFromShortcut("ZPX", desktop_, kField);
    EXPECT_EQ(p.shortcutFile, platform::UpperAscii(desktop_ + "Dalvo Vexo Win.lnk"));
    EXPECT_EQ(p.directory, "C:\\CONTA\\DALVO\\");
}

TEST_F(FindProductDirectoryTest, CurrentShortcutWinsOverTheRetiredOne) {
    WriteFile("C:\\NUEVO\\DALVO\\Programa\\DALVO.EXE", "MZ");
    WriteFile("C:\\VIEJO\\DALVO\\Programa\\DALVO.EXE", "MZ");
    Link("DalvoVexo.lnk", "C:\\NUEVO\\DALVO\\Programa\\DALVO.EXE", "C:\\NUEVO\\DALVO\\Programa\\");
    Link("Dalvo Vexo Win.lnk", "C:\\VIEJO\\DALVO\\Programa\\DALVO.EXE",
         "C:\\VIEJO\\DALVO\\Programa\\");
    EXPECT_EQ(FindProductDirectory("ZPX", desktop_, kField), "C:\\NUEVO\\DALVO\\");
}

TEST_F(FindProductDirectoryTest, RetiredNameIsNotTriedForTheCorporateTaxCodes) {
    WriteFile("C:\\CONTA\\DALVO\\Programa\\DALVO.EXE", "MZ");
    Link("Dalvo Vexo Win.lnk", "C:\\CONTA\\DALVO\\Programa\\DALVO.EXE",
         "C:\\CONTA\\DALVO\\Programa\\");
    EXPECT_EQ(FindProductDirectory("RORARI", desktop_, kField), kField);
}

struct MissingTargetCase {
    const char* name;
    const char* code;
    const char* file;
    const char* workDir;
    ProposalReason reason;
    const char* expected;
};

class MissingTargetTest : public FindProductDirectoryTest,
                          public ::testing::WithParamInterface<MissingTargetCase> {};

TEST_P(MissingTargetTest, DriveOfTheWorkingDirectory) {
    const MissingTargetCase& c = GetParam();
    Link(c.file, "Q:\\BORRADO\\Programa\\PROG.EXE", c.workDir);
    ProductDirectoryProposal p = ProposeFromShortcut(c.code, desktop_, kField);
    EXPECT_TRUE(p.loaded);
    EXPECT_EQ(p.reason, c.reason);
    EXPECT_EQ(p.directory, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MissingTargetTest,
    ::testing::Values(
        MissingTargetCase{"Product", "ZPX", "DalvoVexo.lnk", "D:\\VEXO\\DALVO\\Programa\\",
                          ProposalReason::TargetMissing, "D:\\VEXO\\DALVO"},
        MissingTargetCase{"Bizkaia", "VIZUVE", "Sociedades Bizkaia Vexo.lnk", "E:\\X\\",
                          ProposalReason::TargetMissing, "E:\\VEXO\\DALVO"},
        MissingTargetCase{"Estatal", "rorari", "Sociedades Estatal Vexo.lnk", "F:\\",
                          ProposalReason::TargetMissing, "F:\\VEXO\\DALVO"},
        MissingTargetCase{"NoWorkingDirectory", "ZPX", "DalvoVexo.lnk", "",
                          ProposalReason::TargetMissing, "\\VEXO\\DALVO"},
        MissingTargetCase{"NetworkWorkingDirectory", "ZPX", "DalvoVexo.lnk",
                          "\\\\SERVIDOR\\VEXO\\DALVO\\Programa\\", ProposalReason::TargetMissing,
                          "\\\\SERVIDOR\\VEXO\\VEXO\\DALVO"},
        // A code outside the table names the file ".lnk" and has no default sub-path.
        MissingTargetCase{"UnknownCode", "QQ", ".lnk", "G:\\X\\", ProposalReason::DriveOnly, "G:"}),
    [](const ::testing::TestParamInfo<MissingTargetCase>& row) {
        return std::string(row.param.name);
    });

TEST_F(FindProductDirectoryTest, TargetDeletedAfterTheShortcutWasMade) {
    WriteFile("C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "MZ");
    Link("DalvoVexo.lnk", "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "C:\\VEXO\\DALVO\\Programa\\");
    EXPECT_EQ(FindProductDirectory("ZPX", desktop_, "D:\\OTRO"), "C:\\VEXO\\DALVO\\");
    std::filesystem::remove(Host("C:\\VEXO\\DALVO\\Programa\\DALVO.EXE"));
    EXPECT_EQ(FindProductDirectory("ZPX", desktop_, "D:\\OTRO"), "C:\\VEXO\\DALVO");
}

// A shortcut made to a program on a share holds both forms of its target: the local one
// (D:\Datos\Asientos Nóminas\NOM.EXE) and the network one (\\SERVIDOR\VEXO\...). The
// network form is the one looked for.
struct NetworkTargetCase {
    const char* name;
    const char* networkFile; // made under the prefix's dosdevices/unc, or nullptr
    const char* localFile;   // made on drive D, or nullptr
    ProposalReason reason;
    const char* expected;
};

class NetworkTargetTest : public FindProductDirectoryTest,
                          public ::testing::WithParamInterface<NetworkTargetCase> {};

TEST_P(NetworkTargetTest, IsPreferredToTheLocalForm) {
#ifdef _WIN32
    GTEST_SKIP() << "the share and drive D: are the POSIX layer's prefix";
#endif
    const NetworkTargetCase& c = GetParam();
    const std::string root = platform::PrefixDirectory();
    std::filesystem::copy_file(VEXO_TEST_DATA_DIR "/lnk/unicode-net.lnk",
                               Host(desktop_ + "DalvoVexo.lnk"));
    std::filesystem::create_directories(root + "/dosdevices/unc");
    std::filesystem::create_directories(root + "/disk_d");
    std::filesystem::create_directory_symlink(root + "/disk_d", root + "/dosdevices/d:");
    if (c.networkFile) WriteFile(W1252(c.networkFile), "MZ");
    if (c.localFile) WriteFile(W1252(c.localFile), "MZ");
    ProductDirectoryProposal p = ProposeFromShortcut("ZPX", desktop_, kField);
    EXPECT_EQ(p.target, W1252("\\\\SERVIDOR\\VEXO\\Asientos Nóminas\\NOM.EXE"));
    EXPECT_EQ(p.reason, c.reason);
    EXPECT_EQ(p.directory, W1252(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NetworkTargetTest,
    ::testing::Values(
        NetworkTargetCase{"OnTheShare", "\\\\servidor\\vexo\\Asientos Nóminas\\NOM.EXE", nullptr,
                          ProposalReason::TargetFound, "\\\\SERVIDOR\\VEXO\\"},
        NetworkTargetCase{"BothPresent", "\\\\servidor\\vexo\\Asientos Nóminas\\NOM.EXE",
                          "D:\\Datos\\Asientos Nóminas\\NOM.EXE", ProposalReason::TargetFound,
                          "\\\\SERVIDOR\\VEXO\\"},
        // The share is gone: the local copy is not looked at, as the shell does not either.
        NetworkTargetCase{"OnlyLocally", nullptr, "D:\\Datos\\Asientos Nóminas\\NOM.EXE",
                          ProposalReason::TargetMissing, "D:\\VEXO\\DALVO"}),
    [](const ::testing::TestParamInfo<NetworkTargetCase>& row) {
        return std::string(row.param.name);
    });

TEST_F(FindProductDirectoryTest, DamagedShortcutKeepsTheFieldText) {
    WriteFile(desktop_ + "DalvoVexo.lnk", std::string("\x4c\0\0\0garbage", 11));
    EXPECT_EQ(FindProductDirectory("ZPX", desktop_, kField), kField);
}

struct ProgramFileCase {
    const char* code;
    const char* file;
};

class InstalledProgramFileTest : public ::testing::TestWithParam<ProgramFileCase> {};

TEST_P(InstalledProgramFileTest, MapsTheProductCode) {
    EXPECT_EQ(InstalledProgramFile(GetParam().code), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Codes, InstalledProgramFileTest,
                         ::testing::Values(ProgramFileCase{"DALVO", "DALVO.EXE"},
                                           ProgramFileCase{"dAlVo", "DALVO.EXE"},
                                           ProgramFileCase{"VIZUVE", "IMPUEBIZ.BPL"},
                                           ProgramFileCase{"vizuve", "IMPUEBIZ.BPL"},
                                           ProgramFileCase{"RORARI", "IMPUEEST.BPL"},
                                           ProgramFileCase{"nomina", "NOMINA.BPL"}));

TEST(ShortcutNameTest, TableInUpperCase) {
    EXPECT_EQ(ShortcutNameFor("zpx"), "DalvoVexo");
    EXPECT_EQ(ShortcutNameFor("Vizuve"), "Sociedades Bizkaia Vexo");
    EXPECT_EQ(ShortcutNameFor("RORARI"), "Sociedades Estatal Vexo");
    EXPECT_EQ(ShortcutNameFor("DALVO"), "");
}

constexpr std::uint32_t Version(std::uint32_t major, std::uint32_t minor) {
    return major << 16 | minor;
}

TEST(ProgramVersionTest, MinorIsHundredths) {
    EXPECT_EQ(ProgramVersionOf(Version(10, 5)), archive::RoundToReal48(10.05));
    EXPECT_EQ(ProgramVersionOf(Version(10, 50)), archive::RoundToReal48(10.5));
    EXPECT_LT(ProgramVersionOf(Version(10, 5)), ProgramVersionOf(Version(10, 10)));
    EXPECT_LT(ProgramVersionOf(Version(10, 9)), ProgramVersionOf(Version(10, 10)));
    // A minor of 100 or more spills into the units.
    EXPECT_EQ(ProgramVersionOf(Version(10, 123)), archive::RoundToReal48(11.23));
    EXPECT_EQ(ProgramVersionOf(0), 0.0);
}

TEST(ProgramVersionTest, EqualsAPackageVersionHeldAsSixByteReal) {
    for (std::uint32_t minor : {0u, 1u, 5u, 10u, 33u, 50u, 99u}) {
        double fileVersion = ProgramVersionOf(Version(10, minor));
        // The package carries the same number through its six-byte form.
        std::array<std::uint8_t, 6> packed = archive::DoubleToReal48(10 + minor / 100.0);
        double package = archive::Real48ToDouble(packed.data());
        EXPECT_EQ(fileVersion, package) << minor;
        EXPECT_FALSE(fileVersion > package) << minor;
    }
}

class ReadProgramVersionTest : public EnvTest {};

TEST_F(ReadProgramVersionTest, FileWithoutVersionInformationRaisesTheSystemMessage) {
    const std::string file = "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE";
    WriteFile(file, "not a program");
    try {
        ReadProgramVersion(file);
        FAIL() << "no error raised";
    } catch (const archive::Exception& e) {
        std::string text = e.what();
        const std::string tail = "\r\n\r\n" + file;
        ASSERT_GT(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        std::string message = text.substr(0, text.size() - tail.size());
        EXPECT_NE(message, platform::SystemErrorMessage(platform::kErrorSuccess));
    }
}

TEST_F(ReadProgramVersionTest, MissingFileRaisesFileNotFound) {
    const std::string file = "C:\\VEXO\\DALVO\\Programa\\FALTA.EXE";
    MakeDirectory("C:\\VEXO\\DALVO\\Programa");
    try {
        ReadProgramVersion(file);
        FAIL() << "no error raised";
    } catch (const archive::Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  platform::SystemErrorMessage(platform::kErrorFileNotFound) + "\r\n\r\n" + file);
    }
}

struct FixtureCase {
    const char* file;
    std::uint32_t major, minor;
};

class VersionFixtureTest : public EnvTest, public ::testing::WithParamInterface<FixtureCase> {
  protected:
    static std::string Fixture(const char* name) {
        return platform::WindowsPath(std::string(VEXO_TEST_DATA_DIR) + "/pe/" + name);
    }
};

TEST_P(VersionFixtureTest, ReadsTheFileVersion) {
    std::string file = Fixture(GetParam().file);
    ASSERT_TRUE(platform::FileExists(file)) << file;
    EXPECT_EQ(ReadProgramVersion(file),
              archive::RoundToReal48(GetParam().major + GetParam().minor / 100.0));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, VersionFixtureTest,
                         ::testing::Values(FixtureCase{"dalvo.exe", 10, 5},
                                           FixtureCase{"module.dll", 10, 50},
                                           FixtureCase{"version-10-10.dll", 10, 10},
                                           FixtureCase{"version-10-123.dll", 10, 123}));

class VersionOrderTest : public VersionFixtureTest {};

TEST_F(VersionOrderTest, FilesCompareAsTheirVersions) {
    double v1005 = ReadProgramVersion(Fixture("dalvo.exe"));
    double v1010 = ReadProgramVersion(Fixture("version-10-10.dll"));
    double v1050 = ReadProgramVersion(Fixture("module.dll"));
    double v1123 = ReadProgramVersion(Fixture("version-10-123.dll"));
    EXPECT_LT(v1005, v1010);
    EXPECT_LT(v1010, v1050);
    EXPECT_LT(v1050, v1123);
    EXPECT_EQ(v1123, archive::RoundToReal48(11.23));
}

TEST_F(VersionOrderTest, LibraryWithoutVersionResourceRaises) {
    std::string file = Fixture("noversion.dll");
    ASSERT_TRUE(platform::FileExists(file));
    try {
        ReadProgramVersion(file);
        FAIL() << "no error raised";
    } catch (const archive::Exception& e) {
        std::string text = e.what();
        const std::string tail = "\r\n\r\n" + file;
        ASSERT_GT(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        EXPECT_EQ(text.substr(0, text.size() - tail.size()),
                  platform::SystemErrorMessage(platform::LastError()));
    }
}

} // namespace
} // namespace vexo::environment
