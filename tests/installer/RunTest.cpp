// RunTest.cpp - installation runs: checks, install rules, cancellation, a second run.
#include "InstallerFixture.h"
#include "common/ScriptedPrompts.h"
#include "environment/SystemFolders.h"
#include "installer/InstallerTexts.h"
#include "platform/FaultInjection.h"

namespace vexo::installer::test {
namespace {

const std::string kRoot = "C:\\VEXO\\DALVO\\";

class RunTest : public InstallerTest {
  protected:
    InstallerWindow& Started(const std::string& name, const PackageSpec& pkg) {
        InstallerWindow& w = Window("C:\\descargas\\" + name, pkg);
        EXPECT_TRUE(w.OnCreate());
        return w;
    }
    void ExpectIdle(InstallerWindow& w) {
        EXPECT_FALSE(w.Busy());
        EXPECT_EQ(view_.frontFrame, WindowFrame::Directory);
        EXPECT_TRUE(view_.frameEnabled[WindowFrame::Directory]);
        EXPECT_FALSE(view_.frameEnabled[WindowFrame::Progress]);
        EXPECT_TRUE(view_.installEnabled);
        EXPECT_TRUE(view_.installDefault);
        EXPECT_FALSE(view_.cancelDefault);
        EXPECT_EQ(view_.cancelCaption, "Salir");
    }
};

TEST_F(RunTest, FullPackageIntoEmptyDirectoryExtractsAndMakesShortcuts) {
    PackageSpec pkg;
    pkg.productCode = "DALVO";
    pkg.files = {{"Programa\\DALVO.EXE", 'P', "program"}, {"Datos\\EMPRESAS.DAT", 'I', "data"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    EXPECT_EQ(w.InstalledVersion(), 0.0);
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Instalación Finalizada")});
    EXPECT_EQ(view_.boxes[0].icon, BoxIcon::Confirmation);
    EXPECT_EQ(ReadFile(kRoot + "Programa\\DALVO.EXE"), "program");
    EXPECT_EQ(ReadFile(kRoot + "Datos\\EMPRESAS.DAT"), "data");
    EXPECT_EQ(view_.installDirectory, "C:\\VEXO\\DALVO");
    EXPECT_EQ(view_.extractingFrom, "Extrayendo de: C:\\descargas\\ZPX16.EXE");
    EXPECT_EQ(view_.currentFile, "..\\Datos\\EMPRESAS.DAT");
    EXPECT_EQ(view_.progress, 100);
    EXPECT_TRUE(platform::FileExists(environment::DesktopDirectory() + "DalvoVexo.lnk"));
    EXPECT_TRUE(w.IdentificationDone());
    ExpectIdle(w);
}

TEST_F(RunTest, EmptyProductCodeNeverLooksForAProgram) {
    PackageSpec pkg;
    pkg.code = archive::kUpdatePackageCode; // even an update: nothing to check without a code
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Started("ZPX19.EXE", pkg);
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    EXPECT_EQ(ReadFile(kRoot + "A.TXT"), "a");
}

TEST_F(RunTest, UpdateWithoutInstalledProgramFailsBeforeExtracting) {
    PackageSpec pkg;
    pkg.code = archive::kUpdatePackageCode;
    pkg.productCode = "DALVO";
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    ASSERT_EQ(view_.errors.size(), 1u);
    EXPECT_EQ(view_.errors[0].first, "Zpx16");
    EXPECT_EQ(view_.errors[0].second,
              W1252("No se encontró el Programa:\r\n\r\n") + kRoot + "Programa\\DALVO.EXE");
    EXPECT_FALSE(ReadFile(kRoot + "A.TXT"));
    EXPECT_TRUE(view_.boxes.empty()); // no "Instalación Incorrecta": nothing was started
    EXPECT_EQ(w.LastRunResult(), RunResult::Failed);
    ExpectIdle(w);
}

struct VersionCase {
    const char* productCode;
    const char* programFile;
    double installed;
    double package;
    bool asked;
    bool answer;
    bool extracted;
};

class VersionTest : public RunTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, NewerInstalledProgramAsks) {
    const VersionCase& c = GetParam();
    PackageSpec pkg;
    pkg.productCode = c.productCode;
    pkg.version = c.package;
    pkg.files = {{"A.TXT", 'R', "a"}};
    std::string program = kRoot + "Programa\\" + c.programFile;
    WriteFile(program, "installed");
    services_.versions[program] = c.installed;
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    if (c.asked) view_.answers.push_back(c.answer);
    w.OnInstallClicked();
    EXPECT_EQ(w.InstalledVersion(), c.installed);
    bool asked = !view_.boxes.empty() && view_.boxes[0].icon == BoxIcon::Warning;
    EXPECT_EQ(asked, c.asked);
    if (asked) {
        EXPECT_EQ(view_.boxes[0].text,
                  W1252("La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar?"));
        EXPECT_EQ(view_.boxes[0].buttons, BoxButtons::OkCancel);
    }
    EXPECT_EQ(ReadFile(kRoot + "A.TXT").has_value(), c.extracted);
    EXPECT_EQ(w.LastRunResult(), c.extracted ? RunResult::Finished : RunResult::NothingShown);
    EXPECT_TRUE(view_.errors.empty());
    ExpectIdle(w);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionTest,
    ::testing::Values(VersionCase{"DALVO", "DALVO.EXE", 10.50, 10.05, true, false, false},
                      VersionCase{"DALVO", "DALVO.EXE", 10.50, 10.05, true, true, true},
                      VersionCase{"DALVO", "DALVO.EXE", 10.05, 10.05, false, false, true},
                      VersionCase{"DALVO", "DALVO.EXE", 9.99, 10.05, false, false, true},
                      VersionCase{"VIZUVE", "IMPUEBIZ.BPL", 2.0, 1.0, true, false, false},
                      VersionCase{"RORARI", "IMPUEEST.BPL", 1.0, 2.0, false, false, true},
                      VersionCase{"modx", "MODX.BPL", 3.0, 1.0, true, false, false}));

TEST_F(RunTest, UnreadableProgramVersionIsAnError) {
    PackageSpec pkg;
    pkg.productCode = "DALVO";
    pkg.files = {{"A.TXT", 'R', "a"}};
    WriteFile(kRoot + "Programa\\DALVO.EXE", "no version resource here");
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    ASSERT_EQ(view_.errors.size(), 1u);
    EXPECT_NE(view_.errors[0].second.find("DALVO.EXE"), std::string::npos);
    EXPECT_FALSE(ReadFile(kRoot + "A.TXT"));
}

// ---- Install rules --------------------------------------------------------------------------

enum class Existing { Missing, Older, Newer, Same };

struct RuleCase {
    char rule;
    const char* stored;
    const char* landsIn; // destination directory under the root
    Existing existing;
    bool written;
};

class RuleTest : public RunTest, public ::testing::WithParamInterface<RuleCase> {};

const char* ExistingName(Existing e) {
    switch (e) {
    case Existing::Missing:
        return "Missing";
    case Existing::Older:
        return "Older";
    case Existing::Newer:
        return "Newer";
    case Existing::Same:
        return "SameDate";
    }
    return "Unknown";
}

// The value as test listings show it: "rule F, Programa\AYUDA.TXT, Older -> written".
void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << "rule " << c.rule << ", " << c.stored << ", " << ExistingName(c.existing) << " -> "
        << (c.written ? "written" : "not written");
}

// "RuleF_Older_Written": the rule letter, the file already there, and the verdict.
std::string RuleCaseName(const ::testing::TestParamInfo<RuleCase>& info) {
    const RuleCase& c = info.param;
    return std::string("Rule") + c.rule + "_" + ExistingName(c.existing) + "_" +
           (c.written ? "Written" : "NotWritten");
}

TEST_P(RuleTest, PlacesAndDecides) {
    const RuleCase& c = GetParam();
    archive::TDateTime entryDate = At(2009, 2, 12, 9, 36, 37);
    PackageSpec pkg;
    pkg.files = {{c.stored, c.rule, "new", entryDate}};
    std::string stored = c.stored;
    std::string target = kRoot + c.landsIn + stored.substr(stored.rfind('\\') + 1);
    switch (c.existing) {
    case Existing::Missing:
        break;
    case Existing::Older:
        WriteFile(target, "old", At(2008, 1, 1));
        break;
    case Existing::Newer:
        WriteFile(target, "old", At(2010, 1, 1));
        break;
    case Existing::Same:
        WriteFile(target, "old", entryDate);
        break; // stored at 09:36:36
    }
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    std::optional<std::string> content = ReadFile(target);
    if (c.written) {
        EXPECT_EQ(content, "new") << target;
    } else if (c.existing == Existing::Missing) {
        EXPECT_FALSE(content) << target;
    } else {
        EXPECT_EQ(content, "old") << target;
    }
    ASSERT_EQ(view_.files.size(), 1u);
    EXPECT_EQ(view_.files[0].first, target);
    FileOutcome expected = c.written       ? FileOutcome::Written
                           : c.rule == 'X' ? FileOutcome::SkippedByRule
                                           : FileOutcome::Kept;
    EXPECT_EQ(view_.files[0].second, expected);
}

// The six directories by default: "Datos", "Datos\Estructuras" (1-3), "Datos\Generador Informes"
// (4, 6), "Datos\Asientos Nóminas" (5); the other rules keep the stored directory.
INSTANTIATE_TEST_SUITE_P(
    Rules, RuleTest,
    ::testing::Values(
        RuleCase{'I', "X\\EMP.DAT", "Datos\\", Existing::Missing, true},
        RuleCase{'I', "X\\EMP.DAT", "Datos\\", Existing::Older, false},
        RuleCase{'I', "X\\EMP.DAT", "Datos\\", Existing::Newer, false},
        RuleCase{'1', "X\\B.EST", "Datos\\Estructuras\\", Existing::Missing, true},
        RuleCase{'1', "X\\B.EST", "Datos\\Estructuras\\", Existing::Older, false},
        RuleCase{'2', "X\\M.EST", "Datos\\Estructuras\\", Existing::Missing, true},
        RuleCase{'2', "X\\M.EST", "Datos\\Estructuras\\", Existing::Newer, false},
        RuleCase{'3', "X\\D.CFG", "Datos\\Estructuras\\", Existing::Missing, true},
        RuleCase{'3', "X\\D.CFG", "Datos\\Estructuras\\", Existing::Older, false},
        RuleCase{'4', "X\\G.INF", "Datos\\Generador Informes\\", Existing::Missing, true},
        RuleCase{'4', "X\\G.INF", "Datos\\Generador Informes\\", Existing::Older, false},
        RuleCase{'5', "X\\N.ASI", "Datos\\Asientos N\xF3minas\\", Existing::Missing, true},
        RuleCase{'5', "X\\N.ASI", "Datos\\Asientos N\xF3minas\\", Existing::Newer, false},
        RuleCase{'6', "X\\H.INF", "Datos\\Generador Informes\\", Existing::Missing, true},
        RuleCase{'6', "X\\H.INF", "Datos\\Generador Informes\\", Existing::Older, true},
        RuleCase{'6', "X\\H.INF", "Datos\\Generador Informes\\", Existing::Newer, false},
        RuleCase{'F', "Programa\\AYUDA.TXT", "Programa\\", Existing::Missing, true},
        RuleCase{'F', "Programa\\AYUDA.TXT", "Programa\\", Existing::Older, true},
        RuleCase{'F', "Programa\\AYUDA.TXT", "Programa\\", Existing::Newer, false},
        RuleCase{'F', "Programa\\AYUDA.TXT", "Programa\\", Existing::Same, false},
        RuleCase{'N', "Programa\\DALVO.INI", "Programa\\", Existing::Missing, true},
        RuleCase{'N', "Programa\\DALVO.INI", "Programa\\", Existing::Older, false},
        RuleCase{'P', "Programa\\LEEME.TXT", "Programa\\", Existing::Missing, true},
        RuleCase{'P', "Programa\\LEEME.TXT", "Programa\\", Existing::Newer, true},
        RuleCase{'X', "Programa\\NOTAS.TXT", "Programa\\", Existing::Missing, false},
        RuleCase{'X', "Programa\\NOTAS.TXT", "Programa\\", Existing::Older, false},
        RuleCase{'R', "Ejemplos\\E.TXT", "Ejemplos\\", Existing::Missing, true},
        RuleCase{'R', "Ejemplos\\E.TXT", "Ejemplos\\", Existing::Newer, true}),
    RuleCaseName);

TEST_F(RunTest, ConfiguredDataDirectoryMovesTheDataRules) {
    // On another drive as in real installations: the POSIX prefix gets a drive D:. The Windows
    // test prefix stands in for drive C: only (the machine's own D: is not the test's).
    std::string data = "C:\\EMPRESAS\\DATOS";
    if (!vexo::test::kWindowsHost) {
        std::filesystem::create_directories(root_ + "/d");
        std::filesystem::create_symlink(root_ + "/d", root_ + "/prefix/dosdevices/d:");
        data = "D:\\EMPRESAS\\DATOS";
    }
    WriteFile(kRoot + "Programa\\DALVO.INI", "[PATH]\r\nPATHDATOS=" + data + "\r\n");
    PackageSpec pkg;
    pkg.files = {{"X\\EMP.DAT", 'I', "i"}, {"X\\B.EST", '1', "1"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    EXPECT_EQ(w.TargetDirectories().data, data + "\\");
    EXPECT_EQ(ReadFile(data + "\\EMP.DAT"), "i");
    EXPECT_EQ(ReadFile(data + "\\Estructuras\\B.EST"), "1");
}

TEST_F(RunTest, CorporateTaxPackageSendsEngineFilesToTheSharedDirectory) {
    PackageSpec pkg;
    pkg.files = {{"BTRIEVE\\W32MKDE.EXE", 'R', "engine"}, {"Programa\\IMPBIZ.EXE", 'R', "p"}};
    InstallerWindow& w = Started("VIZUVE.EXE", pkg);
    EXPECT_TRUE(w.SharedEngineRedirect());
    view_.directory = "C:\\VEXO\\VIZUVE\\";
    w.OnInstallClicked();
    EXPECT_EQ(ReadFile("C:\\VEXO\\Btrieve\\W32MKDE.EXE"), "engine");
    EXPECT_FALSE(ReadFile("C:\\VEXO\\VIZUVE\\BTRIEVE\\W32MKDE.EXE"));
    EXPECT_EQ(ReadFile("C:\\VEXO\\VIZUVE\\Programa\\IMPBIZ.EXE"), "p");
}

TEST_F(RunTest, OtherPackagesKeepEngineFilesUnderTheRoot) {
    PackageSpec pkg;
    pkg.files = {{"BTRIEVE\\W32MKDE.EXE", 'R', "engine"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    EXPECT_FALSE(w.SharedEngineRedirect());
    w.OnInstallClicked();
    EXPECT_EQ(ReadFile(kRoot + "BTRIEVE\\W32MKDE.EXE"), "engine");
}

TEST_F(RunTest, StoredDrivesAndSharesStayUnderTheRoot) {
    PackageSpec pkg;
    pkg.files = {{"C:\\FUERA\\A.TXT", 'R', "a"}, {"\\\\srv\\share\\B.TXT", 'R', "b"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    EXPECT_FALSE(ReadFile("C:\\FUERA\\A.TXT"));
    EXPECT_EQ(ReadFile(kRoot + "FUERA\\A.TXT"), "a");
    EXPECT_EQ(ReadFile(kRoot + "srv\\share\\B.TXT"), "b");
}

TEST_F(RunTest, RelativeDirectoryIsMadeAbsoluteAgainstCurrentDirectory) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    view_.directory = "conta\\dalvo";
    w.OnInstallClicked();
    EXPECT_EQ(w.ExtractionRoot(), "C:\\users\\ana\\conta\\dalvo");
    EXPECT_EQ(view_.installDirectory, "C:\\users\\ana\\conta\\dalvo");
    EXPECT_EQ(ReadFile("C:\\users\\ana\\conta\\dalvo\\A.TXT"), "a");
}

TEST_F(RunTest, CancelDuringExtractionStopsQuietlyAndReturnsToTheDirectoryFrame) {
    PackageSpec pkg;
    for (char c = 'A'; c <= 'E'; ++c)
        pkg.files.push_back({std::string(1, c) + ".TXT", 'R', std::string(1, c)});
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    int entries = 0;
    view_.onProcessMessages = [&] {
        if (view_.currentFile != "..\\B.TXT" || entries++ != 0) return;
        // The state while busy: progress frame in front, "Cancelar" the default button.
        EXPECT_TRUE(w.Busy());
        EXPECT_EQ(view_.frontFrame, WindowFrame::Progress);
        EXPECT_FALSE(view_.installEnabled);
        EXPECT_TRUE(view_.cancelDefault);
        EXPECT_EQ(view_.cancelCaption, "Cancelar");
        view_.answers.push_back(true);
        w.OnCancelClicked();
    };
    w.OnInstallClicked();
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Cancelar Instalación")});
    EXPECT_EQ(w.Extractor().OperationStatus(), archive::TOperationStatus::AbortRequested);
    EXPECT_EQ(w.LastRunResult(), RunResult::NothingShown);
    EXPECT_TRUE(view_.errors.empty());
    EXPECT_EQ(ReadFile(kRoot + "A.TXT"), "A"); // written before the cancel stays
    EXPECT_FALSE(ReadFile(kRoot + "E.TXT"));
    EXPECT_FALSE(view_.closed);
    ExpectIdle(w);

    // The next run starts over and completes.
    view_.onProcessMessages = nullptr;
    view_.boxes.clear();
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    EXPECT_EQ(ReadFile(kRoot + "E.TXT"), "E");
}

TEST_F(RunTest, CancelDeclinedLetsTheRunGoOn) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}, {"B.TXT", 'R', "b"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    bool once = false;
    view_.onProcessMessages = [&] {
        if (!w.Busy() || once) return;
        once = true;
        view_.answers.push_back(false);
        w.OnCancelClicked();
    };
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    EXPECT_EQ(ReadFile(kRoot + "B.TXT"), "b");
}

TEST_F(RunTest, ClosingWhileBusyRequestsAbortAndLetsTheWindowClose) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}, {"B.TXT", 'R', "b"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    bool once = false;
    view_.onProcessMessages = [&] {
        if (view_.currentFile != "..\\A.TXT" || once) return;
        once = true;
        view_.answers.push_back(true);
        EXPECT_TRUE(w.OnKeyDown(kVkEscape)); // Esc closes through the confirmation
    };
    w.OnInstallClicked();
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Cancelar Instalación")});
    EXPECT_EQ(w.Extractor().OperationStatus(), archive::TOperationStatus::AbortRequested);
    EXPECT_FALSE(ReadFile(kRoot + "B.TXT"));
    EXPECT_EQ(services_.sleeps, 0); // no fade-out while cancelling
}

TEST_F(RunTest, CancelConfirmedBeforeTheExtractionStartsIsNotLost) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    bool once = false;
    view_.onProcessMessages = [&] {
        // The first busy message processing comes before the archive is opened.
        if (!w.Busy() || once) return;
        once = true;
        view_.answers.push_back(true);
        w.OnCancelClicked();
    };
    w.OnInstallClicked();
    EXPECT_FALSE(ReadFile(kRoot + "A.TXT"));
    EXPECT_EQ(w.LastRunResult(), RunResult::NothingShown);
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Cancelar Instalación")});
    ExpectIdle(w);
}

TEST_F(RunTest, FailedFileAnsweredNoEndsWithOneFailureMessage) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}, {"B.TXT", 'R', "b"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    vexo::test::ScriptedPrompts prompts;
    archive::ScopedPrompts scoped(prompts);
    prompts.QueueResult(archive::ContinueAnswer::No);
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::CreateFile, {1, true});
    w.OnInstallClicked();
    ASSERT_EQ(prompts.Records().size(), 1u);
    EXPECT_EQ(prompts.Records()[0].Kind, archive::PromptKind::Continue);
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Instalación Incorrecta")});
    EXPECT_TRUE(view_.errors.empty());
    EXPECT_EQ(w.LastRunResult(), RunResult::Failed);
    ExpectIdle(w);
}

TEST_F(RunTest, FailedFileAnsweredYesSkipsItAndFinishes) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}, {"B.TXT", 'R', "b"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    vexo::test::ScriptedPrompts prompts;
    archive::ScopedPrompts scoped(prompts);
    prompts.QueueResult(archive::ContinueAnswer::Yes);
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::CreateFile, {1, false});
    w.OnInstallClicked();
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{W1252("Instalación Finalizada")});
    EXPECT_EQ(ReadFile(kRoot + "B.TXT"), "b");
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
}

