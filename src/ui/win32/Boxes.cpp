// Boxes.cpp - MessageBoxW, with a hook that renames its buttons before it is shown.
#include "ui/win32/Boxes.h"

#include "installer/InstallerTexts.h"
#include "platform/win32/WidePaths.h"

namespace vexo::ui::win32 {

using installer::BoxButtons;
using installer::BoxIcon;
using platform::win32::Widen;

namespace {

// The box being opened on this thread: its button texts, and the hook that sets them.
struct Renaming {
    std::wstring ok, cancel;
    HHOOK hook = nullptr;
};
thread_local Renaming* tRenaming = nullptr;

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    Renaming* r = tRenaming;
    if (code == HCBT_ACTIVATE && r) {
        auto box = reinterpret_cast<HWND>(wParam);
        ::SetDlgItemTextW(box, IDOK, r->ok.c_str());
        ::SetDlgItemTextW(box, IDCANCEL, r->cancel.c_str());
        // Only the box's own activation: any window it opens keeps its texts.
        ::UnhookWindowsHookEx(r->hook);
        r->hook = nullptr;
        tRenaming = nullptr;
        return 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

UINT BoxStyle(BoxIcon icon, BoxButtons buttons) {
    UINT style = buttons == BoxButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    switch (icon) {
    case BoxIcon::Error:
        style |= MB_ICONERROR;
        break;
    case BoxIcon::Warning:
        style |= MB_ICONWARNING;
        break;
    case BoxIcon::Confirmation:
        style |= MB_ICONQUESTION;
        break;
    }
    // Owned boxes are modal to their owner; one without an owner stays in front of the rest.
    return style | MB_SETFOREGROUND;
}

bool SystemBoxPresenter::Ask(HWND owner, const std::string& text, BoxIcon icon,
                             BoxButtons buttons) {
    Renaming renaming{Widen(installer::texts::Ok()), Widen(installer::texts::Cancel()), nullptr};
    renaming.hook = ::SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, ::GetCurrentThreadId());
    tRenaming = &renaming;
    const int answer =
        ::MessageBoxW(owner, Widen(text).c_str(), Widen(installer::BoxCaption()).c_str(),
                      BoxStyle(icon, buttons) | (owner ? 0 : MB_TASKMODAL));
    if (renaming.hook) ::UnhookWindowsHookEx(renaming.hook);
    tRenaming = nullptr;
    return answer == IDOK;
}

void SystemBoxPresenter::ShowError(HWND owner, const std::string& title, const std::string& text) {
    ::MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(),
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND | (owner ? 0 : MB_TASKMODAL));
}

} // namespace vexo::ui::win32
