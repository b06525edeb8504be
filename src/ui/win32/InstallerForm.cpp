// InstallerForm.cpp - the window's controls, messages and the bridge to its logic.
#include "ui/win32/InstallerForm.h"

#include "installer/InstallerTexts.h"
#include "platform/win32/WidePaths.h"
#include "ui/win32/Artwork.h"
#include "ui/win32/Controls.h"

#include <commctrl.h>

#include <algorithm>

namespace vexo::ui::win32 {

using installer::BoxButtons;
using installer::BoxIcon;
using platform::win32::Narrow;
using platform::win32::Widen;

namespace {

constexpr int kWidth = 553;
constexpr int kHeight = 401;
constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT_PTR kStopTimer = 2;
constexpr WPARAM kMoveByCaption = 0xF012; // SC_MOVE with the caption hit-test code
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kSilver = RGB(192, 192, 192);

// Which of labels_ shows the package's date, version and title.
constexpr std::size_t kDateLabel = 0;
constexpr std::size_t kVersionLabel = 1;
constexpr std::size_t kTitleLabel = 2;

/// A rectangle of the inner panel, which is inset by one pixel, in the window's coordinates.
RECT Inner(int x, int y, int width, int height) {
    return RECT{x + 1, y + 1, x + 1 + width, y + 1 + height};
}

void SetText(HWND control, const std::string& cp1252) {
    ::SetWindowTextW(control, Widen(cp1252).c_str());
}

/// The push-button look that says whether Enter presses the button.
void ShowDefault(HWND button, bool isDefault) {
    ::SendMessageW(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

/// The system's boxes, the prompts and the folder dialog are the thread's other windows. A
/// dialog (a box, the folder dialog) ends as cancelled; a prompt is closed, its refusal.
BOOL CALLBACK CloseOtherWindow(HWND window, LPARAM form) {
    if (window == reinterpret_cast<HWND>(form) || !::IsWindowVisible(window)) return TRUE;
    wchar_t type[8] = {};
    ::GetClassNameW(window, type, 8);
    if (::lstrcmpW(type, L"#32770") == 0)
        ::EndDialog(window, IDCANCEL);
    else
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

// ---- Construction ---------------------------------------------------------------------------

InstallerForm::InstallerForm(installer::InstallerServices& services) {
    static const wchar_t* formClass =
        RegisterWindowClass(L"VexoInstalador", FormProc, COLOR_BTNFACE);
    static const wchar_t* panelClass =
        RegisterWindowClass(L"VexoInstaladorPanel", PanelProc, COLOR_BTNFACE);
    const int x = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2);
    const int y = std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2);
    hwnd_ = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, formClass,
                              Widen(installer::texts::WindowCaption()).c_str(),
                              WS_POPUP | WS_CLIPCHILDREN, x, y, kWidth, kHeight, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    ::SetLayeredWindowAttributes(hwnd_, 0, static_cast<BYTE>(opacity_), LWA_ALPHA);
    panel_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, panelClass, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 201, 115, 340, 245, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId::Panel)),
                               ::GetModuleHandleW(nullptr), this);
    BuildControls();
    ownBrowser_.SetOwner(hwnd_);
    logic_ = std::make_unique<installer::InstallerWindow>(*this, services);
    // The console's control handler runs on a thread of its own and only sets a flag; the
    // message loop, and every box's loop inside it, looks at it here.
    ::SetTimer(hwnd_, kStopTimer, 100, nullptr);
}

