// Win32FolderBrowser.cpp - SHBrowseForFolderW, opened at the current choice.
#include "ui/win32/Win32FolderBrowser.h"

#include "platform/FileSystem.h"
#include "platform/win32/ComObjects.h"
#include "platform/win32/WidePaths.h"

#include <shlobj.h>

namespace vexo::ui::win32 {

namespace {

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

/// Selects the start folder once the browser is up.
int CALLBACK SelectStart(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start)
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

} // namespace

std::string StartFolder(std::string_view windowsPath,
                        const std::function<bool(std::string_view)>& isFolder) {
    if (!HasDrive(windowsPath)) return {};
    const std::string root = std::string(windowsPath.substr(0, 2)) + "\\";
    std::string path(windowsPath);
    for (;;) {
        while (path.size() > root.size() && path.back() == '\\')
            path.pop_back();
        if (path.size() <= root.size()) return root;
        if (isFolder(path)) return path;
        const std::size_t cut = path.find_last_of('\\');
        if (cut == std::string::npos || cut < 2) return root;
        path.resize(cut);
    }
}

bool Win32FolderBrowser::BrowseForFolder(void* owner, std::string& path, std::string_view title,
                                         bool newStyle) {
    platform::win32::EnsureComApartment();
    const std::string start =
        StartFolder(path, [](std::string_view p) { return platform::DirectoryExists(p); });
    // The browser works on the system's paths: drive C: may stand in elsewhere.
    const std::wstring startPath =
        start.empty() ? std::wstring() : platform::win32::SystemPath(std::string_view(start));
    const std::wstring wideTitle = platform::win32::Widen(title);

    BROWSEINFOW info{};
    info.hwndOwner = owner ? static_cast<HWND>(owner) : owner_;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | (newStyle ? BIF_NEWDIALOGSTYLE : 0);
    info.lpfn = SelectStart;
    info.lParam = startPath.empty() ? 0 : reinterpret_cast<LPARAM>(startPath.c_str());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return false;
    wchar_t buffer[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, buffer);
    ::CoTaskMemFree(chosen);
    if (!ok || !buffer[0]) return false;
    path = platform::win32::ProgramPath(std::wstring_view(buffer));
    return true;
}

} // namespace vexo::ui::win32
