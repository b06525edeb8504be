// InstallerWindow.cpp - the life of the installer window from start-up to close.
#include "installer/InstallerWindow.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "archive/Real48.h"
#include "environment/ProgramIdentity.h"
#include "installer/ArchiveListing.h"
#include "installer/DirectoryProposal.h"
#include "installer/InstallRules.h"
#include "installer/InstallerTexts.h"
#include "installer/PackageIdentity.h"
#include "installer/PathExpansion.h"
#include "platform/Encoding.h"

#include <atomic>

namespace vexo::installer {

namespace {

std::atomic<bool> g_processStarted{false};

constexpr int kFadeStep = 40;
/// Below it the fade-in takes another step; from it on the window turns opaque.
constexpr int kLastFadeInStep = 220;
constexpr unsigned kFadeTickMs = 80;

} // namespace

bool ProcessStarted() {
    return g_processStarted.load();
}

InstallerWindow::InstallerWindow(MainView& view, InstallerServices& services)
    : view_(view), services_(services) {
    extractor_.SetBlockSize(65536);
    extractor_.SetErrorAction(archive::eaAsk);
    extractor_.SetFilter("*.*");
    extractor_.SetLanguage(archive::TLanguage::lgAutomatic);
    extractor_.SetOptions(archive::kDefaultOptions);
    extractor_.SetRestoreAction(extract::raOverwrite);
    // A package only ever writes under the chosen directory, whatever names its archive holds.
    extractor_.SetAllowAbsolutePaths(false);
    // A damaged download is refused before the first file is written: every block's checksum
    // is read once before the extraction starts.
    extractor_.SetVerifyBeforeExtract(true);
    extractor_.Loaded();
    extractor_.OnAfterOpen = [this](archive::TArchiverRoot& s) { OnArchiveOpened(s); };
    extractor_.OnExtractFile = [this](archive::TArchiverRoot& s, const archive::TFileEntry& e,
                                      std::string& dest,
                                      bool& accept) { OnFileReached(s, e, dest, accept); };
    extractor_.OnFileProgress = [this](archive::TArchiverRoot& s, int p) {
        OnExtractionProgress(s, p);
    };
    extractor_.OnFinishOperation = [this](archive::TArchiverRoot& s) { OnExtractionFinished(s); };
    extractor_.OnError = [this](archive::TArchiverRoot& s, const std::exception& e,
                                const archive::TFileEntry& entry, archive::TErrorAction& action) {
        OnFileFailed(s, e, entry, action);
    };
    extractor_.OnFileExtracted = [this](archive::TArchiverRoot& s, const archive::TFileEntry& e,
                                        const std::string& dest) { OnFileWritten(s, e, dest); };
}

bool InstallerWindow::ShowException(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const archive::EAbort&) {
        return false;
    } catch (const std::exception& ex) {
        if (stopping_) return true; // closing without another box
        // The title comes from the file's own name, not from the upper-cased identity: it is
        // known from the first step on, and "zpx20.exe" is titled "zpx20".
        view_.ShowApplicationError(
            ApplicationTitle(archive::ExtractFileName(services_.ModuleFileName())), ex.what());
    }
    return true;
}

bool InstallerWindow::Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) {
    if (stopping_) return false;
    return view_.MessageBox(text, icon, buttons);
}

// ---- Start-up -------------------------------------------------------------------------------

bool InstallerWindow::OnCreate() {
    try {
        Startup();
    } catch (...) {
        ShowException(std::current_exception());
    }
    return started_;
}

