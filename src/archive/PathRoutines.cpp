// PathRoutines.cpp - the class library's path splitting rules on Windows-1252 text.
#include "archive/PathRoutines.h"

#include "platform/Encoding.h"

namespace vexo::archive {
namespace {

std::size_t LastDelimiter(std::string_view path, std::string_view delimiters) {
    return path.find_last_of(delimiters);
}

} // namespace

std::string WithTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() != '\\') out += '\\';
    return out;
}

std::string WithoutTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::string ExtractFileDrive(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // Up to, not including, the backslash that ends the share name.
        int separators = 0;
        std::size_t i = 2;
        while (i < path.size()) {
            if (path[i] == '\\' && ++separators == 2) break;
            ++i;
        }
        return std::string(path.substr(0, i));
    }
    return {};
}

std::string ExtractFilePath(std::string_view path) {
    std::size_t i = LastDelimiter(path, "\\:");
    return i == std::string_view::npos ? std::string() : std::string(path.substr(0, i + 1));
}

std::string ExtractFileName(std::string_view path) {
    std::size_t i = LastDelimiter(path, "\\:");
    return std::string(i == std::string_view::npos ? path : path.substr(i + 1));
}

std::string ExtractFileExt(std::string_view path) {
    std::size_t i = LastDelimiter(path, ".\\:");
    if (i == std::string_view::npos || path[i] != '.') return {};
    return std::string(path.substr(i));
}

std::string ShortenPath(std::string_view path, std::size_t max) {
    if (path.size() < max) return std::string(path);
    std::string driveText = ExtractFileDrive(path);
    std::string drive = WithTrailingBackslash(driveText);
    std::string dir = ExtractFilePath(path);
    if (dir.compare(0, driveText.size(), driveText) == 0) dir.erase(0, driveText.size());
    std::string name = ExtractFileName(path);
    if (name.size() > max) return name.substr(0, max >= 3 ? max - 3 : 0) + "...";
    if (!dir.empty() && dir.front() == '\\') dir.erase(0, 1);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    std::string first, last;
    std::size_t firstSep = dir.find('\\');
    if (firstSep != std::string::npos) {
        first = dir.substr(0, firstSep);
        last = dir.substr(dir.rfind('\\') + 1);
    }
    if (first.empty()) return drive + "...\\" + name;
    first += '\\';
    last += '\\';
    if (drive.size() + first.size() + last.size() + name.size() + 4 < max)
        return drive + first + "...\\" + last + name;
    if (drive.size() + last.size() + name.size() + 4 < max) return drive + "...\\" + last + name;
    if (drive.size() + first.size() + name.size() + 4 < max) return drive + first + "...\\" + name;
    return drive + "...\\" + name;
}

bool IsExeFile(std::string_view path) {
    return platform::UpperAscii(ExtractFileExt(path)) == ".EXE";
}

} // namespace vexo::archive
