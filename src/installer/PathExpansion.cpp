// PathExpansion.cpp - text-only path rules; nothing here looks at the disk.
#include "installer/PathExpansion.h"

#include "archive/PathRoutines.h"

#include <vector>

namespace vexo::installer {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDrive(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' &&
           ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

/// Folds "." and ".." of the part after the root; ".." never climbs above the root.
std::string Fold(std::string_view root, std::string_view rest) {
    std::vector<std::string> parts;
    std::string current;
    auto flush = [&] {
        if (current == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!current.empty() && current != ".") {
            parts.push_back(current);
        }
        current.clear();
    };
    for (char c : rest) {
        if (IsSeparator(c))
            flush();
        else
            current += c;
    }
    flush();
    std::string out(root);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '\\';
        out += parts[i];
    }
    if (!rest.empty() && IsSeparator(rest.back()) && !parts.empty()) out += '\\';
    return out;
}

} // namespace

std::string ExpandFileName(std::string_view path, std::string_view currentDirectory) {
    std::string cwd = archive::WithTrailingBackslash(currentDirectory);
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share\rest: the share is the root.
        std::size_t server = path.find_first_of("\\/", 2);
        if (server == std::string_view::npos) return std::string(path);
        std::size_t share = path.find_first_of("\\/", server + 1);
        if (share == std::string_view::npos) return std::string(path);
        return Fold(std::string(path.substr(0, share + 1)), path.substr(share + 1));
    }
    if (HasDrive(path)) {
        std::string root = std::string(path.substr(0, 2)) + "\\";
        std::string_view rest = path.substr(2);
        if (!rest.empty() && IsSeparator(rest[0])) return Fold(root, rest.substr(1));
        // "D:name" is relative to the drive's current directory; ours when it is that drive.
        if (HasDrive(cwd) && (cwd[0] | 0x20) == (path[0] | 0x20))
            return Fold(root, cwd.substr(3) + std::string(rest));
        return Fold(root, rest);
    }
    std::string root = HasDrive(cwd) ? cwd.substr(0, 3) : std::string("C:\\");
    if (!path.empty() && IsSeparator(path[0])) return Fold(root, path.substr(1));
    std::string rest = cwd.size() > root.size() ? cwd.substr(root.size()) : std::string();
    if (path.empty()) return Fold(root, archive::WithoutTrailingBackslash(rest));
    return Fold(root, rest + std::string(path));
}

std::string ParentDirectory(std::string_view absolutePath) {
    std::string s = archive::WithoutTrailingBackslash(absolutePath);
    std::size_t cut = s.rfind('\\');
    if (cut == std::string::npos) return s;
    return s.substr(0, cut);
}

} // namespace vexo::installer
