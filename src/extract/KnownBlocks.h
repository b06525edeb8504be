// KnownBlocks.h - blocks the whole-archive check found right, so that the extraction right after
// it need not take their checksums again when it reads them back unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexo::extract {

struct KnownBlock {
    std::int64_t position = 0;  // archive-file offset of the block head
    std::int32_t length = 0;    // the head's length field, as checked
    std::uint32_t checksum = 0; // the head's checksum field, as checked
    std::uint32_t digest = 0;   // PayloadDigest of the payload as it was read
};

/// In file order: the blocks of the first segment the check found right.
using KnownBlocks = std::vector<KnownBlock>;

/// At most this many are kept (about 1.5 MiB); the blocks beyond are checked again.
inline constexpr std::size_t kMostKnownBlocks = std::size_t{1} << 16;

/// CRC-32 of a payload as read: tells a block read back unchanged from one that changed on disk
/// since the check, at a small fraction of the archive checksum's cost.
std::uint32_t PayloadDigest(const std::uint8_t* data, std::size_t size);

} // namespace vexo::extract
