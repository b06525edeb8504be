// InterruptedWindowTest.cpp - the installer's window stopped by SIGINT, SIGTERM and SIGHUP: while
// it installs (at known moments of a large file that replaces an installed one), while it waits
// for the user and while a box waits for an answer. The program ends with 128 + the signal, the
// installed file whole, the files done before kept and no temporary file left.
#include "common/LargeFile.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if defined(VEXO_INSTALAR) && defined(VEXO_ARCHIVE_TOOL) && defined(VEXO_WINDOW_DRIVER)

namespace vexo::ui {
namespace {

namespace fs = std::filesystem;
using vexo::test::Slurp;

const std::string kInstalled = "instalado antes";

class InterruptedWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = new vexo::test::TempDirectory("vexo-window-stop");
        const fs::path src = temp_->Path() / "src";
        fs::create_directories(src);
        std::ofstream(src / "A.TXT") << "primero";
        vexo::test::WriteVariedText(src / "GRANDE.BIN", 4u << 20);
        // The small file first: it is done when the large one is stopped.
        std::ofstream(src / "MANIFEST") << "P A.TXT\nP GRANDE.BIN\n";
        const auto r = vexo::test::RunProgram(
            {VEXO_ARCHIVE_TOOL, "build", "--out", Package().string(), "--stub", VEXO_INSTALAR,
             "--package-version", "10.05", "--package-code", "1", "--package-date", "2009-02-12",
             "--product-code", "DALVO", "--manifest", (src / "MANIFEST").string()});
        ASSERT_EQ(r.status, 0) << r.err;
        fs::permissions(Package(), fs::perms::owner_exec, fs::perm_options::add);
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }
    static fs::path Package() { return temp_->Path() / "ZPX16.EXE"; }

    /// A fresh drive C: with GRANDE.BIN installed before.
    void SetUp() override {
        static int run = 0;
        prefix_ = temp_->Path() / ("prefix" + std::to_string(++run));
        fs::create_directories(Target());
        std::ofstream(Target() / "GRANDE.BIN") << kInstalled;
        fs::create_directories(temp_->Path() / "xdg");
        fs::permissions(temp_->Path() / "xdg", fs::perms::owner_all);
    }
    fs::path Target() const { return prefix_ / "drive_c/VEXO/DALVO"; }

    /// Runs the window with the driver pressing `button` (none: nothing pressed), pausing at
    /// `pause`; `signal` is sent once standard error shows `when`.
    vexo::test::ProgramResult Run(const char* button, const char* pause, const char* when,
                                  int signal) {
        vexo::test::ProgramOptions options;
        options.environment = {
            {"VEXO_PREFIX", prefix_.string()},
            {"VEXO_USER", "ana"},
            {"VEXO_WINVER", "10"},
            {"VEXO_TEST_PAUSE", pause},
            {"VEXO_TEST_DRIVE", button},
            {"LD_PRELOAD", VEXO_WINDOW_DRIVER},
            // The driver is not instrumented: a sanitizer build lets it go first.
            {"ASAN_OPTIONS", "verify_asan_link_order=0"},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"XDG_RUNTIME_DIR", (temp_->Path() / "xdg").string()}};
        options.limit = std::chrono::seconds(60);
        sent_ = false;
        options.onError = [&](const std::string& err, long pid) {
            if (sent_ || err.find(std::string("vexo-test: ") + when) == std::string::npos) return;
            sent_ = vexo::test::SignalProgram(pid, signal);
        };
        return vexo::test::RunProgram({Package().string()}, options);
    }

    /// Every name below drive C: that a writer's temporary file would have.
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(prefix_ / "drive_c"))
            if (e.path().filename().string().rfind("~vx", 0) == 0)
                names.push_back(e.path().string());
        return names;
    }

    static inline vexo::test::TempDirectory* temp_ = nullptr;
    fs::path prefix_;
    bool sent_ = false;
};

struct Request {
    int signal;
    const char* name;
};
const Request kRequests[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};

void ExpectStoppedBy(const vexo::test::ProgramResult& r, const Request& q) {
    ASSERT_TRUE(r.exited) << "signal " << r.signal << (r.timedOut ? " (timed out)" : "") << "\n"
                          << r.err;
    EXPECT_EQ(r.status, 128 + q.signal) << r.err;
    EXPECT_NE(r.err.find(std::string("interrupted (") + q.name + ")"), std::string::npos) << r.err;
}

TEST_F(InterruptedWindow, AStopWhileInstallingKeepsTheInstalledFileWhole) {
    // The temporary file just made; half way through its blocks; written whole, not yet in place.
    const char* const moments[] = {"output:2", "block:30", "commit:2"};
    for (const Request& q : kRequests) {
        for (const char* moment : moments) {
            SCOPED_TRACE(std::string(q.name) + " at " + moment);
            SetUp();
            const auto r = Run("bInstalar", moment, "paused at", q.signal);
            EXPECT_TRUE(sent_) << r.err;
            ExpectStoppedBy(r, q);
            EXPECT_EQ(Slurp(Target() / "GRANDE.BIN"), kInstalled);
            EXPECT_EQ(Slurp(Target() / "A.TXT"), "primero");
            EXPECT_EQ(Temporaries(), std::vector<std::string>{});
        }
    }
}

TEST_F(InterruptedWindow, AStopWhileTheWindowWaitsClosesIt) {
    struct Wait {
        const char* button; // pressed by the driver
        const char* when;   // the moment the signal is sent
    };
    const Wait waits[] = {
        {"", "window shown"},       // the directory question
        {"bCancelar", "box shown"}, // "Confirma Salida del Instalador" open
    };
    for (const Request& q : kRequests) {
        for (const Wait& w : waits) {
            SCOPED_TRACE(std::string(q.name) + " at " + w.when);
            SetUp();
            const auto r = Run(w.button, "", w.when, q.signal);
            EXPECT_TRUE(sent_) << r.err;
            ExpectStoppedBy(r, q);
            EXPECT_LT(r.seconds, 30) << r.err;
            EXPECT_EQ(Slurp(Target() / "GRANDE.BIN"), kInstalled);
            EXPECT_FALSE(fs::exists(Target() / "A.TXT"));
        }
    }
}

} // namespace
} // namespace vexo::ui

#endif