void InstallerWindow::Startup() {
    // Both frames start disabled behind the panel.
    for (WindowFrame frame : {WindowFrame::Directory, WindowFrame::Progress}) {
        view_.SetFrameEnabled(frame, false);
    }
    identificationDone_ = false;
    busy_ = false;

    platformId_ = services_.PlatformId();
    if (platformId_ != kPlatform9xFamily && platformId_ != kPlatformNtFamily) {
        view_.ShowWindow();
        Ask(texts::InvalidSystem(), BoxIcon::Error, BoxButtons::Ok);
        throw archive::EAbort();
    }

    ProposeProductDirectory();

    std::string self = services_.ModuleFileName();
    installerDirectory_ = archive::ExtractFilePath(self);
    extractor_.SetFileName(self);
    installerFileName_ = platform::UpperAscii(archive::ExtractFileName(extractor_.FileName()));

    extractor_.SetSFXCodeSize(services_.FindArchiveStart(extractor_.FileName()));

    extractor_.Open();
    extractor_.Close();

    started_ = true;
    g_processStarted = true;

    AdjustProposal();

    currentFrame_ = WindowFrame::Directory;
    ShowFrame(WindowFrame::Directory, false);
}

void InstallerWindow::ProposeProductDirectory() {
    view_.SetDirectoryText(services_.FindProductDirectory(
        kProductShortcutCode, services_.DesktopDirectory(), view_.DirectoryText()));
}

void InstallerWindow::AdjustProposal() {
    AdjustedProposal p = AdjustProposalFor(installerFileName_, view_.DirectoryText(),
                                           services_.CurrentDirectory(), services_);
    sharedEngineRedirect_ = p.sharedEngineRedirect;
    view_.SetDirectoryText(p.directory);
}

// ---- Frames and states ----------------------------------------------------------------------

void InstallerWindow::ShowFrame(WindowFrame frame, bool leavePrevious) {
    view_.SetPanelFrameEnabled(false);
    if (leavePrevious) view_.SetFrameEnabled(currentFrame_, false);
    view_.SetFrameEnabled(frame, true);
    view_.BringFrameToFront(frame);
    currentFrame_ = frame;
    view_.SetPanelFrameEnabled(true);
    view_.SetInstallVisible(true);
    view_.ProcessMessages();
}

void InstallerWindow::EnterInstallingState() {
    view_.SetPanelFrameEnabled(false);
    view_.SetFrameEnabled(currentFrame_, false);
    view_.SetFrameEnabled(WindowFrame::Progress, true);
    view_.BringFrameToFront(WindowFrame::Progress);
    view_.SetPanelFrameEnabled(true);
    view_.SetInstallDefault(false);
    view_.SetInstallEnabled(false);
    view_.SetCancelCaption(texts::Cancel());
    view_.SetCancelDefault(true);
}

void InstallerWindow::LeaveInstallingState() {
    busy_ = false;
    view_.SetInstallEnabled(true);
    view_.SetCancelDefault(false);
    view_.SetInstallDefault(true);
    view_.SetCancelCaption(texts::Exit());
    view_.SetFrameEnabled(WindowFrame::Progress, false);
    ShowFrame(currentFrame_, true);
}

// ---- Fades ----------------------------------------------------------------------------------

void InstallerWindow::OnActivate() {
    if (view_.Opacity() != kTransparent) return;
    if (platformId_ == kPlatformNtFamily)
        view_.SetFadeTimerEnabled(true);
    else
        view_.SetOpacity(kOpaque); // no layered windows: opaque at once
}

void InstallerWindow::OnFadeTimer() {
    int opacity = view_.Opacity();
    if (opacity < kLastFadeInStep) {
        view_.SetOpacity(opacity + kFadeStep);
    } else {
        view_.SetOpacity(kOpaque);
        view_.SetFadeTimerEnabled(false);
    }
}

void InstallerWindow::FadeOut() {
    for (;;) {
        std::uint32_t start = services_.TickCount();
        while (services_.TickCount() - start < kFadeTickMs)
            services_.Sleep(5);
        int opacity = view_.Opacity();
        if (opacity <= kFadeStep) {
            view_.SetOpacity(kTransparent);
            return;
        }
        view_.SetOpacity(opacity - kFadeStep);
    }
}

// ---- Keys and closing -----------------------------------------------------------------------

bool InstallerWindow::OnKeyDown(int key) {
    if (key != kVkEscape) return false;
    view_.CloseWindow();
    return true;
}

bool InstallerWindow::OnDirectoryKeyDown(int key) {
    if (key != kVkReturn) return false;
    OnInstallClicked();
    return true;
}

