// Win32Prompts.h - the archive component's modal prompts as dialogs of their own.
#pragma once

#include "archive/Prompts.h"
#include "ui/win32/Win32.h"

#include <string>
#include <vector>

namespace vexo::ui::win32 {

/// One prompt laid out from its description: caption, icon for the boxes and the overwrite and
/// continue prompts, the lines on their grid, an edit field for text prompts, the buttons in a
/// row (the first the default); centred on the desktop, modal to the active window.
class PromptDialog {
  public:
    explicit PromptDialog(const archive::PromptView& view);
    ~PromptDialog();
    PromptDialog(const PromptDialog&) = delete;
    PromptDialog& operator=(const PromptDialog&) = delete;

    /// Shows the dialog and waits for a button or the closing of the window.
    void Run();
    /// The button result chosen, or archive::kPromptClosed when the window was closed.
    archive::PromptResult Result() const { return result_; }
    std::string Value() const;
    HWND Window() const { return hwnd_; }
    /// The buttons, in the order the description gives them.
    const std::vector<HWND>& Buttons() const { return buttons_; }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Build();
    void Finish(archive::PromptResult result);

    const archive::PromptView& view_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HWND edit_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<HWND> buttons_;
    archive::PromptResult result_ = archive::kPromptClosed;
    bool done_ = false;
};

class Win32Prompts final : public archive::PromptService {
  private:
    archive::PromptResult Ask(const archive::PromptView& view) override;
    bool AskText(const archive::PromptView& view, std::string& value) override;
};

} // namespace vexo::ui::win32
