// FileMask.cpp - FindFirstFile's wildcard masks and listing order, without asking the host.
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/FindOrder.h"

#include <algorithm>

namespace vexo::platform {

bool MatchesFileMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*") mask = "*";
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && (mask[m] == '?' || upper(mask[m]) == upper(name[n]))) {
            ++m;
            ++n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    // Trailing dots and stars match the end of a name ("README.*" finds "README").
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '.'))
        ++m;
    return m == mask.size();
}

void SortFindEntries(std::vector<FindEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const FindEntry& a, const FindEntry& b) {
        auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
        if (rank(a.name) != rank(b.name)) return rank(a.name) < rank(b.name);
        return UpperAscii(a.name) < UpperAscii(b.name);
    });
}

} // namespace vexo::platform
