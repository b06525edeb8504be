// Win32Prompts.cpp - dialogs built from the prompt descriptions shared by every front end.
#include "ui/win32/Win32Prompts.h"

#include "platform/win32/WidePaths.h"
#include "ui/PromptGrid.h"
#include "ui/win32/Controls.h"

#include <algorithm>

namespace vexo::ui::win32 {

namespace {

using platform::win32::Widen;

constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kIconSize = 32;
constexpr int kValueWidth = 320;
constexpr int kButtonHeight = 23;
constexpr int kEditHeight = 21;
constexpr int kFirstButton = 1000; // clear of IDOK and IDCANCEL
constexpr int kMaxValue = 511;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The system's icons (IDI_ERROR, IDI_QUESTION, IDI_WARNING, IDI_INFORMATION) in wide form.
const wchar_t* const kErrorIcon = MAKEINTRESOURCEW(32513);
const wchar_t* const kQuestionIcon = MAKEINTRESOURCEW(32514);
const wchar_t* const kWarningIcon = MAKEINTRESOURCEW(32515);
const wchar_t* const kInformationIcon = MAKEINTRESOURCEW(32516);

const wchar_t* IconFor(const archive::PromptView& view) {
    if (view.Kind != archive::PromptKind::MessageDlg) return kQuestionIcon;
    switch (view.Type) {
    case archive::MessageType::mtWarning:
        return kWarningIcon;
    case archive::MessageType::mtError:
        return kErrorIcon;
    case archive::MessageType::mtConfirmation:
        return kQuestionIcon;
    default:
        return kInformationIcon;
    }
}

HFONT MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return ::CreateFontIndirectW(&metrics.lfMessageFont);
    return nullptr;
}

/// The size `text` takes in the font, wrapped at `width` (0: on one line).
SIZE Measure(HDC dc, const std::wstring& text, int width) {
    RECT r{0, 0, width > 0 ? width : 10000, 0};
    const UINT format = DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    ::DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &r, format);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

} // namespace

PromptDialog::PromptDialog(const archive::PromptView& view) : view_(view) {
    static const wchar_t* className =
        RegisterWindowClass(L"VexoInstaladorPregunta", Proc, COLOR_BTNFACE);
    owner_ = ::GetActiveWindow();
    font_ = MessageFont();
    hwnd_ = ::CreateWindowExW(kExStyle, className, Widen(view.Caption).c_str(), kStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner_, nullptr,
                              ::GetModuleHandleW(nullptr), this);
    if (hwnd_) Build();
}

PromptDialog::~PromptDialog() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (font_) ::DeleteObject(font_);
}

