// HostFileTree.cpp - host folders, trees and whole files through the standard library, the
// same on every host. Host paths are UTF-8: converted as such at the library's path type.
#include "platform/HostFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace vexo::platform {
namespace {

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::u8string& text) {
    return std::string(text.begin(), text.end());
}

} // namespace

std::vector<HostTreeEntry> ListHostTree(const std::string& root) {
    const fs::path top = PathOf(root);
    std::vector<fs::path> paths;
    for (const auto& e : fs::recursive_directory_iterator(top))
        paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    std::vector<HostTreeEntry> entries;
    for (const auto& p : paths) {
        const bool dir = fs::is_directory(p);
        if (dir && !fs::is_empty(p)) continue;
        if (!dir && !fs::is_regular_file(p)) continue;
        entries.push_back(
            {Utf8Of(p.u8string()), Utf8Of(fs::relative(p, top).generic_u8string()), dir});
    }
    return entries;
}

std::optional<std::string> ReadHostFile(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) return std::nullopt;
    // Stops quietly where reading fails (a directory opens, but reads nothing).
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void CreateHostDirectories(const std::string& path) {
    fs::create_directories(PathOf(path));
}

bool RemoveHostFile(const std::string& path) {
    std::error_code ignored;
    return fs::remove(PathOf(path), ignored);
}

std::string AbsoluteHostPath(const std::string& path) {
    return Utf8Of(fs::absolute(PathOf(path)).u8string());
}

std::string HostPathBeside(const std::string& file, const std::string& name) {
    return Utf8Of((PathOf(file).parent_path() / PathOf(name)).make_preferred().u8string());
}

std::string HostFileName(const std::string& path) {
    return Utf8Of(PathOf(path).filename().u8string());
}

} // namespace vexo::platform
