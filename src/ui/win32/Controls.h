// Controls.h - what every window of the view does alike: register its class, make its child
// controls, find its C++ object from its handle.
#pragma once

#include "ui/win32/Win32.h"

#include <string>

namespace vexo::ui::win32 {

/// Registers a window class of this program with the arrow cursor and the system colour
/// `colour` (COLOR_*) as background, or the stock brush `stockBrush` when `colour` is negative.
/// \returns `name`.
const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC proc, int colour,
                                   int stockBrush = WHITE_BRUSH);

/// A visible child control at `at` (parent coordinates) in `font` (none: the system's).
HWND MakeChild(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style,
               RECT at, int id, HFONT font, DWORD exStyle = 0);

/// The object a window was created for (its creation parameter), kept in the window from its
/// first message on; null before.
void* WindowObject(HWND hwnd, UINT message, LPARAM lParam);

/// A control's text.
std::wstring WindowText(HWND control);

} // namespace vexo::ui::win32
