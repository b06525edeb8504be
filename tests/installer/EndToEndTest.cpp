// EndToEndTest.cpp - installers made by the package builder, run unattended in a prefix.
#include "common/HostEnv.h"
#include "common/LargeFile.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#if defined(VEXO_INSTALAR) && defined(VEXO_ARCHIVE_TOOL)

namespace vexo::installer {
namespace {

namespace fs = std::filesystem;
using vexo::test::FsPath;
using vexo::test::Slurp;
using vexo::test::Utf8Path;
using Args = std::vector<std::string>;
using Result = vexo::test::ProgramResult;

class EndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-e2e");
        prefix_ = temp_->Path() / "prefix";
        // While VEXO_PREFIX stands a folder in for drive C:, a Windows program on the real C:
        // (the temporary folder) could not open itself: there the installers and the host
        // directories live on the stood-in drive.
        root_ = vexo::test::kWindowsHost ? prefix_ / "drive_c" / "Descargas" : temp_->Path();
        fs::create_directories(root_);
    }
    void TearDown() override { temp_.reset(); }

    Result Run(const Args& argv) {
        vexo::test::ProgramOptions options;
        // One Windows version on every host: it decides where the program group goes.
        options.environment = {
            {"VEXO_PREFIX", Utf8Path(prefix_)}, {"VEXO_USER", "ana"}, {"VEXO_WINVER", "10"}};
        return vexo::test::RunProgram(argv, options);
    }

    /// Builds an installer from the sample package's files with the given options.
    fs::path Build(const std::string& name, const Args& options,
                   const std::string& manifest = std::string(VEXO_SAMPLE_PACKAGE) + "/MANIFEST") {
        fs::path exe = root_ / name;
        Args argv = {VEXO_ARCHIVE_TOOL, "build", "--out", Utf8Path(exe), "--stub", VEXO_INSTALAR};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.insert(argv.end(), {"--manifest", manifest});
        Result r = Run(argv);
        EXPECT_EQ(r.status, 0) << r.err;
        fs::permissions(exe, fs::perms::owner_exec, fs::perm_options::add);
        return exe;
    }

    Result Install(const fs::path& exe, const Args& args = {}) {
        Args argv = {Utf8Path(exe), "--unattended"};
        argv.insert(argv.end(), args.begin(), args.end());
        return Run(argv);
    }

    fs::path Drive(const std::string& rest) { return prefix_ / "drive_c" / FsPath(rest); }

    /// The desktop below drive C:. VEXO_USER names the user; on Windows the shell's folders are
    /// its own user's.
    static std::string Desktop() {
        return "users/" + (vexo::test::kWindowsHost ? platform::UserName() : "ana") + "/Desktop";
    }

    std::optional<vexo::test::TempDirectory> temp_;
    fs::path root_, prefix_;
};

const Args kFull = {"--package-version", "10.05",      "--package-code", "1",
                    "--package-date",    "2009-02-12", "--product-code", "DALVO"};

