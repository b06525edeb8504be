// ShellLinkFile.cpp - .lnk files written and read by the shell's IShellLinkW and IPersistFile.
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/ShellParsers.h"
#include "platform/TemporaryFiles.h"
#include "platform/win32/ComObjects.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/WindowsApi.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

namespace vexo::platform {
namespace {

using win32::ComPtr;

// The shell's texts are no longer than this (INFOTIPSIZE for descriptions).
constexpr int kTextRoom = 1024;

[[noreturn]] void Raise(HRESULT result) {
    const int code =
        HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : kErrorWriteFault;
    SetLastError(code);
    throw PlatformError(code, SystemErrorMessage(code));
}

HRESULT NewShellLink(ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
    if (!win32::EnsureComApartment()) return CO_E_NOTINITIALIZED;
    HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkW, link.Slot());
    if (SUCCEEDED(result)) result = link->QueryInterface(IID_IPersistFile, file.Slot());
    return result;
}

// One of IShellLinkW's Get calls: `call(buffer, room)`; empty when it fails.
template <typename Call> std::string Text(Call call) {
    wchar_t buffer[kTextRoom] = {};
    if (FAILED(call(buffer, kTextRoom))) return {};
    return win32::Narrow(std::wstring_view(buffer, ::wcsnlen(buffer, kTextRoom)));
}

// `longer` is `shorter` carried on (ASCII case ignored).
bool Extends(const std::string& longer, const std::string& shorter) {
    return longer.size() > shorter.size() &&
           EqualsIgnoreCaseAscii(std::string_view(longer).substr(0, shorter.size()), shorter);
}

} // namespace

void WriteShellLink(std::string_view linkPath, const ShellLink& link) {
    ComPtr<IShellLinkW> shell;
    ComPtr<IPersistFile> file;
    HRESULT result = NewShellLink(shell, file);
    // S_FALSE from SetPath: the target does not exist (yet), which a link may well name.
    if (SUCCEEDED(result)) result = shell->SetPath(win32::Widen(link.target).c_str());
    if (SUCCEEDED(result) && !link.workingDirectory.empty())
        result = shell->SetWorkingDirectory(win32::Widen(link.workingDirectory).c_str());
    if (SUCCEEDED(result) && !link.description.empty())
        result = shell->SetDescription(win32::Widen(link.description).c_str());
    if (FAILED(result)) Raise(result);
    // Saved under a new name of its own, then put in place: a name planted where the link goes
    // is replaced, never written through, and a torn link is never seen.
    TemporaryFile claimed = CreateTemporaryBeside(linkPath);
    claimed.stream.reset();
    const std::wstring temporary = win32::SystemPath(claimed.path);
    result = file->Save(temporary.c_str(), TRUE);
    if (FAILED(result)) {
        ::DeleteFileW(temporary.c_str());
        Raise(result);
    }
    file.Reset(); // the shell object lets go of the file before it moves
    if (!RenameFileReplacing(claimed.path, linkPath)) {
        const int code = LastError();
        ::DeleteFileW(temporary.c_str());
        SetLastError(code);
        throw PlatformError(code, SystemErrorMessage(code));
    }
}

std::optional<ShellLink> ReadShellLink(std::string_view linkPath) {
    const std::wstring path = win32::SystemPath(linkPath);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        win32::NamesSpecialFile(path))
        return std::nullopt;
    ComPtr<IShellLinkW> shell;
    ComPtr<IPersistFile> file;
    if (FAILED(NewShellLink(shell, file)) || FAILED(file->Load(path.c_str(), STGM_READ)))
        return std::nullopt;

    ShellLink link;
    link.target = Text([&](wchar_t* b, int n) { return shell->GetPath(b, n, nullptr, 0); });
    const std::string unc =
        Text([&](wchar_t* b, int n) { return shell->GetPath(b, n, nullptr, SLGP_UNCPRIORITY); });
    if (unc.rfind("\\\\", 0) == 0) link.networkTarget = unc;
    link.workingDirectory =
        Text([&](wchar_t* b, int n) { return shell->GetWorkingDirectory(b, n); });
    link.description = Text([&](wchar_t* b, int n) { return shell->GetDescription(b, n); });

    // Where Wine's shell answers less than Windows' does, the file's own bytes say it: a target
    // named by an item ID list only, the common path suffix of the link info, its network form.
    if (auto parsed = detail::ParseShellLinkFile(linkPath)) {
        if (link.target.empty() || Extends(parsed->target, link.target))
            link.target = parsed->target;
        if (link.networkTarget.empty()) link.networkTarget = parsed->networkTarget;
    }
    link.target = detail::TargetBesideLink(linkPath, std::move(link.target));
    return link;
}

} // namespace vexo::platform
