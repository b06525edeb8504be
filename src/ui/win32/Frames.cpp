// Frames.cpp - controls at their design positions and sizes.
#include "ui/win32/Frames.h"

#include "ui/win32/Controls.h"

#include <commctrl.h>

#include <vector>

namespace vexo::ui::win32 {

namespace {

const wchar_t kDirectoryTitle[] = L" Introduzca Nombre Directorio ";
const wchar_t kDesignDirectory[] = L"C:\\VEXO\\DALVO";

HFONT MakeFont(int pixels, int weight) {
    return ::CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

RECT At(int x, int y, int width, int height) {
    return RECT{x, y, x + width, y + height};
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // Labels, group boxes and the read-only field on the frame's white.
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_COMMAND:
        return ::SendMessageW(::GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND MakeFrame(HWND panel, ControlId id) {
    return ::CreateWindowExW(WS_EX_CONTROLPARENT, FrameClass(), L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_DISABLED, 0, 0, 340, 245,
                             panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

/// A group box with its title.
HWND MakeGroupBox(HWND frame, const wchar_t* title, RECT at, ControlId id, const Fonts& fonts) {
    return MakeControl(frame, L"BUTTON", title, BS_GROUPBOX | WS_CLIPSIBLINGS, at, id,
                       fonts.Control());
}

/// The frame's group boxes below every control laid over them, which a later child would
/// otherwise be (each new child goes to the bottom), so that their fill leaves those alone.
void GroupBoxesToTheBack(HWND frame) {
    std::vector<HWND> boxes;
    for (HWND c = ::GetWindow(frame, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t type[16] = {};
        ::GetClassNameW(c, type, 16);
        if (::lstrcmpiW(type, L"Button") == 0 &&
            (::GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            boxes.push_back(c);
    }
    for (HWND box : boxes)
        ::SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

/// The row's controls are the frame's children placed inside the box: a group box passes no
/// commands on.
DirectoryRow MakeDirectoryRow(HWND frame, const Fonts& fonts, HICON glyph, int x, int y,
                              ControlId box, ControlId edit, ControlId browse) {
    DirectoryRow row;
    row.box = MakeGroupBox(frame, kDirectoryTitle, At(x, y, 320, 49), box, fonts);
    row.edit =
        MakeControl(frame, L"EDIT", kDesignDirectory, WS_TABSTOP | ES_AUTOHSCROLL | WS_CLIPSIBLINGS,
                    At(x + 12, y + 17, 271, 21), edit, fonts.Control(), WS_EX_CLIENTEDGE);
    row.browse =
        MakeControl(frame, L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON | BS_ICON | WS_CLIPSIBLINGS,
                    At(x + 288, y + 16, 23, 24), browse, fonts.Control());
    if (glyph) ::SendMessageW(row.browse, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
    return row;
}

} // namespace

Fonts::Fonts()
    : control_(MakeFont(11, FW_NORMAL)), bold12_(MakeFont(12, FW_BOLD)),
      plain12_(MakeFont(12, FW_NORMAL)) {}

Fonts::~Fonts() {
    for (HFONT f : {control_, bold12_, plain12_})
        if (f) ::DeleteObject(f);
}

HWND MakeControl(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style,
                 RECT at, ControlId id, HFONT font, DWORD exStyle) {
    return MakeChild(parent, windowClass, text, style, at, static_cast<int>(id), font, exStyle);
}

const wchar_t* FrameClass() {
    static const wchar_t* name = RegisterWindowClass(L"VexoInstaladorMarco", FrameProc, -1);
    return name;
}

DirectoryFrame MakeDirectoryFrame(HWND panel, const Fonts& fonts, HICON glyph) {
    DirectoryFrame f;
    f.frame = MakeFrame(panel, ControlId::DirectoryFrame);
    f.row = MakeDirectoryRow(f.frame, fonts, glyph, 10, 90, ControlId::DirectoryBox,
                             ControlId::DirectoryEdit, ControlId::DirectoryBrowse);
    GroupBoxesToTheBack(f.frame);
    return f;
}

ProgressFrame MakeProgressFrame(HWND panel, const Fonts& fonts, HICON glyph) {
    ProgressFrame f;
    f.frame = MakeFrame(panel, ControlId::ProgressFrame);
    f.row = MakeDirectoryRow(f.frame, fonts, glyph, 10, 40, ControlId::InstallDirectoryBox,
                             ControlId::InstallDirectoryEdit, ControlId::InstallDirectoryBrowse);
    ::EnableWindow(f.row.edit, FALSE);
    ::EnableWindow(f.row.browse, FALSE);

    const int x = 10, y = 105; // the box " INSTALANDO PROGRAMA "
    MakeGroupBox(f.frame, L" INSTALANDO PROGRAMA ", At(x, y, 320, 107), ControlId::InstallingBox,
                 fonts);
    const DWORD label = SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS;
    f.extractingFrom =
        MakeControl(f.frame, L"STATIC", L"Extrayendo de:", label, At(x + 11, y + 23, 300, 13),
                    ControlId::ExtractingFrom, fonts.Control());
    MakeControl(f.frame, L"STATIC", L"Copiando a:", label, At(x + 22, y + 41, 61, 17),
                ControlId::CopyingTo, fonts.Control());
    f.currentFile =
        MakeControl(f.frame, L"STATIC", L"", label | SS_PATHELLIPSIS, At(x + 85, y + 42, 219, 17),
                    ControlId::CurrentFile, fonts.Control());
    f.progress = MakeControl(f.frame, PROGRESS_CLASSW, L"", WS_CLIPSIBLINGS,
                             At(x + 16, y + 64, 289, 16), ControlId::Progress, nullptr);
    ::SendMessageW(f.progress, PBM_SETRANGE32, 0, 100);
    ::SendMessageW(f.progress, PBM_SETPOS, 0, 0);
    GroupBoxesToTheBack(f.frame);
    return f;
}

} // namespace vexo::ui::win32
