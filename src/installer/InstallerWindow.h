// InstallerWindow.h - the main window's logic: start-up, frames, fades, closing, the
// installation run and the archive component's events. Toolkit-free: it drives a MainView.
#pragma once

#include "archive/PackageValues.h"
#include "environment/Configuration.h"
#include "extract/Extractor.h"
#include "installer/MainView.h"
#include "installer/RunOutcomes.h"
#include "installer/Services.h"

#include <array>
#include <cstdint>
#include <exception>
#include <string>

namespace vexo::installer {

/// Set once the start-up got past opening the archive; the program then runs its window.
bool ProcessStarted();

/// Virtual keys the window handles.
inline constexpr int kVkReturn = 13;
inline constexpr int kVkEscape = 27;

/// What the last installation run showed at its end.
enum class RunResult {
    NothingShown, // declined, cancelled or no run yet
    Finished,     // "Instalación Finalizada"
    Failed,       // "Instalación Incorrecta" or an error
};

class InstallerWindow {
  public:
    InstallerWindow(MainView& view, InstallerServices& services);
    InstallerWindow(const InstallerWindow&) = delete;
    InstallerWindow& operator=(const InstallerWindow&) = delete;

    // Event handlers. Each shows its own exceptions through the standard error display.
    /// Runs the start-up steps; \returns true when they got past the archive.
    bool OnCreate();
    /// The window was shown: the fade-in starts, or the window turns opaque at once.
    void OnActivate();
    /// One step of the fade-in.
    void OnFadeTimer();
    /// A key anywhere in the window, before the focused control; \returns true when handled.
    bool OnKeyDown(int key);
    /// Runs for every attempt to close the window; \returns whether it may close.
    bool OnCloseRequested();
    /// The exit button ("Salir", "Cancelar" while installing).
    void OnCancelClicked();
    /// The install button: one installation run.
    void OnInstallClicked();
    /// A key in the directory field; \returns true when it was handled.
    bool OnDirectoryKeyDown(int key);
    /// The browse button beside the directory field.
    void OnBrowseClicked();
    /// The view's periodic look for a stop request (a signal, the console's Ctrl+C or
    /// closing): once it has seen one, open boxes end unanswered, no other box opens and the
    /// window closes without asking; a run in progress stops at its next block, its current
    /// file left as it was.
    void OnStopCheck();

    // Operations of the window.
    void ShowFrame(WindowFrame frame, bool leavePrevious);
    void EnterInstallingState();
    void LeaveInstallingState();
    void ProposeProductDirectory();
    void AdjustProposal();
    /// Blocks the thread while the window fades to transparent.
    void FadeOut();

    // The archive component's events; each comment names the event handled.
    /// OnAfterOpen: identifies the package and fills the three labels.
    void OnArchiveOpened(archive::TArchiverRoot& Sender);
    /// OnExtractFile: the entry's install rule decides whether and where it is written.
    void OnFileReached(archive::TArchiverRoot& Sender, const archive::TFileEntry& FileEntry,
                       std::string& DestPath, bool& Accept);
    /// OnFileProgress: the whole run's percentage.
    void OnExtractionProgress(archive::TArchiverRoot& Sender, int Percent);
    /// OnFinishOperation.
    void OnExtractionFinished(archive::TArchiverRoot& Sender);
    /// OnError: the entry's file is left out.
    void OnFileFailed(archive::TArchiverRoot& Sender, const std::exception& E,
                      const archive::TFileEntry& FileEntry, archive::TErrorAction& ErrorAction);
    /// OnFileExtracted.
    void OnFileWritten(archive::TArchiverRoot& Sender, const archive::TFileEntry& FileEntry,
                       const std::string& DestPath);

    // State, for the program and for tests.
    int PlatformId() const { return platformId_; }
    bool Busy() const { return busy_; }
    bool IdentificationDone() const { return identificationDone_; }
    bool Started() const { return started_; }
    WindowFrame CurrentFrame() const { return currentFrame_; }
    bool SharedEngineRedirect() const { return sharedEngineRedirect_; }
    const std::string& InstallerDirectory() const { return installerDirectory_; }
    const std::string& InstallerFileName() const { return installerFileName_; }
    const archive::PackageValues& Package() const { return package_; }
    double InstalledVersion() const { return installedVersion_; }
    const std::string& ExtractionRoot() const { return extractionRoot_; }
    const environment::TargetDirectories& TargetDirectories() const { return targets_; }
    extract::TExtractor& Extractor() { return extractor_; }

    RunResult LastRunResult() const { return lastRunResult_; }
    /// What became of each entry the last extraction reached.
    const OutcomeLedger& Outcomes() const { return outcomes_; }

  private:
    void Startup();
    void InstallRun();
    /// The user confirmed "Cancelar Instalación": the run stops at its next progress point.
    void RequestCancel();
    /// The standard exception display; the silent abort shows nothing. \returns false for it.
    bool ShowException(std::exception_ptr e);
    /// A box of the window; once the window is stopping none opens and the answer is
    /// "Cancelar".
    bool Ask(const std::string& text, BoxIcon icon, BoxButtons buttons);
    /// Runs the extraction and settles the outcome of the entry it was on when it ended.
    void Extract();
    void Report(const std::vector<EntryOutcome>& settled);
    /// The summary of the run's extraction, if one was started.
    void ReportRunSummary();

    MainView& view_;
    InstallerServices& services_;
    extract::TExtractor extractor_;

    int platformId_ = kPlatformUnknown;
    std::string installerDirectory_;
    std::string installerFileName_;
    bool busy_ = false;
    bool identificationDone_ = false;
    bool started_ = false;
    WindowFrame currentFrame_ = WindowFrame::Directory;
    bool sharedEngineRedirect_ = false;
    archive::PackageValues package_;
    double installedVersion_ = 0;
    std::string extractionRoot_;
    environment::TargetDirectories targets_;
    RunResult lastRunResult_ = RunResult::NothingShown;
    bool failureShown_ = false;
    bool cancelRequested_ = false;
    OutcomeLedger outcomes_;
    bool extractionStarted_ = false;
    bool stopping_ = false; // OnStopCheck saw a stop request
};

} // namespace vexo::installer
