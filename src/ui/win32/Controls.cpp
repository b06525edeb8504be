// Controls.cpp - window classes, child controls and the window's object.
#include "ui/win32/Controls.h"

namespace vexo::ui::win32 {

const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC proc, int colour, int stockBrush) {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = proc;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    c.hbrBackground = colour >= 0 ? ::GetSysColorBrush(colour)
                                  : static_cast<HBRUSH>(::GetStockObject(stockBrush));
    c.lpszClassName = name;
    ::RegisterClassExW(&c);
    return name;
}

HWND MakeChild(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style,
               RECT at, int id, HFONT font, DWORD exStyle) {
    HWND control = ::CreateWindowExW(
        exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, at.left, at.top,
        at.right - at.left, at.bottom - at.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control && font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void* WindowObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<void*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::wstring WindowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace vexo::ui::win32
