// MainView.h - what the window's logic needs of a window, with no toolkit in sight.
//
// The Qt window implements it; so do the unattended console runner and the tests. Every text
// crossing this interface is Windows-1252.
#pragma once

#include "environment/FolderBrowser.h"
#include "installer/RunOutcomes.h"

#include <string>

namespace vexo::installer {

enum class BoxIcon { Error, Warning, Confirmation };
enum class BoxButtons { Ok, OkCancel };

/// The two frames of the frame host, by the window's own numbering.
enum class WindowFrame { Directory = 1, Progress = 2 };

/// Window opacities.
inline constexpr int kTransparent = 0;
inline constexpr int kOpaque = 255;

/// Caption of every box the window raises.
std::string BoxCaption();

class MainView {
  public:
    virtual ~MainView() = default;

    // The three package labels.
    virtual void SetPackageDate(const std::string& text) = 0;
    virtual void SetPackageVersion(const std::string& text) = 0;
    virtual void SetPackageTitle(const std::string& text) = 0;

    // The directory frame: its directory field.
    virtual std::string DirectoryText() const = 0;
    virtual void SetDirectoryText(const std::string& text) = 0;
    // The progress frame: the directory copy, the source line, the current file, the bar.
    virtual void SetInstallDirectoryText(const std::string& text) = 0;
    virtual void SetExtractingFrom(const std::string& text) = 0;
    virtual void SetCurrentFileText(const std::string& text) = 0;
    virtual void SetProgress(int percent) = 0;

    // Frames.
    virtual void SetPanelFrameEnabled(bool enabled) = 0;
    virtual void SetFrameEnabled(WindowFrame frame, bool enabled) = 0;
    virtual void BringFrameToFront(WindowFrame frame) = 0;

    // The two buttons.
    virtual void SetInstallEnabled(bool enabled) = 0;
    virtual void SetInstallVisible(bool visible) = 0;
    virtual void SetInstallDefault(bool isDefault) = 0;
    virtual void SetCancelCaption(const std::string& caption) = 0;
    virtual void SetCancelDefault(bool isDefault) = 0;

    // The window.
    virtual void ShowWindow() = 0;
    /// Asks the window to close; the toolkit's close runs the close confirmation.
    virtual void CloseWindow() = 0;
    /// kTransparent to kOpaque.
    virtual int Opacity() const = 0;
    virtual void SetOpacity(int opacity) = 0;
    virtual void SetFadeTimerEnabled(bool enabled) = 0;
    /// Lets the window serve its pending events.
    virtual void ProcessMessages() = 0;

    /// A modal box captioned BoxCaption(). \returns true only when "Vale" was chosen.
    virtual bool MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) = 0;
    /// The application's standard error display, captioned `title`.
    virtual void ShowApplicationError(const std::string& title, const std::string& text) = 0;
    /// The folder browser owned by the directory frame.
    virtual environment::FolderBrowser& FolderBrowser() = 0;
    /// Ends every box and dialog the window has open as if it were cancelled (a stop request
    /// closes the window without waiting for an answer).
    virtual void CloseBoxes() {}

    // What became of the archive's entries (only a console cares).
    /// One entry's outcome, as soon as it is settled: written, kept, skipped by rule or failed.
    virtual void ReportEntry(const EntryOutcome& /*outcome*/) {}
    /// Whether ReportRunSummary wants the entries a stopped run did not reach: listing them
    /// reads the archive's entry records once more.
    virtual bool WantsRunSummary() const { return false; }
    /// Once per extraction that was started, at the very end of the run.
    virtual void ReportRunSummary(const RunSummary& /*summary*/) {}
};

} // namespace vexo::installer