TEST_F(RunTest, SecondRunKeepsLabelsAndAppliesRulesAgain) {
    PackageSpec pkg;
    pkg.files = {{"Datos\\EMP.DAT", 'I', "first"}, {"Programa\\P.TXT", 'P', "first"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    w.OnInstallClicked();
    ASSERT_EQ(w.LastRunResult(), RunResult::Finished);
    WriteFile(kRoot + "Datos\\EMP.DAT", "user data");
    WriteFile(kRoot + "Programa\\P.TXT", "changed");
    // The archive replaced on disk does not change what the window shows.
    PackageSpec other = pkg;
    other.version = 99;
    MakeInstaller("C:\\descargas\\ZPX16.EXE", other);
    std::string before = view_.packageVersion;
    w.OnInstallClicked();
    EXPECT_EQ(w.LastRunResult(), RunResult::Finished);
    EXPECT_EQ(view_.packageVersion, before);
    EXPECT_EQ(ReadFile(kRoot + "Datos\\EMP.DAT"), "user data");
    EXPECT_EQ(ReadFile(kRoot + "Programa\\P.TXT"), "first");
}

TEST_F(RunTest, EnterInDirectoryFieldStartsTheRun) {
    PackageSpec pkg;
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Started("ZPX16.EXE", pkg);
    EXPECT_FALSE(w.OnDirectoryKeyDown('A'));
    EXPECT_TRUE(w.OnDirectoryKeyDown(kVkReturn));
    EXPECT_EQ(ReadFile(kRoot + "A.TXT"), "a");
}

} // namespace
} // namespace vexo::installer::test
