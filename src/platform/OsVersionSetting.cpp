// OsVersionSetting.cpp - VEXO_WINVER's numbers and Wine's version names.
#include "platform/OsVersionSetting.h"

#include "platform/Encoding.h"

#include <cstdlib>
#include <string>

namespace vexo::platform {
namespace {

struct NamedVersion {
    std::string_view name;
    int platformId, major, minor;
};
constexpr NamedVersion kVersions[] = {
    {"win95", 1, 4, 0},  {"win98", 1, 4, 10}, {"winme", 1, 4, 90},  {"nt40", 2, 4, 0},
    {"win2k", 2, 5, 0},  {"winxp", 2, 5, 1},  {"win2003", 2, 5, 2}, {"vista", 2, 6, 0},
    {"win7", 2, 6, 1},   {"win8", 2, 6, 2},   {"win81", 2, 6, 3},   {"win10", 2, 10, 0},
    {"win11", 2, 10, 0},
};

} // namespace

std::optional<OsVersion> ParseOsVersionSetting(std::string_view text) {
    for (const NamedVersion& named : kVersions) {
        if (EqualsIgnoreCaseAscii(text, named.name))
            return OsVersion{named.platformId, named.major, named.minor};
    }
    const std::string digits(text);
    char* end = nullptr;
    const long major = std::strtol(digits.c_str(), &end, 10);
    if (end == digits.c_str() || major < 3 || major > 99) return std::nullopt;
    long minor = 0;
    if (*end == '.') minor = std::strtol(end + 1, nullptr, 10);
    OsVersion v;
    v.major = static_cast<int>(major);
    v.minor = static_cast<int>(minor < 0 ? 0 : minor);
    return v;
}

} // namespace vexo::platform
