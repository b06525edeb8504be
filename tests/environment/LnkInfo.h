// LnkInfo.h - reads a shortcut file with the independent lnkinfo tool, when it is installed.
#pragma once

#include "common/ProcessHelpers.h"

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace vexo::environment::test {

inline const char* const kLnkInfo = "/usr/bin/lnkinfo";

/// Why the independent reader's tests cannot run here; empty when they can. A Windows
/// program under Wine may start a Linux program, but gets no handle on it nor its output.
inline std::string NoLnkInfo() {
#ifdef _WIN32
    return "lnkinfo is a program of the build machine, out of reach of a Windows program";
#else
    return std::filesystem::exists(kLnkInfo) ? std::string() : "lnkinfo is not installed";
#endif
}

/// The "Name : value" lines lnkinfo prints for a host file (UTF-8); nullopt when it fails.
inline std::optional<std::map<std::string, std::string>> LnkInfo(const std::string& hostFile) {
    const vexo::test::ProgramResult run = vexo::test::RunProgram({kLnkInfo, hostFile});
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
