// StartupTest.cpp - the start-up steps against installer files made on the spot.
#include "InstallerFixture.h"
#include "archive/Exceptions.h"
#include "installer/InstallerTexts.h"

namespace vexo::installer::test {
namespace {

class StartupTest : public InstallerTest {};

TEST_F(StartupTest, IdentifiesPackageAndProposesDirectory) {
    PackageSpec pkg;
    pkg.version = 1.0;
    pkg.code = 1;
    pkg.files = {{"A.TXT", 'R', "a"}};
    InstallerWindow& w = Window("C:\\descargas\\AEAT-ZORI-09.EXE", pkg);
    ASSERT_TRUE(w.OnCreate());
    EXPECT_EQ(view_.packageDate, "12 de Febrero del 2009");
    EXPECT_EQ(view_.packageVersion, W1252("Versión 1,00"));
    EXPECT_EQ(view_.packageTitle, "A.E.A.T. Modelos 115 y 303 (2009)");
    EXPECT_EQ(view_.directory, "C:\\VEXO\\ModulosAEAT\\");
    EXPECT_EQ(w.InstallerFileName(), "AEAT-ZORI-09.EXE");
    EXPECT_EQ(w.InstallerDirectory(), "C:\\descargas\\");
    EXPECT_EQ(w.Package().PackageVersion[0], 0x81);
    EXPECT_TRUE(w.Started());
    EXPECT_TRUE(ProcessStarted());
    EXPECT_FALSE(w.IdentificationDone());
    // The directory frame in front and enabled, the progress frame disabled behind it.
    EXPECT_EQ(w.CurrentFrame(), WindowFrame::Directory);
    EXPECT_EQ(view_.frontFrame, WindowFrame::Directory);
    EXPECT_TRUE(view_.frameEnabled[WindowFrame::Directory]);
    EXPECT_FALSE(view_.frameEnabled[WindowFrame::Progress]);
    EXPECT_TRUE(view_.panelEnabled);
    EXPECT_TRUE(view_.installVisible);
    EXPECT_TRUE(view_.errors.empty());
}

TEST_F(StartupTest, LowerCaseNameIsUpperCasedForTitleAndProposal) {
    PackageSpec pkg;
    pkg.code = archive::kUpdatePackageCode;
    InstallerWindow& w = Window("C:\\descargas\\zpx20.exe", pkg);
    ASSERT_TRUE(w.OnCreate());
    EXPECT_EQ(w.InstallerFileName(), "ZPX20.EXE");
    EXPECT_EQ(view_.packageTitle, W1252("Actualización Depósito y Legalización de Libros"));
    EXPECT_EQ(view_.directory, "C:\\VEXO\\DALVO"); // no shortcut: the design text stays
    EXPECT_EQ(view_.packageVersion, W1252("Versión 10,05"));
}

TEST_F(StartupTest, VersionZeroEmptiesTheLabel) {
    PackageSpec pkg;
    pkg.version = 0;
    InstallerWindow& w = Window("C:\\descargas\\ZPX16.EXE", pkg);
    ASSERT_TRUE(w.OnCreate());
    EXPECT_EQ(view_.packageVersion, "");
    EXPECT_EQ(view_.packageTitle, "Presupuestos");
}

TEST_F(StartupTest, UnconvertibleYearEndsStartupWithTheConversionError) {
    PackageSpec pkg;
    InstallerWindow& w = Window("C:\\descargas\\AEAT-ZORI-9.EXE", pkg);
    EXPECT_FALSE(w.OnCreate());
    ASSERT_EQ(view_.errors.size(), 1u);
    EXPECT_EQ(view_.errors[0].first, "Aeat-zori-9");
    EXPECT_EQ(view_.errors[0].second, "'9.' is not a valid integer value");
    EXPECT_FALSE(w.Started());
    // The archive was left closed by the failed open.
    EXPECT_FALSE(w.Extractor().IsOpen());
}

TEST_F(StartupTest, FileWithoutArchiveEndsAfterTheComponentsError) {
    WriteFile("C:\\descargas\\ZPX16.EXE", std::string(5000, 'x'));
    services_.module = "C:\\descargas\\ZPX16.EXE";
    InstallerWindow w(view_, services_);
    EXPECT_FALSE(w.OnCreate());
    ASSERT_EQ(view_.errors.size(), 1u);
    EXPECT_EQ(view_.errors[0].first, "Zpx16");
    EXPECT_NE(view_.errors[0].second.find("ZPX16.EXE"), std::string::npos)
        << view_.errors[0].second;
    EXPECT_FALSE(w.Started());
}

TEST_F(StartupTest, UnknownPlatformShowsTheWindowAndItsErrorThenStops) {
    for (int id : {kPlatformUnknown, 0, 3}) {
        RecordingView view;
        services_.platformId = id;
        InstallerWindow w(view, services_);
        EXPECT_FALSE(w.OnCreate());
        EXPECT_TRUE(view.shown);
        ASSERT_EQ(view.boxes.size(), 1u);
        EXPECT_EQ(view.boxes[0].text, W1252("Sistema Operativo NO Válido"));
        EXPECT_EQ(view.boxes[0].icon, BoxIcon::Error);
        EXPECT_EQ(view.boxes[0].buttons, BoxButtons::Ok);
        EXPECT_TRUE(view.errors.empty()); // the silent abort shows nothing more
    }
}

TEST_F(StartupTest, NameMatchingNoRowStillStarts) {
    PackageSpec pkg;
    InstallerWindow& w = Window("C:\\descargas\\ZPX16 (2).EXE", pkg);
    ASSERT_TRUE(w.OnCreate());
    EXPECT_EQ(view_.packageTitle, "");
    EXPECT_EQ(view_.directory, "C:\\VEXO\\DALVO");
}

TEST_F(StartupTest, BrowseReplacesDirectoryOnlyWhenConfirmed) {
    PackageSpec pkg;
    InstallerWindow& w = Window("C:\\descargas\\ZPX16.EXE", pkg);
    ASSERT_TRUE(w.OnCreate());
    w.OnBrowseClicked();
    EXPECT_EQ(view_.browser.shownTitle, W1252("Selecciona el Directorio de Instalación"));
    EXPECT_EQ(view_.browser.shownPath, "C:\\VEXO\\DALVO");
    EXPECT_EQ(view_.directory, "C:\\VEXO\\DALVO");
    view_.browser.choice = "D:\\OTRO";
    w.OnBrowseClicked();
    EXPECT_EQ(view_.directory, "D:\\OTRO");
}

// The standard error box is captioned with the file's own name: the window passes it on
// whatever step failed, and whatever case the name has on disk.
struct ErrorTitleCase {
    const char* installer;
    bool withArchive; // false: a file without archive fails the open
    bool failingProposal;
    const char* title;
};

class ErrorTitleTest : public InstallerTest,
                       public ::testing::WithParamInterface<ErrorTitleCase> {};

class ProposalFailingServices : public TestServices {
  public:
    std::string FindProductDirectory(std::string_view, std::string_view,
                                     std::string_view) override {
        throw archive::Exception("sin enlace");
    }
};

TEST_P(ErrorTitleTest, CaptionIsTheFilesOwnNameWithTheRestLowered) {
    const ErrorTitleCase& c = GetParam();
    ProposalFailingServices failing;
    TestServices& services = c.failingProposal ? failing : services_;
    PackageSpec pkg;
    if (c.withArchive)
        MakeInstaller(c.installer, pkg);
    else
        WriteFile(c.installer, std::string(5000, 'x'));
    services.module = c.installer;
    InstallerWindow w(view_, services);
    EXPECT_FALSE(w.OnCreate());
    ASSERT_EQ(view_.errors.size(), 1u);
    EXPECT_EQ(view_.errors[0].first, c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ErrorTitleTest,
    ::testing::Values(ErrorTitleCase{"C:\\descargas\\zpx20.exe", false, false, "zpx20"},
                      ErrorTitleCase{"C:\\descargas\\Zpx20.EXE", false, false, "Zpx20"},
                      ErrorTitleCase{"C:\\descargas\\ZPX20.EXE", false, false, "Zpx20"},
                      // The identification fails on the year: the title keeps the file's case.
                      ErrorTitleCase{"C:\\descargas\\aeat-ZORI-9.exe", true, false, "aeat-zori-9"},
                      // Before the identity is known at all.
                      ErrorTitleCase{"C:\\descargas\\zpx16.exe", true, true, "zpx16"}));

} // namespace
} // namespace vexo::installer::test