bool InstallerWindow::OnCloseRequested() {
    if (stopping_) {
        // No question and no fade: the run, if any, stops at its next block.
        if (busy_) RequestCancel();
        return true;
    }
    if (busy_) {
        if (!Ask(texts::CancelInstallation(), BoxIcon::Confirmation, BoxButtons::OkCancel))
            return false;
        RequestCancel();
        return true;
    }
    if (!Ask(texts::ConfirmExit(), BoxIcon::Confirmation, BoxButtons::OkCancel)) return false;
    if (platformId_ == kPlatformNtFamily) FadeOut();
    return true;
}

void InstallerWindow::OnCancelClicked() {
    if (!busy_) {
        view_.CloseWindow();
        return;
    }
    if (Ask(texts::CancelInstallation(), BoxIcon::Confirmation, BoxButtons::OkCancel))
        RequestCancel();
}

void InstallerWindow::OnStopCheck() {
    if (!services_.StopRequested()) return;
    stopping_ = true;
    view_.CloseBoxes();
    view_.CloseWindow();
}

void InstallerWindow::RequestCancel() {
    cancelRequested_ = true;
    extractor_.RequestAbort();
}

void InstallerWindow::OnBrowseClicked() {
    std::string path = view_.DirectoryText();
    try {
        if (view_.FolderBrowser().BrowseForFolder(nullptr, path, environment::BrowseTitle(), true))
            view_.SetDirectoryText(path);
    } catch (...) {
        ShowException(std::current_exception());
    }
}

// ---- The installation run -------------------------------------------------------------------

void InstallerWindow::OnInstallClicked() {
    lastRunResult_ = RunResult::NothingShown;
    failureShown_ = false;
    cancelRequested_ = false;
    extractionStarted_ = false;
    outcomes_.Clear();
    EnterInstallingState();
    view_.ProcessMessages();
    installedVersion_ = 0;
    try {
        InstallRun();
    } catch (...) {
        LeaveInstallingState();
        if (ShowException(std::current_exception())) lastRunResult_ = RunResult::Failed;
        ReportRunSummary();
        return;
    }
    LeaveInstallingState();
    ReportRunSummary();
}

void InstallerWindow::Extract() {
    extractionStarted_ = true;
    try {
        extractor_.ExtractAll();
    } catch (...) {
        Report(outcomes_.Finish(extractor_.OperationStatus()));
        throw;
    }
    Report(outcomes_.Finish(extractor_.OperationStatus()));
}

void InstallerWindow::Report(const std::vector<EntryOutcome>& settled) {
    for (const EntryOutcome& e : settled)
        if (e.outcome != FileOutcome::NotReached) view_.ReportEntry(e);
}

void InstallerWindow::ReportRunSummary() {
    if (!extractionStarted_) return;
    std::optional<EntryListing> listing;
    // A completed extraction met every entry; only a stopped one has names left to find.
    if (view_.WantsRunSummary() &&
        extractor_.OperationStatus() != archive::TOperationStatus::Completed)
        listing = ListArchiveEntries(extractor_);
    view_.ReportRunSummary(outcomes_.Summary(listing));
}

