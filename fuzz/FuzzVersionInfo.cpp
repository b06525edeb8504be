// FuzzVersionInfo.cpp - the PE version-resource reader over arbitrary bytes.
#include "platform/Shell.h"

#include <cstddef>
#include <cstdint>

using namespace vexo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto info = platform::ParseVersionInfo(data, size);
    if (info) {
        std::size_t total = 0;
        for (const auto& [table, strings] : info->strings)
            for (const auto& [name, value] : strings)
                total += name.size() + value.size();
        // Every text was read from the file's bytes.
        if (total > size * 3) __builtin_trap();
    }
    return 0;
}