InstallerForm::~InstallerForm() {
    if (hwnd_) {
        ::KillTimer(hwnd_, kFadeTimer);
        ::KillTimer(hwnd_, kStopTimer);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (glyph_) ::DestroyIcon(glyph_);
}

void InstallerForm::AddLabel(RECT rect, const std::wstring& text, COLORREF color, HFONT font,
                             UINT format) {
    labels_.push_back(PaintedLabel{rect, text, color, font, format | DT_NOPREFIX});
}

void InstallerForm::BuildControls() {
    const UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    AddLabel(Inner(200, 65, 340, 20), L"31 de Diciembre de 2000", kWhite, fonts_.Bold12(), centred);
    AddLabel(Inner(200, 85, 340, 20), L" Versi\u00f3n 10.00", kWhite, fonts_.Bold12(), centred);
    AddLabel(Inner(10, 368, 225, 25), L"Contabilidad", kSilver, fonts_.Plain12(),
             DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    // The maker's contact lines (fictional).
    const wchar_t* lines[] = {L"Tel. 945 000 123", L"Fax 945 000 124",
                              L"soporte@vexo-dalvo.example", L"www.vexo-dalvo.example"};
    for (int i = 0; i < 4; ++i)
        AddLabel(Inner(5, 309 + 13 * i, 185, 13), lines[i], kWhite, fonts_.Control(), centred);

    glyph_ = BrowseGlyphIcon();
    directoryFrame_ = MakeDirectoryFrame(panel_, fonts_, glyph_);
    progressFrame_ = MakeProgressFrame(panel_, fonts_, glyph_);

    install_ = MakeControl(hwnd_, L"BUTTON", Widen(installer::texts::Install()),
                           WS_TABSTOP | BS_DEFPUSHBUTTON, Inner(375, 369, 75, 25),
                           ControlId::Install, fonts_.Control());
    exit_ =
        MakeControl(hwnd_, L"BUTTON", Widen(installer::texts::Exit()), WS_TABSTOP | BS_PUSHBUTTON,
                    Inner(464, 369, 75, 25), ControlId::Exit, fonts_.Control());
}

bool InstallerForm::Create() {
    return logic_->OnCreate();
}

int InstallerForm::Run() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

HWND InstallerForm::Control(ControlId id) const {
    switch (id) {
    case ControlId::Install:
        return install_;
    case ControlId::Exit:
        return exit_;
    case ControlId::Panel:
        return panel_;
    case ControlId::DirectoryFrame:
        return directoryFrame_.frame;
    case ControlId::ProgressFrame:
        return progressFrame_.frame;
    case ControlId::DirectoryEdit:
        return directoryFrame_.row.edit;
    case ControlId::DirectoryBrowse:
        return directoryFrame_.row.browse;
    case ControlId::InstallDirectoryEdit:
        return progressFrame_.row.edit;
    case ControlId::ExtractingFrom:
        return progressFrame_.extractingFrom;
    case ControlId::CurrentFile:
        return progressFrame_.currentFile;
    case ControlId::Progress:
        return progressFrame_.progress;
    default:
        break;
    }
    HWND frame = ::GetDlgItem(directoryFrame_.frame, static_cast<int>(id));
    return frame ? frame : ::GetDlgItem(progressFrame_.frame, static_cast<int>(id));
}

// ---- MainView -------------------------------------------------------------------------------

void InstallerForm::SetLabel(std::size_t index, const std::string& text) {
    labels_[index].text = Widen(text);
    ::InvalidateRect(hwnd_, &labels_[index].rect, FALSE);
}

void InstallerForm::SetPackageDate(const std::string& text) {
    SetLabel(kDateLabel, text);
}
void InstallerForm::SetPackageVersion(const std::string& text) {
    SetLabel(kVersionLabel, text);
}
void InstallerForm::SetPackageTitle(const std::string& text) {
    SetLabel(kTitleLabel, text);
}

std::string InstallerForm::DirectoryText() const {
    return Narrow(WindowText(directoryFrame_.row.edit));
}
void InstallerForm::SetDirectoryText(const std::string& text) {
    SetText(directoryFrame_.row.edit, text);
}
void InstallerForm::SetInstallDirectoryText(const std::string& text) {
    SetText(progressFrame_.row.edit, text);
}
void InstallerForm::SetExtractingFrom(const std::string& text) {
    SetText(progressFrame_.extractingFrom, text);
}
void InstallerForm::SetCurrentFileText(const std::string& text) {
    SetText(progressFrame_.currentFile, text);
}
void InstallerForm::SetProgress(int percent) {
    ::SendMessageW(progressFrame_.progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}
void InstallerForm::SetPanelFrameEnabled(bool enabled) {
    ::EnableWindow(panel_, enabled);
}

void InstallerForm::SetFrameEnabled(installer::WindowFrame frame, bool enabled) {
    ::EnableWindow(frame == installer::WindowFrame::Directory ? directoryFrame_.frame
                                                              : progressFrame_.frame,
                   enabled);
}

void InstallerForm::BringFrameToFront(installer::WindowFrame frame) {
    HWND front =
        frame == installer::WindowFrame::Directory ? directoryFrame_.frame : progressFrame_.frame;
    ::SetWindowPos(front, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(front, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void InstallerForm::SetInstallEnabled(bool enabled) {
    ::EnableWindow(install_, enabled);
}
void InstallerForm::SetInstallVisible(bool visible) {
    ::ShowWindow(install_, visible ? SW_SHOWNA : SW_HIDE);
}
void InstallerForm::SetInstallDefault(bool isDefault) {
    installDefault_ = isDefault;
    ShowDefault(install_, isDefault);
}
void InstallerForm::SetCancelCaption(const std::string& caption) {
    SetText(exit_, caption);
}
void InstallerForm::SetCancelDefault(bool isDefault) {
    cancelDefault_ = isDefault;
    ShowDefault(exit_, isDefault);
}

void InstallerForm::ShowWindow() {
    const bool wasVisible = ::IsWindowVisible(hwnd_);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
    if (wasVisible) return;
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(::IsWindowEnabled(directoryFrame_.frame) ? directoryFrame_.row.edit : install_);
    logic_->OnActivate();
}

void InstallerForm::CloseWindow() {
    ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void InstallerForm::SetOpacity(int opacity) {
    opacity_ = opacity;
    ::SetLayeredWindowAttributes(
        hwnd_, 0,
        static_cast<BYTE>(std::clamp(opacity, installer::kTransparent, installer::kOpaque)),
        LWA_ALPHA);
}

void InstallerForm::SetFadeTimerEnabled(bool enabled) {
    if (enabled)
        ::SetTimer(hwnd_, kFadeTimer, 80, nullptr);
    else
        ::KillTimer(hwnd_, kFadeTimer);
}

void InstallerForm::ProcessMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // For the message loop this runs inside of.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

bool InstallerForm::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
    return boxes_->Ask(::IsWindowVisible(hwnd_) ? hwnd_ : nullptr, text, icon, buttons);
}

void InstallerForm::ShowApplicationError(const std::string& title, const std::string& text) {
    boxes_->ShowError(::IsWindowVisible(hwnd_) ? hwnd_ : nullptr, title, text);
}

environment::FolderBrowser& InstallerForm::FolderBrowser() {
    return *browser_;
}

void InstallerForm::CloseBoxes() {
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseOtherWindow, reinterpret_cast<LPARAM>(hwnd_));
}

// ---- Keys and mouse -------------------------------------------------------------------------

HWND InstallerForm::DefaultButton() const {
    // The button's own visibility: the window may not be shown yet.
    for (auto [button, isDefault] : {std::pair{install_, installDefault_}, {exit_, cancelDefault_}})
        if (isDefault && ::IsWindowEnabled(button) &&
            (::GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE))
            return button;
    return nullptr;
}

FocusKind InstallerForm::FocusOf(HWND focused) const {
    if (focused == directoryFrame_.row.edit) return FocusKind::DirectoryField;
    wchar_t name[16] = {};
    ::GetClassNameW(focused, name, 16);
    const auto type = ::GetWindowLongW(focused, GWL_STYLE) & BS_TYPEMASK;
    if (::lstrcmpiW(name, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
        return FocusKind::Button;
    return FocusKind::Other;
}

bool InstallerForm::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !logic_) return false;
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    KeyContext context;
    context.focus = FocusOf(msg.hwnd);
    context.focusedEnabled = ::IsWindowEnabled(msg.hwnd);
    context.haveDefault = DefaultButton() != nullptr;
    switch (RouteKey(static_cast<int>(msg.wParam), context)) {
    case KeyAction::PassOn:
        return false;
    case KeyAction::EscapePressed:
        return logic_->OnKeyDown(installer::kVkEscape);
    case KeyAction::DirectoryEnter:
        return logic_->OnDirectoryKeyDown(installer::kVkReturn);
    case KeyAction::ClickFocused:
        Click(static_cast<ControlId>(::GetDlgCtrlID(msg.hwnd)));
        return true;
    case KeyAction::ClickDefault:
        Click(static_cast<ControlId>(::GetDlgCtrlID(DefaultButton())));
        return true;
    case KeyAction::Swallow:
        return true;
    }
    return false;
}

void InstallerForm::Dispatch(MSG& msg) {
    if (PreTranslate(msg)) return;
    if (hwnd_ && ::IsDialogMessageW(hwnd_, &msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

void InstallerForm::Click(ControlId id) {
    switch (id) {
    case ControlId::Install:
        logic_->OnInstallClicked();
        break;
    case ControlId::Exit:
        logic_->OnCancelClicked();
        break;
    case ControlId::DirectoryBrowse:
        logic_->OnBrowseClicked();
        break;
    default:
        break;
    }
}

void InstallerForm::BeginWindowDrag() {
    ::ReleaseCapture();
    ::SendMessageW(hwnd_, WM_SYSCOMMAND, kMoveByCaption, 0);
}

// ---- Painting and messages ------------------------------------------------------------------

void InstallerForm::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    // Drawn off screen first: the labels lie over the picture.
    HDC buffer = ::CreateCompatibleDC(dc);
    HBITMAP canvas = ::CreateCompatibleBitmap(dc, kWidth, kHeight);
    HGDIOBJ oldCanvas = ::SelectObject(buffer, canvas);
    RECT all{0, 0, kWidth, kHeight};
    ::FillRect(buffer, &all, ::GetSysColorBrush(COLOR_BTNFACE));
    if (const Picture& picture = BackgroundPicture()) {
        HDC source = ::CreateCompatibleDC(dc);
        HGDIOBJ oldPicture = ::SelectObject(source, picture.Bitmap());
        // Unscaled from the top-left corner, clipped to the 549 x 397 picture control.
        ::BitBlt(buffer, 2, 2, std::min(549, picture.Width()), std::min(397, picture.Height()),
                 source, 0, 0, SRCCOPY);
        ::SelectObject(source, oldPicture);
        ::DeleteDC(source);
    }
    ::SetBkMode(buffer, TRANSPARENT);
    for (PaintedLabel& label : labels_) {
        HGDIOBJ oldFont = ::SelectObject(buffer, label.font);
        ::SetTextColor(buffer, label.color);
        ::DrawTextW(buffer, label.text.c_str(), static_cast<int>(label.text.size()), &label.rect,
                    label.format);
        ::SelectObject(buffer, oldFont);
    }
    ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, buffer, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    ::SelectObject(buffer, oldCanvas);
    ::DeleteObject(canvas);
    ::DeleteDC(buffer);
    ::EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK InstallerForm::FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = static_cast<InstallerForm*>(WindowObject(hwnd, message, lParam));
    if (!form || !form->hwnd_) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

LRESULT CALLBACK InstallerForm::PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = static_cast<InstallerForm*>(WindowObject(hwnd, message, lParam));
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (form) form->BeginWindowDrag();
        return 0;
    case WM_COMMAND:
        return ::SendMessageW(::GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT InstallerForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the picture covers it all
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        BeginWindowDrag();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && logic_) Click(static_cast<ControlId>(LOWORD(wParam)));
        return 0;
    case WM_TIMER:
        if (wParam == kFadeTimer && logic_) logic_->OnFadeTimer();
        if (wParam == kStopTimer && logic_) logic_->OnStopCheck();
        return 0;
    case WM_ACTIVATE:
        // Give the focus back to the control that had it when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            lastFocus_ = ::GetFocus();
        } else if (lastFocus_ && ::IsChild(hwnd_, lastFocus_) && ::IsWindowEnabled(lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (closed_ || (logic_ && !logic_->OnCloseRequested())) return 0;
        closed_ = true;
        ::KillTimer(hwnd_, kFadeTimer);
        ::ShowWindow(hwnd_, SW_HIDE);
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace vexo::ui::win32
