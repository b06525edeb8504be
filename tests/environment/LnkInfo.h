// LnkInfo.h - reads a shortcut file with the independent lnkinfo tool, when it is installed.
// The Windows build runs the build machine's lnkinfo too: under Wine a Windows program may
// start a Linux one, given the file's Linux name.
#pragma once

#include "common/ProcessHelpers.h"

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vexo::environment::test {

#ifdef _WIN32
inline const char* const kLnkInfo = "Z:\\usr\\bin\\lnkinfo";

/// Wine's name on the build machine for a Windows path; nullopt outside Wine.
inline std::optional<std::string> BuildMachinePath(const std::string& windowsPath) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::nullopt;
    const std::wstring wide = std::filesystem::path(windowsPath).wstring();
    char* name = unixName(wide.c_str());
    if (!name) return std::nullopt;
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}
#else
inline const char* const kLnkInfo = "/usr/bin/lnkinfo";

inline std::optional<std::string> BuildMachinePath(const std::string& hostPath) {
    return hostPath;
}
#endif

inline bool HaveLnkInfo() {
    return std::filesystem::exists(kLnkInfo) && BuildMachinePath(".").has_value();
}

/// The "Name : value" lines lnkinfo prints for a host file (UTF-8); nullopt when it fails.
inline std::optional<std::map<std::string, std::string>> LnkInfo(const std::string& hostFile) {
    const std::optional<std::string> file = BuildMachinePath(hostFile);
    if (!file) return std::nullopt;
    const vexo::test::ProgramResult run = vexo::test::RunProgram({kLnkInfo, *file});
    if (!run.exited || run.status != 0) return std::nullopt;
    std::map<std::string, std::string> fields;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        // "\tLocal path\t\t\t: C:\..." - the name is padded with tabs before ": ".
        std::size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        std::size_t begin = line.find_first_not_of(" \t");
        std::string name = line.substr(begin, colon - begin);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        fields[name] = line.substr(colon + 2);
    }
    if (fields.empty()) return std::nullopt;
    return fields;
}

} // namespace vexo::environment::test
