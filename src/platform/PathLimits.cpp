// PathLimits.cpp - the host-independent part of the path limit checks.
#include "platform/PathLimits.h"

#include <algorithm>

namespace vexo::platform {

std::size_t LongestName(std::string_view path) {
    std::size_t longest = 0, run = 0;
    for (char c : path) {
        run = c == '\\' || c == '/' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

} // namespace vexo::platform
