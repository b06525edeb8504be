// KnownBlocks.cpp - the digest of a payload as read.
#include "extract/KnownBlocks.h"

#include <libdeflate.h>

namespace vexo::extract {

std::uint32_t PayloadDigest(const std::uint8_t* data, std::size_t size) {
    return libdeflate_crc32(0, data, size);
}

} // namespace vexo::extract
