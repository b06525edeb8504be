// Boxes.h - the window's message boxes: the system's box with the installer's own captions and
// button texts.
#pragma once

#include "installer/MainView.h"
#include "ui/win32/Win32.h"

#include <string>

namespace vexo::ui::win32 {

/// The system box's style for one of the window's boxes.
UINT BoxStyle(installer::BoxIcon icon, installer::BoxButtons buttons);

/// Asks through a modal box; tests replace it to answer without a user.
class BoxPresenter {
  public:
    virtual ~BoxPresenter() = default;
    virtual bool Ask(HWND owner, const std::string& text, installer::BoxIcon icon,
                     installer::BoxButtons buttons) = 0;
    virtual void ShowError(HWND owner, const std::string& title, const std::string& text) = 0;
};

/// The real boxes: captioned "Instalador Dalvo", the buttons "Vale" and "Cancelar" (the system
/// box's own buttons renamed as it opens); true only for "Vale".
class SystemBoxPresenter final : public BoxPresenter {
  public:
    bool Ask(HWND owner, const std::string& text, installer::BoxIcon icon,
             installer::BoxButtons buttons) override;
    /// The application's error display: the system's box, error icon, its own OK button.
    void ShowError(HWND owner, const std::string& title, const std::string& text) override;
};

} // namespace vexo::ui::win32
