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

class InstallerWindow {
  public:
    InstallerWindow(MainView& view, InstallerServices& services);
    InstallerWindow(const InstallerWindow&) = delete;
    InstallerWindow& operator=(const InstallerWindow&) = delete;

    // Event handlers. Each shows its own exceptions through the standard error display.
    /// Runs the start-up steps; \returns true when they got past the archive.
    bool FormCreate();
    void FormActivate();
    void Timer2Timer();
    /// \returns true when the key was handled.
    bool FormKeyDown(int key);
    /// Runs for every attempt to close the window; \returns whether it may close.
    bool FormCloseQuery();
    void bCancelarClick();
    void bInstalarClick();
    /// \returns true when the key was handled.
    bool eDirProgramaKeyDown(int key);
    void bDirClick();

    // Operations of the window.
    void ShowFrame(int index, bool leavePrevious);
    void EnterInstallingState();
    void LeaveInstallingState();
    void ProposeProductDirectory();
    void AdjustProposal();
    /// Blocks the thread while the window fades to transparent.
    void FadeOut();

    // The archive component's events.
    void Extractor1AfterOpen(archive::TArchiverRoot& Sender);
    void Extractor1ExtractFile(archive::TArchiverRoot& Sender, const archive::TFileEntry& FileEntry,
                               std::string& DestPath, bool& Accept);
    void Extractor1FileProgress(archive::TArchiverRoot& Sender, int Percent);
    void Extractor1FinishOperation(archive::TArchiverRoot& Sender);
    void Extractor1Error(archive::TArchiverRoot& Sender, const std::exception& E,
                         const archive::TFileEntry& FileEntry, archive::TErrorAction& ErrorAction);
    void Extractor1FileExtracted(archive::TArchiverRoot& Sender,
                                 const archive::TFileEntry& FileEntry, const std::string& DestPath);

    // State, for the program and for tests.
    int PlatformId() const { return platformId_; }
    bool Busy() const { return busy_; }
    bool IdentificationDone() const { return identificationDone_; }
    bool Started() const { return started_; }
    int CurrentFrame() const { return currentFrame_; }
    bool SharedEngineRedirect() const { return sharedEngineRedirect_; }
    const std::string& InstallerDirectory() const { return installerDirectory_; }
    const std::string& InstallerFileName() const { return installerFileName_; }
    const archive::PackageValues& Package() const { return package_; }
    double InstalledVersion() const { return installedVersion_; }
    const std::string& ExtractionRoot() const { return extractionRoot_; }
    const environment::TargetDirectories& TargetDirectories() const { return targets_; }
    extract::TExtractor& Extractor1() { return extractor_; }

    /// The last run's end: 1 "Instalación Finalizada" shown, -1 "Instalación Incorrecta" or an
    /// error shown, 0 nothing shown (declined, cancelled or no run yet).
    int LastRunResult() const { return lastRunResult_; }
    /// What became of each entry the last extraction reached.
    const OutcomeLedger& Outcomes() const { return outcomes_; }

  private:
    void Startup();
    void InstallRun();
    /// The user confirmed "Cancelar Instalación": the run stops at its next progress point.
    void RequestCancel();
    /// The standard exception display; the silent abort shows nothing. \returns false for it.
    bool ShowException(std::exception_ptr e);
    /// Runs the extraction and settles the outcome of the entry it was on when it ended.
    void Extract();
    void Report(const std::vector<EntryOutcome>& settled);
    /// The summary of the run's extraction, if one was started.
    void ReportRunSummary();

    MainView& view_;
    InstallerServices& services_;
    extract::TExtractor extractor_;

    int platformId_ = -1;
    std::string installerDirectory_;
    std::string installerFileName_;
    bool busy_ = false;
    bool identificationDone_ = false;
    bool started_ = false;
    int currentFrame_ = 1;
    bool sharedEngineRedirect_ = false;
    archive::PackageValues package_;
    double installedVersion_ = 0;
    std::string extractionRoot_;
    environment::TargetDirectories targets_;
    int lastRunResult_ = 0;
    bool failureShown_ = false;
    bool cancelRequested_ = false;
    OutcomeLedger outcomes_;
    bool extractionStarted_ = false;
};

} // namespace vexo::installer