TEST_F(EndToEndTest, SamplePackageInstallsByRuleAndMakesShortcuts) {
    fs::path exe = Build("ZPX16.EXE", kFull);
    Result r = Install(exe);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Package date:       12 de Febrero del 2009"), std::string::npos);
    EXPECT_NE(r.out.find("Package version:    Versión 10,05"), std::string::npos);
    EXPECT_NE(r.out.find("Package title:      Presupuestos"), std::string::npos);
    EXPECT_NE(r.out.find("Proposed directory: C:\\VEXO\\DALVO\n"), std::string::npos);
    EXPECT_NE(r.out.find("Extraction root:    C:\\VEXO\\DALVO\n"), std::string::npos);
    EXPECT_NE(r.out.find("skipped by rule  Programa\\NOTAS.TXT"), std::string::npos);
    EXPECT_NE(r.out.find("Instalación Finalizada"), std::string::npos);
    EXPECT_EQ(r.err, "");
    for (const char* f :
         {"VEXO/DALVO/Programa/DALVO.EXE", "VEXO/DALVO/Programa/LEEME.TXT",
          "VEXO/DALVO/Programa/DALVO.INI", "VEXO/DALVO/Datos/EMPRESAS.DAT",
          "VEXO/DALVO/Datos/Estructuras/BALANCES.EST",
          "VEXO/DALVO/Datos/Generador Informes/MAYOR.INF",
          "VEXO/DALVO/Datos/Asientos Nóminas/NOMINAS.ASI", "VEXO/DALVO/Ejemplos/EJEMPLO.TXT"})
        EXPECT_TRUE(fs::exists(Drive(f))) << f;
    EXPECT_FALSE(fs::exists(Drive("VEXO/DALVO/Programa/NOTAS.TXT")));
    EXPECT_TRUE(fs::exists(Drive(Desktop() + "/DalvoVexo.lnk")));
    EXPECT_TRUE(fs::exists(
        Drive("ProgramData/Microsoft/Windows/Start Menu/Vexo Informática/DalvoVexo.lnk")));

    // Second run: the desktop shortcut proposes the product; "I" files kept, "P" replaced.
    std::ofstream(Drive("VEXO/DALVO/Datos/EMPRESAS.DAT")) << "datos del usuario";
    std::ofstream(Drive("VEXO/DALVO/Programa/LEEME.TXT")) << "tocado";
    Result again = Install(exe);
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("Proposed directory: C:\\VEXO\\DALVO\\\n"), std::string::npos)
        << again.out;
    EXPECT_NE(again.out.find("kept             Datos\\EMPRESAS.DAT"), std::string::npos);
    EXPECT_NE(again.out.find("kept             Programa\\DALVO.INI"), std::string::npos);
    EXPECT_NE(again.out.find("written          Programa\\LEEME.TXT"), std::string::npos);
    EXPECT_NE(again.out.find("kept             Programa\\AYUDA.TXT"), std::string::npos);
    EXPECT_EQ(Slurp(Drive("VEXO/DALVO/Datos/EMPRESAS.DAT")), "datos del usuario");
    EXPECT_NE(Slurp(Drive("VEXO/DALVO/Programa/LEEME.TXT")), "tocado");
}

TEST_F(EndToEndTest, DirectoryAsHostOrWindowsPath) {
    fs::path exe = Build("cualquier nombre.exe", kFull);
    fs::path host = root_ / "destino";
    fs::create_directories(host);
    // On Windows a host path is a Windows path, the folder's on the stood-in drive C:.
    Result r = Install(
        exe, {"--dir", vexo::test::kWindowsHost ? "C:\\Descargas\\destino" : Utf8Path(host)});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(host / "Programa" / "DALVO.EXE"));
    EXPECT_NE(r.out.find("Package title:      \n"), std::string::npos); // no row matches

    // No drive D: in the prefix: the first file fails and the continue prompt takes its safe
    // answer, which counts as a declined question.
    Result w = Install(exe, {"--dir", "D:\\no\\drive"});
    EXPECT_EQ(w.status, 3) << w.out;
    EXPECT_NE(w.err.find("Desea continuar"), std::string::npos) << w.err;
    EXPECT_NE(w.out.find("Instalación Incorrecta"), std::string::npos) << w.out;

    Result win = Install(exe, {"--dir", "C:\\Otra Carpeta"});
    ASSERT_EQ(win.status, 0) << win.out << win.err;
    EXPECT_TRUE(fs::exists(Drive("Otra Carpeta/Ejemplos/EJEMPLO.TXT")));
}

TEST_F(EndToEndTest, NewerInstalledProgramIsDeclinedUnlessYes) {
    // The sample's DALVO.EXE carries version 10,05; this package says 10,00.
    fs::path exe = Build("ZPX16.EXE", {"--package-version", "10", "--product-code", "DALVO"});
    ASSERT_EQ(Install(exe).status, 0); // first time: nothing installed yet
    fs::remove(Drive("VEXO/DALVO/Ejemplos/EJEMPLO.TXT"));
    Result no = Install(exe);
    EXPECT_EQ(no.status, 3) << no.out << no.err;
    EXPECT_NE(no.out.find("La Versión Instalada es Mayor que la Actual. ¿Deseas Continuar? "
                          "[Vale/Cancelar] -> Cancelar"),
              std::string::npos)
        << no.out;
    EXPECT_FALSE(fs::exists(Drive("VEXO/DALVO/Ejemplos/EJEMPLO.TXT")));
    Result yes = Install(exe, {"--yes"});
    EXPECT_EQ(yes.status, 0) << yes.out << yes.err;
    EXPECT_TRUE(fs::exists(Drive("VEXO/DALVO/Ejemplos/EJEMPLO.TXT")));
}

