// LnkInfo.h - reads a shortcut file with the independent lnkinfo tool, when it is installed.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace vexo::environment::test {

inline bool HaveLnkInfo() {
    return std::system("command -v lnkinfo >/dev/null 2>&1") == 0;
}

/// The "Name : value" lines lnkinfo prints for a host file (UTF-8); nullopt when it fails.
inline std::optional<std::map<std::string, std::string>> LnkInfo(const std::string& hostFile) {
    std::string quoted;
    for (char c : hostFile)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    std::string command = "lnkinfo '" + quoted + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return std::nullopt;
    std::map<std::string, std::string> fields;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
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
