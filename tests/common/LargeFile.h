// LargeFile.h - a large file for tests that stop a program part-way through writing it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace vexo::test {

/// Writes `bytes` (a multiple of 4) of short text lines that compress, each block differing
/// from the others, so that a run goes through many blocks.
inline void WriteVariedText(const std::filesystem::path& path, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::uint32_t x = 1;
    for (std::size_t i = 0; i < bytes / 4; ++i) {
        x = x * 1664525u + 1013904223u;
        const char word[4] = {'a', static_cast<char>('a' + (x >> 28)), ' ', '\n'};
        out.write(word, 4);
    }
}

} // namespace vexo::test
