// Win32FolderBrowser.h - the folder browser as the shell's own (SHBrowseForFolderW).
#pragma once

#include "environment/FolderBrowser.h"
#include "ui/win32/Win32.h"

#include <functional>
#include <string>
#include <string_view>

namespace vexo::ui::win32 {

/// The folder the browser opens at for a Windows path (Windows-1252): the path itself or its
/// nearest ancestor that `isFolder` finds, with no trailing backslash but for a drive's root;
/// the path's drive root when none is found, and empty for a path without a drive.
std::string StartFolder(std::string_view windowsPath,
                        const std::function<bool(std::string_view)>& isFolder);

class Win32FolderBrowser final : public environment::FolderBrowser {
  public:
    /// `owner` (an HWND) owns the browser; null leaves the window's own owner.
    bool BrowseForFolder(void* owner, std::string& path, std::string_view title,
                         bool newStyle) override;
    void SetOwner(HWND owner) { owner_ = owner; }

  private:
    HWND owner_ = nullptr;
};

} // namespace vexo::ui::win32
