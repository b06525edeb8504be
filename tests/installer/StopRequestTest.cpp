// StopRequestTest.cpp - a stop request (a signal, the console's Ctrl+C) seen by the window's
// periodic check: open boxes end, none opens, the window closes without asking, and a run in
// progress stops with its files as a cancel leaves them.
#include "InstallerFixture.h"
#include "installer/InstallerTexts.h"

namespace vexo::installer::test {
namespace {

const std::string kRoot = "C:\\VEXO\\DALVO\\";

class StopRequestTest : public InstallerTest {
  protected:
    InstallerWindow& Started(PackageSpec pkg = {}) {
        if (pkg.files.empty())
            for (char c = 'A'; c <= 'E'; ++c)
                pkg.files.push_back({std::string(1, c) + ".TXT", 'R', std::string(1, c)});
        InstallerWindow& w = Window("C:\\descargas\\ZPX16.EXE", pkg);
        EXPECT_TRUE(w.OnCreate());
        view_.opacity = kOpaque;
        return w;
    }
};

TEST_F(StopRequestTest, WithoutARequestTheCheckDoesNothing) {
    InstallerWindow& w = Started();
    for (int i = 0; i < 3; ++i)
        w.OnStopCheck();
    EXPECT_FALSE(view_.closed);
    EXPECT_EQ(view_.boxesClosed, 0);
    EXPECT_TRUE(view_.boxes.empty());
}

// Where the request is seen: while the window waits for the user, or in the messages the
// window serves between two files of a run.
TEST_F(StopRequestTest, TheWindowClosesWithoutAskingWhereverTheRequestIsSeen) {
    struct Case {
        const char* where;
        bool duringRun;
    };
    for (const Case c : {Case{"idle", false}, Case{"installing B.TXT", true}}) {
        SCOPED_TRACE(c.where);
        TearDown();
        SetUp();
        view_ = RecordingView();
        services_ = TestServices();
        InstallerWindow& w = Started();
        if (c.duringRun) {
            view_.onProcessMessages = [&] {
                if (view_.currentFile != "..\\B.TXT" || services_.stop) return;
                services_.stop = true;
                w.OnStopCheck();
            };
            w.OnInstallClicked();
            EXPECT_EQ(w.Extractor().OperationStatus(), archive::TOperationStatus::AbortRequested);
            EXPECT_EQ(w.LastRunResult(), RunResult::NothingShown);
            EXPECT_EQ(ReadFile(kRoot + "A.TXT"), "A"); // done before the request: kept
            EXPECT_FALSE(ReadFile(kRoot + "E.TXT"));
            EXPECT_FALSE(w.Busy());
        } else {
            services_.stop = true;
            w.OnStopCheck();
        }
        EXPECT_TRUE(view_.closed);
        EXPECT_EQ(view_.boxesClosed, 1);
        EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{}); // no confirmation, no result
        EXPECT_TRUE(view_.errors.empty());
        EXPECT_EQ(services_.sleeps, 0); // no fade-out
    }
}

// Once stopping, a question the run would ask is not put: it counts as "Cancelar".
TEST_F(StopRequestTest, OnceStoppingNoQuestionIsPut) {
    PackageSpec pkg;
    pkg.productCode = "DALVO";
    pkg.version = 10.05;
    pkg.files = {{"A.TXT", 'R', "a"}};
    const std::string program = kRoot + "Programa\\DALVO.EXE";
    WriteFile(program, "installed");
    services_.versions[program] = 11.0; // newer than the package: the run would ask
    InstallerWindow& w = Started(pkg);
    services_.stop = true;
    w.OnStopCheck();
    w.OnInstallClicked();
    EXPECT_TRUE(view_.boxes.empty());
    EXPECT_FALSE(ReadFile(kRoot + "A.TXT"));
    EXPECT_EQ(w.LastRunResult(), RunResult::NothingShown);
}

// A request the check has not seen yet changes nothing the user does: the console's own run,
// which has no such check, keeps its questions.
TEST_F(StopRequestTest, UntilTheCheckSeesTheRequestClosingStillAsks) {
    InstallerWindow& w = Started();
    services_.stop = true;
    view_.answers.push_back(false);
    EXPECT_TRUE(w.OnKeyDown(kVkEscape));
    EXPECT_FALSE(view_.closed);
    EXPECT_EQ(view_.BoxTexts(), std::vector<std::string>{texts::ConfirmExit()});
}

} // namespace
} // namespace vexo::installer::test
