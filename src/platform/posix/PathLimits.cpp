// PathLimits.cpp - the POSIX host's limits: PATH_MAX for a whole path, NAME_MAX for a name.
#include "platform/PathLimits.h"

#include "platform/Paths.h"

#include <climits>

namespace vexo::platform {
namespace {

// PATH_MAX counts the terminating zero; NAME_MAX does not.
constexpr std::size_t kPathLimit = PATH_MAX - 1;
constexpr std::size_t kNameLimit = NAME_MAX;

} // namespace

PathLimitCheck CheckPathLimits(std::string_view windowsPath, bool /*folder*/) {
    const std::optional<std::string> host = HostPath(windowsPath);
    if (!host) return {};
    // Names first: a name too long is the more precise reason, and it says which part to mend.
    if (const std::size_t name = LongestName(*host); name > kNameLimit)
        return {PathVerdict::NameTooLong, name, kNameLimit};
    if (host->size() > kPathLimit) return {PathVerdict::PathTooLong, host->size(), kPathLimit};
    return {};
}

} // namespace vexo::platform