void PromptDialog::Build() {
    HDC dc = ::GetDC(hwnd_);
    HGDIOBJ oldFont = ::SelectObject(dc, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
    const std::vector<PromptCell> cells = PromptCells(view_);

    int x0 = kMargin;
    if (!IsTextPrompt(view_)) {
        HWND icon = MakeChild(hwnd_, L"STATIC", L"", SS_ICON,
                              RECT{kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize}, -1,
                              nullptr);
        ::SendMessageW(icon, STM_SETICON,
                       reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IconFor(view_))), 0);
        x0 += kIconSize + kMargin;
    }
    // Column 0 as wide as its widest label; column 1 wraps at a fixed width.
    int labelWidth = 0;
    int rows = 0;
    for (const PromptCell& c : cells) {
        if (c.column == 0 && c.span == 1)
            labelWidth = std::max<int>(labelWidth, Measure(dc, Widen(c.text), 0).cx);
        rows = std::max(rows, c.row + 1);
    }
    const int valueX = labelWidth > 0 ? x0 + labelWidth + kGap : x0;
    const int fullWidth = valueX - x0 + kValueWidth;
    auto widthOf = [&](const PromptCell& c) {
        return c.span > 1 ? fullWidth : c.column == 0 ? labelWidth : kValueWidth;
    };
    std::vector<int> rowHeight(static_cast<std::size_t>(rows), 0);
    for (const PromptCell& c : cells) {
        int& h = rowHeight[static_cast<std::size_t>(c.row)];
        h = std::max<int>(h, Measure(dc, Widen(c.text), widthOf(c)).cy);
    }
    int y = kMargin;
    std::vector<int> rowTop;
    for (int h : rowHeight) {
        rowTop.push_back(y);
        y += h + 4;
    }
    for (const PromptCell& c : cells) {
        const int left = c.column == 0 ? x0 : valueX;
        const int top = rowTop[static_cast<std::size_t>(c.row)];
        MakeChild(
            hwnd_, L"STATIC", Widen(c.text), SS_LEFT | SS_NOPREFIX,
            RECT{left, top, left + widthOf(c), top + rowHeight[static_cast<std::size_t>(c.row)]},
            -1, font_);
    }
    if (IsTextPrompt(view_)) {
        y += 4;
        DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
        if (view_.Kind == archive::PromptKind::PasswordQuery) style |= ES_PASSWORD;
        edit_ =
            MakeChild(hwnd_, L"EDIT", Widen(view_.Value), style,
                      RECT{x0, y, x0 + fullWidth, y + kEditHeight}, -1, font_, WS_EX_CLIENTEDGE);
        ::SendMessageW(edit_, EM_LIMITTEXT, kMaxValue, 0);
        y += kEditHeight;
    }
    int contentRight = x0 + fullWidth;
    int contentBottom = std::max(y, IsTextPrompt(view_) ? y : kMargin + kIconSize);

    // The buttons in a row at the bottom right, each as wide as its label needs.
    std::vector<int> widths;
    int rowWidth = 0;
    for (const archive::PromptButton& b : view_.Buttons) {
        widths.push_back(std::max<int>(75, Measure(dc, Widen(b.Label), 0).cx + 16));
        rowWidth += widths.back() + (widths.size() > 1 ? 6 : 0);
    }
    contentRight = std::max(contentRight, kMargin + rowWidth);
    const int buttonTop = contentBottom + kMargin;
    int x = contentRight - rowWidth;
    for (std::size_t i = 0; i < view_.Buttons.size(); ++i) {
        const DWORD style = WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        buttons_.push_back(MakeChild(hwnd_, L"BUTTON", Widen(view_.Buttons[i].Label), style,
                                     RECT{x, buttonTop, x + widths[i], buttonTop + kButtonHeight},
                                     kFirstButton + static_cast<int>(i), font_));
        x += widths[i] + 6;
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(hwnd_, dc);

    RECT frame{0, 0, contentRight + kMargin, buttonTop + kButtonHeight + kMargin};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(hwnd_, HWND_TOP, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                   SWP_NOACTIVATE | SWP_NOZORDER);
}

void PromptDialog::Run() {
    if (!hwnd_) return;
    if (owner_) ::EnableWindow(owner_, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    if (edit_) {
        ::SetFocus(edit_);
        ::SendMessageW(edit_, EM_SETSEL, 0, -1);
    } else if (!buttons_.empty()) {
        ::SetFocus(buttons_.front());
    }
    MSG msg{};
    while (!done_) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the loop outside gets its quit back.
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!::IsDialogMessageW(hwnd_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // The owner takes the activation back before this window goes.
    if (owner_) {
        ::EnableWindow(owner_, TRUE);
        ::SetActiveWindow(owner_);
    }
    ::ShowWindow(hwnd_, SW_HIDE);
}

std::string PromptDialog::Value() const {
    if (!edit_) return {};
    return platform::win32::Narrow(WindowText(edit_));
}

void PromptDialog::Finish(archive::PromptResult result) {
    result_ = result;
    done_ = true;
}

LRESULT CALLBACK PromptDialog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = static_cast<PromptDialog*>(WindowObject(hwnd, message, lParam));
    if (!dialog || !dialog->hwnd_) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return dialog->Handle(message, wParam, lParam);
}

LRESULT PromptDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DM_GETDEFID:
        return buttons_.empty() ? 0 : MAKELRESULT(kFirstButton, DC_HASDEFID);
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int index = id - kFirstButton;
        if (index >= 0 && index < static_cast<int>(view_.Buttons.size()))
            Finish(view_.Buttons[static_cast<std::size_t>(index)].Result);
        else if (id == IDCANCEL)
            Finish(archive::kPromptClosed); // Esc closes the window
        return 0;
    }
    case WM_CLOSE:
        Finish(archive::kPromptClosed);
        return 0;
    default:
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

archive::PromptResult Win32Prompts::Ask(const archive::PromptView& view) {
    PromptDialog dialog(view);
    dialog.Run();
    // A closed box counts as its refusing button; the other prompts answer the closing as such.
    if (view.Kind == archive::PromptKind::MessageDlg && dialog.Result() == archive::kPromptClosed)
        return archive::RefusingAnswer(view);
    return dialog.Result();
}

bool Win32Prompts::AskText(const archive::PromptView& view, std::string& value) {
    PromptDialog dialog(view);
    dialog.Run();
    if (dialog.Result() != archive::MessageResult::idOK) return false;
    value = dialog.Value();
    return true;
}

} // namespace vexo::ui::win32
