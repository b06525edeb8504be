// Frames.h - the two frames of the window's frame host, and what the window's controls share:
// their numbers and fonts.
#pragma once

#include "ui/win32/Win32.h"

#include <string>

namespace vexo::ui::win32 {

/// The controls' numbers (their dialog ids).
enum class ControlId : int {
    Install = 101,
    Exit = 102,
    Panel = 110,
    DirectoryFrame = 111,
    ProgressFrame = 112,
    DirectoryBox = 120,
    DirectoryEdit = 121,
    DirectoryBrowse = 122,
    InstallDirectoryBox = 130,
    InstallDirectoryEdit = 131,
    InstallDirectoryBrowse = 132,
    InstallingBox = 140,
    ExtractingFrom = 141,
    CopyingTo = 142,
    CurrentFile = 143,
    Progress = 144,
};

/// The window's fonts ("MS Sans Serif": 11 pixels for the controls, the labels' 12 pixels
/// bold and plain), made once and freed with the window.
class Fonts {
  public:
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    HFONT Control() const { return control_; }
    HFONT Bold12() const { return bold12_; }
    HFONT Plain12() const { return plain12_; }

  private:
    HFONT control_, bold12_, plain12_;
};

/// Makes a child control at its design position, in the controls' font.
HWND MakeControl(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style,
                 RECT at, ControlId id, HFONT font, DWORD exStyle = 0);

/// The directory row of both frames: the group box, the edit and the browse button.
struct DirectoryRow {
    HWND box = nullptr;
    HWND edit = nullptr;
    HWND browse = nullptr;
};

/// Frame 1: the directory choice.
struct DirectoryFrame {
    HWND frame = nullptr;
    DirectoryRow row;
};

/// Frame 2: the installation progress.
struct ProgressFrame {
    HWND frame = nullptr;
    DirectoryRow row;
    HWND extractingFrom = nullptr; // "Extrayendo de:"
    HWND currentFile = nullptr;
    HWND progress = nullptr;
};

/// The frames' window class: a white 340 x 245 area that hands its buttons' commands to the
/// top-level window. Registered once.
const wchar_t* FrameClass();

DirectoryFrame MakeDirectoryFrame(HWND panel, const Fonts& fonts, HICON glyph);
ProgressFrame MakeProgressFrame(HWND panel, const Fonts& fonts, HICON glyph);

} // namespace vexo::ui::win32
