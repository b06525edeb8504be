// HostFiles.cpp - host paths through the standard library's file system calls.
#include "platform/HostFiles.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

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

std::vector<HostTreeEntry> ListHostTree(const std::string& root) {
    std::vector<fs::path> paths;
    for (const auto& e : fs::recursive_directory_iterator(root))
        paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    std::vector<HostTreeEntry> entries;
    for (const auto& p : paths) {
        const bool dir = fs::is_directory(p);
        if (dir && !fs::is_empty(p)) continue;
        if (!dir && !fs::is_regular_file(p)) continue;
        entries.push_back({p.string(), fs::relative(p, root).generic_string(), dir});
    }
    return entries;
}

std::optional<std::string> ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Stops quietly where reading fails (a directory opens, but reads nothing).
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void CreateHostDirectories(const std::string& path) {
    fs::create_directories(path);
}

bool RemoveHostFile(const std::string& path) {
    std::error_code ignored;
    return fs::remove(path, ignored);
}

std::string AbsoluteHostPath(const std::string& path) {
    return fs::absolute(path).string();
}

std::string HostPathBeside(const std::string& file, const std::string& name) {
    return (fs::path(file).parent_path() / name).string();
}

std::string HostFileName(const std::string& path) {
    return fs::path(path).filename().string();
}

} // namespace vexo::platform
