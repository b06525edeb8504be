// VersionFile.cpp - a program file's version resource, read by GetFileVersionInfoW.
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/Shell.h"
#include "platform/ShellParsers.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/WindowsApi.h"

#include <cwchar>
#include <vector>

namespace vexo::platform {
namespace {

// The answers about a file's contents rather than about reaching it. Wine gives 1812 (no
// resource section) for all of them, where Windows tells a file that is no program (193) from a
// program without a version resource (1813).
bool IsContentAnswer(int code) {
    return code == kErrorSuccess || code == kErrorBadExeFormat ||
           code == kErrorResourceTypeNotFound || code == ERROR_BAD_FORMAT ||
           code == ERROR_RESOURCE_DATA_NOT_FOUND;
}

std::optional<VersionInfo> Fail(int code) {
    SetLastError(code);
    return std::nullopt;
}

// The verdict on a file the system found no version in, as Windows words it.
std::optional<VersionInfo> ContentFailure(std::string_view path, int systemCode) {
    if (detail::ParseVersionFile(path))
        return Fail(kErrorResourceTypeNotFound); // there is one, but not for the system
    const int parsed = LastError();
    return Fail(parsed == kErrorSuccess ? systemCode : parsed);
}

const void* Query(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                  UINT& length) {
    void* value = nullptr;
    length = 0;
    if (!::VerQueryValueW(block.data(), subBlock.c_str(), &value, &length)) return nullptr;
    return value;
}

} // namespace

std::optional<VersionInfo> ReadVersionInfo(std::string_view path) {
    const std::wstring system = win32::SystemPath(path);
    if (win32::NamesSpecialFile(system)) return Fail(kErrorAccessDenied); // never waited on
    DWORD ignored = 0;
    ::SetLastError(ERROR_SUCCESS);
    const DWORD size = ::GetFileVersionInfoSizeW(system.c_str(), &ignored);
    if (size == 0) {
        const int code = static_cast<int>(::GetLastError());
        if (!IsContentAnswer(code)) return Fail(code);
        return ContentFailure(path, code);
    }
    std::vector<std::uint8_t> block(size);
    if (!::GetFileVersionInfoW(system.c_str(), 0, size, block.data()))
        return Fail(static_cast<int>(::GetLastError()));

    VersionInfo info;
    UINT length = 0;
    if (auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(block, L"\\", length));
        fixed && length >= sizeof(VS_FIXEDFILEINFO)) {
        info.fileVersionMS = fixed->dwFileVersionMS;
        info.fileVersionLS = fixed->dwFileVersionLS;
        info.productVersionMS = fixed->dwProductVersionMS;
        info.productVersionLS = fixed->dwProductVersionLS;
    }
    if (auto* pairs =
            static_cast<const WORD*>(Query(block, L"\\VarFileInfo\\Translation", length))) {
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
            info.translations.emplace_back(pairs[i], pairs[i + 1]);
    }
    // VerQueryValueW finds a string by name but cannot list the names: the block's own walk
    // lists the tables and names, and each value is then asked of the system.
    VersionInfo walked;
    detail::WalkVersionBlock(block.data(), block.size(), walked);
    for (const auto& [table, names] : walked.strings) {
        auto& strings = info.strings[table];
        for (const auto& entry : names) {
            const std::wstring subBlock =
                L"\\StringFileInfo\\" + win32::Widen(table) + L"\\" + win32::Widen(entry.first);
            auto* text = static_cast<const wchar_t*>(Query(block, subBlock, length));
            if (!text) continue;
            strings.emplace(entry.first,
                            win32::Narrow(std::wstring_view(text, ::wcsnlen(text, length))));
        }
    }
    SetLastError(kErrorSuccess);
    return info;
}

} // namespace vexo::platform