TEST_F(EndToEndTest, UpdateWithoutProgramFailsWithItsMessage) {
    fs::path exe = Build("ZPX16.EXE", {"--package-code", "1962503", "--product-code", "DALVO"});
    Result r = Install(exe);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Zpx16: No se encontró el Programa: C:\\VEXO\\DALVO\\Programa\\DALVO.EXE\n");
    EXPECT_FALSE(fs::exists(Drive("VEXO/DALVO/Ejemplos")));
}

TEST_F(EndToEndTest, ProgramWithoutArchiveEndsAfterTheError) {
    fs::path exe = root_ / "ZPX16.EXE";
    fs::copy_file(VEXO_INSTALAR, exe);
    Result r = Install(exe);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Zpx16: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ZPX16.EXE"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

// SIGINT, SIGTERM and SIGHUP half way through a file of 4 MiB that replaces an installed one: the
// run stops between blocks, the installed file stays whole and nothing is left beside it.
TEST_F(EndToEndTest, AStopRequestKeepsTheInstalledFileWhole) {
    const fs::path src = temp_->Path() / "grande";
    fs::create_directories(src);
    vexo::test::WriteVariedText(src / "GRANDE.BIN", 4u << 20);
    std::ofstream(src / "MANIFEST") << "P GRANDE.BIN\n";
    fs::path exe = Build("ZPX16.EXE", kFull, Utf8Path(src / "MANIFEST"));
    const std::pair<int, const char*> requests[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (const auto& [signal, name] : requests) {
        SCOPED_TRACE(name);
        fs::create_directories(Drive("VEXO/DALVO"));
        std::ofstream(Drive("VEXO/DALVO/GRANDE.BIN")) << "instalado antes";
        vexo::test::ProgramOptions options;
        options.environment = {{"VEXO_PREFIX", Utf8Path(prefix_)},
                               {"VEXO_USER", "ana"},
                               {"VEXO_WINVER", "10"},
                               {"VEXO_TEST_PAUSE", "block:30"}};
        bool sent = false;
        options.onError = [&, sig = signal](const std::string& err, long pid) {
            if (sent || err.find("vexo-test: paused at block:30") == std::string::npos) return;
            sent = vexo::test::SignalProgram(pid, sig);
        };
        Result r = vexo::test::RunProgram({Utf8Path(exe), "--unattended"}, options);
        EXPECT_TRUE(sent) << r.out << r.err;
        ASSERT_TRUE(r.exited) << r.err;
        EXPECT_EQ(r.status, 128 + signal) << r.out << r.err;
        EXPECT_NE(r.err.find(std::string("interrupted (") + name + ")"), std::string::npos)
            << r.err;
        EXPECT_EQ(Slurp(Drive("VEXO/DALVO/GRANDE.BIN")), "instalado antes");
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Drive("VEXO/DALVO")))
            names.push_back(e.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"GRANDE.BIN"});
    }
}

TEST_F(EndToEndTest, UsageErrorsAndHelp) {
    Result bad = Run({VEXO_INSTALAR, "--bogus"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("unknown argument: --bogus"), std::string::npos);
    EXPECT_EQ(Run({VEXO_INSTALAR, "--yes"}).status, 2);
    EXPECT_EQ(Run({VEXO_INSTALAR, "--unattended", "--dir"}).status, 2);
    Result help = Run({VEXO_INSTALAR, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--unattended"), std::string::npos);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}

} // namespace
} // namespace vexo::installer

#endif
