// DamageHelpers.h - damage made to one entry of an installer file on disk: its data, its block
// checksum, or its record.
#pragma once

#include "archive/ArchiveWriter.h"
#include "archive/Checksum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vexo::installer::test {

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& host) {
    std::ifstream in(host, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Replaces the one occurrence of `from` in the file by `to` (same length).
inline ::testing::AssertionResult ReplaceOnce(const std::filesystem::path& host,
                                              const std::vector<std::uint8_t>& from,
                                              const std::vector<std::uint8_t>& to) {
    std::vector<std::uint8_t> bytes = ReadBytes(host);
    auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    if (at == bytes.end()) return ::testing::AssertionFailure() << "pattern not in " << host;
    if (std::search(at + 1, bytes.end(), from.begin(), from.end()) != bytes.end())
        return ::testing::AssertionFailure() << "pattern twice in " << host;
    std::copy(to.begin(), to.end(), at);
    std::ofstream(host, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return ::testing::AssertionSuccess();
}

/// The single block a writer with default options makes of `content`.
inline std::vector<std::uint8_t> BlockOf(const std::string& content) {
    return archive::EncodeBlock(reinterpret_cast<const std::uint8_t*>(content.data()),
                                content.size(), false, archive::kDefaultCompressionLevel);
}

/// Spoils the zlib stream of the entry holding `content` (one compressed block) and stores the
/// checksum of the spoiled bytes: the block check passes, decompression fails.
inline ::testing::AssertionResult DamageInflate(const std::filesystem::path& host,
                                                const std::string& content) {
    std::vector<std::uint8_t> block = BlockOf(content);
    std::vector<std::uint8_t> damaged = block;
    damaged.back() ^= 0x01; // the stream's closing Adler-32
    std::uint32_t sum = archive::StoredChecksum(damaged.data() + 8, damaged.size() - 8);
    for (int i = 0; i < 4; ++i)
        damaged[4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
    return ReplaceOnce(host, block, damaged);
}

/// Spoils one byte of the block holding `content`, leaving its checksum: the block check fails.
inline ::testing::AssertionResult DamageChecksum(const std::filesystem::path& host,
                                                 const std::string& content) {
    std::vector<std::uint8_t> block = BlockOf(content);
    std::vector<std::uint8_t> damaged = block;
    damaged.back() ^= 0x01;
    return ReplaceOnce(host, block, damaged);
}

/// Gives the record of the entry stored as `name` a name length far beyond the file's end.
inline ::testing::AssertionResult DamageRecord(const std::filesystem::path& host,
                                               const std::string& name) {
    std::vector<std::uint8_t> record;
    for (int i = 0; i < 4; ++i)
        record.push_back(static_cast<std::uint8_t>(name.size() >> (8 * i)));
    record.insert(record.end(), name.begin(), name.end());
    std::vector<std::uint8_t> damaged = record;
    damaged[3] = 0x7F;
    return ReplaceOnce(host, record, damaged);
}

} // namespace vexo::installer::test