void InstallerWindow::InstallRun() {
    extractionRoot_ = ExpandFileName(view_.DirectoryText(), services_.CurrentDirectory());
    extractor_.SetExtractPath(extractionRoot_);
    view_.SetInstallDirectoryText(extractionRoot_);

    if (!package_.ProductCode.empty()) {
        std::string program = archive::WithTrailingBackslash(extractionRoot_) + "Programa\\" +
                              environment::InstalledProgramFile(package_.ProductCode);
        bool exists = services_.FileExists(program);
        if (package_.PackageCode == kUpdatePackageCode && !exists)
            throw archive::Exception(texts::ProgramNotFound() + program);
        if (exists) installedVersion_ = services_.ReadProgramVersion(program);

        double packageVersion = archive::Real48ToDouble(package_.PackageVersion.data());
        if (installedVersion_ > packageVersion &&
            !Ask(texts::NewerInstalled(), BoxIcon::Warning, BoxButtons::OkCancel))
            throw archive::EAbort();
    }

    targets_ = services_.ResolveTargetDirectories(extractionRoot_);

    busy_ = true;
    extractor_.SetFileName(installerDirectory_ + installerFileName_);
    view_.SetExtractingFrom(texts::ExtractingFrom() + extractor_.FileName());
    identificationDone_ = true;
    view_.ProcessMessages();
    busy_ = true;
    view_.ProcessMessages();
    // Starting the extraction clears the component's abort request: a cancel confirmed in the
    // messages above would be lost, so it ends the run here.
    if (cancelRequested_) throw archive::EAbort();

    extractor_.Open();
    Extract();

    switch (extractor_.OperationStatus()) {
    case archive::TOperationStatus::Completed:
        extractor_.Close();
        services_.CreateProductShortcuts(package_.ProductCode, extractionRoot_);
        Ask(texts::Finished(), BoxIcon::Confirmation, BoxButtons::Ok);
        lastRunResult_ = RunResult::Finished;
        break;
    case archive::TOperationStatus::RunningOrFailed:
        // The finish event has already said so when it saw the failure.
        if (!failureShown_) Ask(texts::Failed(), BoxIcon::Confirmation, BoxButtons::Ok);
        lastRunResult_ = RunResult::Failed;
        break;
    default:
        break;
    }
}

// ---- Events of the archive component --------------------------------------------------------

void InstallerWindow::OnArchiveOpened(archive::TArchiverRoot& Sender) {
    if (identificationDone_) return;
    package_ = archive::ReadPackageValues(Sender.Header());
    view_.SetPackageDate(PackageDateText(package_.PackageDate));
    view_.SetPackageVersion(
        PackageVersionText(archive::Real48ToDouble(package_.PackageVersion.data())));
    view_.SetPackageTitle(PackageTitle(installerFileName_, package_.PackageCode));
}

void InstallerWindow::OnFileReached(archive::TArchiverRoot& /*Sender*/,
                                    const archive::TFileEntry& FileEntry, std::string& DestPath,
                                    bool& Accept) {
    std::string destination = DestPath;
    if (sharedEngineRedirect_ &&
        platform::UpperAscii(destination).find("BTRIEVE") != std::string::npos &&
        platform::UpperAscii(FileEntry.Name).find("BTRIEVE") != std::string::npos)
        destination = SharedEngineDirectory(destination, services_.CurrentDirectory());

    RuleOutcome outcome = ApplyInstallRule(FileEntry.InstallRule, FileEntry.Name, FileEntry.Date,
                                           destination, Accept, targets_, services_);
    DestPath = outcome.destination;
    Accept = outcome.accept;
    Report(outcomes_.Reached(FileEntry, DestPath, outcome.decision, Accept));

    view_.SetCurrentFileText("..\\" + FileEntry.Name);
    view_.ProcessMessages();
}

void InstallerWindow::OnExtractionProgress(archive::TArchiverRoot& /*Sender*/, int Percent) {
    view_.SetProgress(Percent);
}

void InstallerWindow::OnExtractionFinished(archive::TArchiverRoot& Sender) {
    busy_ = false;
    if (Sender.OperationStatus() == archive::TOperationStatus::RunningOrFailed) {
        failureShown_ = true;
        lastRunResult_ = RunResult::Failed;
        Ask(texts::Failed(), BoxIcon::Confirmation, BoxButtons::Ok);
    }
}

void InstallerWindow::OnFileFailed(archive::TArchiverRoot& /*Sender*/, const std::exception& /*E*/,
                                   const archive::TFileEntry& FileEntry,
                                   archive::TErrorAction& /*ErrorAction*/) {
    // The configured action (ask) stays in force; whatever the answer, this file is left out.
    Report(outcomes_.Failed(FileEntry));
}

void InstallerWindow::OnFileWritten(archive::TArchiverRoot& /*Sender*/,
                                    const archive::TFileEntry& FileEntry,
                                    const std::string& /*DestPath*/) {
    Report(outcomes_.Written(FileEntry));
}

} // namespace vexo::installer
