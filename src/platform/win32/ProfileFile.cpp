// ProfileFile.cpp - private profiles read by GetPrivateProfileStringW.
#include "platform/Shell.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/WindowsApi.h"

namespace vexo::platform {
namespace {
constexpr std::size_t kMaxValue = 64 << 20; // no configuration value is this long
}

std::string ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::string_view def) {
    const std::wstring path = win32::SystemPath(file);
    const std::wstring wideSection = win32::Widen(section), wideKey = win32::Widen(key),
                       wideDefault = win32::Widen(def);
    // A device or a pipe reads as a missing file, never waited on.
    if (win32::NamesSpecialFile(path)) return ProfileStringFromText({}, section, key, def);
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD n = ::GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(),
                                                   wideDefault.c_str(), value.data(),
                                                   static_cast<DWORD>(value.size()), path.c_str());
        // A cut value fills the buffer but for its terminator: the call answers size - 1.
        if (n + 1 < value.size() || value.size() >= kMaxValue) {
            value.resize(n);
            return win32::Narrow(value);
        }
        value.resize(value.size() * 2);
    }
}

} // namespace vexo::platform
