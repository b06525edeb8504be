// FuzzShellLink.cpp - the shell-link reader over arbitrary bytes.
#include "platform/Shell.h"

#include <cstddef>
#include <cstdint>

using namespace vexo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto link = platform::ParseShellLink(data, size);
    // Texts come from the file's bytes, so none can be longer than the file itself (beyond the
    // widening of UTF-16 names into Windows-1252 and UTF-8, which shortens or keeps them).
    if (link && (link->target.size() > size * 3 || link->workingDirectory.size() > size * 3 ||
                 link->description.size() > size * 3 || link->networkTarget.size() > size * 3))
        __builtin_trap();
    return 0;
}
