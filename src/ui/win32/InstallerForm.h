// InstallerForm.h - the installer's borderless splash window (Win32).
#pragma once

#include "installer/InstallerWindow.h"
#include "installer/MainView.h"
#include "installer/Services.h"
#include "ui/win32/Boxes.h"
#include "ui/win32/Frames.h"
#include "ui/win32/KeyRouting.h"
#include "ui/win32/Win32FolderBrowser.h"

#include <memory>
#include <string>
#include <vector>

namespace vexo::ui::win32 {

/// A label drawn straight on the window over the picture: it has no window of its own, so a
/// mouse-down on it is one on the window, which drags.
struct PaintedLabel {
    RECT rect{};
    std::wstring text;
    COLORREF color = 0;
    HFONT font = nullptr;
    UINT format = 0;
};

class InstallerForm final : public installer::MainView {
  public:
    explicit InstallerForm(installer::InstallerServices& services);
    ~InstallerForm() override;
    InstallerForm(const InstallerForm&) = delete;
    InstallerForm& operator=(const InstallerForm&) = delete;

    /// Whether the window and its controls could be made (not without a display).
    bool Valid() const { return hwnd_ != nullptr; }
    /// Runs the start-up steps; \returns whether the window should be shown and run.
    bool Create();
    /// The message loop, until the window has been closed; the quit status.
    int Run();
    /// One message through the window's key preview, the dialog keys (Tab) and its window.
    void Dispatch(MSG& msg);

    installer::InstallerWindow& Logic() { return *logic_; }
    HWND Window() const { return hwnd_; }
    HWND Control(ControlId id) const;
    const std::vector<PaintedLabel>& Labels() const { return labels_; }
    bool Closed() const { return closed_; }
    void SetBoxPresenter(BoxPresenter* presenter) { boxes_ = presenter; }
    void SetFolderBrowser(environment::FolderBrowser* browser) { browser_ = browser; }

    // MainView.
    void SetPackageDate(const std::string& text) override;
    void SetPackageVersion(const std::string& text) override;
    void SetPackageTitle(const std::string& text) override;
    std::string DirectoryText() const override;
    void SetDirectoryText(const std::string& text) override;
    void SetInstallDirectoryText(const std::string& text) override;
    void SetExtractingFrom(const std::string& text) override;
    void SetCurrentFileText(const std::string& text) override;
    void SetProgress(int percent) override;
    void SetPanelFrameEnabled(bool enabled) override;
    void SetFrameEnabled(installer::WindowFrame frame, bool enabled) override;
    void BringFrameToFront(installer::WindowFrame frame) override;
    void SetInstallEnabled(bool enabled) override;
    void SetInstallVisible(bool visible) override;
    void SetInstallDefault(bool isDefault) override;
    void SetCancelCaption(const std::string& caption) override;
    void SetCancelDefault(bool isDefault) override;
    void ShowWindow() override;
    void CloseWindow() override;
    int Opacity() const override { return opacity_; }
    void SetOpacity(int opacity) override;
    void SetFadeTimerEnabled(bool enabled) override;
    void ProcessMessages() override;
    bool MessageBox(const std::string& text, installer::BoxIcon icon,
                    installer::BoxButtons buttons) override;
    void ShowApplicationError(const std::string& title, const std::string& text) override;
    environment::FolderBrowser& FolderBrowser() override;
    void CloseBoxes() override;

    /// The button Enter presses when no button has the focus: the default one, when it is
    /// enabled and visible.
    HWND DefaultButton() const;

  private:
    static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildControls();
    void AddLabel(RECT rect, const std::wstring& text, COLORREF color, HFONT font, UINT format);
    void SetLabel(std::size_t index, const std::string& text);
    void Paint();
    /// A mouse-down on the picture, a label or the panel: the window follows the mouse as if
    /// its caption were dragged.
    void BeginWindowDrag();
    bool PreTranslate(const MSG& msg);
    void Click(ControlId id);
    FocusKind FocusOf(HWND focused) const;

    std::unique_ptr<installer::InstallerWindow> logic_;
    SystemBoxPresenter ownBoxes_;
    BoxPresenter* boxes_ = &ownBoxes_;
    Win32FolderBrowser ownBrowser_;
    environment::FolderBrowser* browser_ = &ownBrowser_;

    HWND hwnd_ = nullptr;
    HWND panel_ = nullptr;
    HWND install_ = nullptr;
    HWND exit_ = nullptr;
    DirectoryFrame directoryFrame_;
    ProgressFrame progressFrame_;
    Fonts fonts_;
    std::vector<PaintedLabel> labels_;
    HICON glyph_ = nullptr;
    HWND lastFocus_ = nullptr;
    int opacity_ = installer::kTransparent;
    bool installDefault_ = true;
    bool cancelDefault_ = false;
    bool closed_ = false;
};

} // namespace vexo::ui::win32
