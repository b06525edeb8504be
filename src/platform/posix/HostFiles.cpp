// HostFiles.cpp - what the host knows of a file, through the standard library's calls.
#include "platform/HostFiles.h"

#include <chrono>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace vexo::platform {
namespace {

HostTime LocalTimeOf(fs::file_time_type when) {
    auto sys = std::chrono::file_clock::to_sys(when);
    std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm local{};
    ::localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

HostFileType TypeOf(const fs::file_status& status) {
    switch (status.type()) {
    case fs::file_type::not_found:
        return HostFileType::Missing;
    case fs::file_type::regular:
        return HostFileType::Regular;
    case fs::file_type::directory:
        return HostFileType::Directory;
    default:
        return HostFileType::Other;
    }
}

} // namespace

HostFileFacts GetHostFileFacts(const std::string& path) {
    const fs::file_status status = fs::status(path);
    HostFileFacts facts;
    facts.type = TypeOf(status);
    if (facts.type == HostFileType::Missing) return facts;
    facts.lastWrite = LocalTimeOf(fs::last_write_time(path));
    facts.readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    return facts;
}

} // namespace vexo::platform
