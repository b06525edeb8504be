// Unattended.h - the installation without a window, for administrators and scripts.
#pragma once

#include "archive/Prompts.h"
#include "installer/MainView.h"
#include "installer/Services.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace vexo::installer {

/// The window's view on a console: reports to `out` (UTF-8), errors to `err`, and answers every
/// question with its safe answer ("Cancelar") unless `yes`, remembering a declined one.
class ConsoleView final : public MainView {
  public:
    ConsoleView(std::ostream& out, std::ostream& err, bool yes, bool terminal);

    bool Declined() const { return declined_; }
    bool ErrorShown() const { return errorShown_; }
    /// Files reported as failed so far: a run that went on past them still left them out.
    int FailedFiles() const { return failedFiles_; }
    const std::string& PackageDate() const { return packageDate_; }
    const std::string& PackageVersion() const { return packageVersion_; }
    const std::string& PackageTitle() const { return packageTitle_; }

    void SetPackageDate(const std::string& text) override { packageDate_ = text; }
    void SetPackageVersion(const std::string& text) override { packageVersion_ = text; }
    void SetPackageTitle(const std::string& text) override { packageTitle_ = text; }
    std::string DirectoryText() const override { return directory_; }
    void SetDirectoryText(const std::string& text) override { directory_ = text; }
    void SetInstallDirectoryText(const std::string& text) override;
    void SetExtractingFrom(const std::string& text) override;
    void SetCurrentFileText(const std::string&) override {}
    void SetProgress(int percent) override;
    void SetPanelFrameEnabled(bool) override {}
    void SetFrameEnabled(WindowFrame, bool) override {}
    void BringFrameToFront(WindowFrame) override {}
    void SetInstallEnabled(bool) override {}
    void SetInstallVisible(bool) override {}
    void SetInstallDefault(bool) override {}
    void SetCancelCaption(const std::string&) override {}
    void SetCancelDefault(bool) override {}
    void ShowWindow() override {}
    void CloseWindow() override {}
    int Opacity() const override { return kOpaque; }
    void SetOpacity(int) override {}
    void SetFadeTimerEnabled(bool) override {}
    void ProcessMessages() override {}
    bool MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
    void ShowApplicationError(const std::string& title, const std::string& text) override;
    environment::FolderBrowser& FolderBrowser() override { return browser_; }
    void ReportEntry(const EntryOutcome& outcome) override;
    bool WantsRunSummary() const override { return true; }
    /// A complete run: the counts. A stopped one: the counts and the names of each group, so
    /// the administrator knows what the product was left with.
    void ReportRunSummary(const RunSummary& summary) override;

    /// Called by the prompts below when they refuse.
    void NoteDeclined() { declined_ = true; }

  private:
    void EndProgressLine();

    std::ostream& out_;
    std::ostream& err_;
    bool yes_;
    bool terminal_;
    bool declined_ = false;
    bool errorShown_ = false;
    bool progressShown_ = false;
    int failedFiles_ = 0;
    std::string packageDate_, packageVersion_, packageTitle_, directory_;
    environment::NoFolderBrowser browser_;
};

/// The archive component's prompts without a user: the go-ahead with `yes`, else the refusing
/// answer (noted as declined). Each prompt is written to `err`.
class UnattendedPrompts final : public archive::PromptService {
  public:
    UnattendedPrompts(ConsoleView& view, std::ostream& err, bool yes)
        : view_(view), err_(err), yes_(yes) {}

  private:
    archive::PromptResult Ask(const archive::PromptView& view) override;
    bool AskText(const archive::PromptView& view, std::string& value) override;

    ConsoleView& view_;
    std::ostream& err_;
    bool yes_;
};

inline constexpr int kExitFinished = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDeclined = 3;
/// "Instalación Finalizada", but a file failed and the run went on without it (--yes).
inline constexpr int kExitFilesFailed = 4;

/// Runs start-up and one installation run. `directory` replaces the proposal: a host path
/// (starting with "/") or a Windows path, UTF-8. \returns the exit status.
int RunUnattended(std::optional<std::string> directory, bool yes, InstallerServices& services,
                  std::ostream& out, std::ostream& err, bool terminal);

} // namespace vexo::installer
