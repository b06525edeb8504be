// Checksum.cpp - reference loop over the byte image of the CRC-32 table.
#include "archive/Checksum.h"

#include <array>

namespace vexo::archive {
namespace {

// The table as the little-endian byte image the checksum addresses; 3 spare bytes past the end
// are never reached (the highest offset read is 255 + 3 = 258).
std::array<std::uint8_t, 1024> MakeTableImage() {
    std::array<std::uint8_t, 1024> image{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        for (int b = 0; b < 4; ++b)
            image[n * 4 + b] = static_cast<std::uint8_t>(c >> (8 * b));
    }
    return image;
}

const std::array<std::uint8_t, 1024>& TableImage() {
    static const std::array<std::uint8_t, 1024> image = MakeTableImage();
    return image;
}

} // namespace

std::uint32_t ArchiveChecksum(std::uint32_t value, const void* data, std::size_t len) {
    if (data == nullptr || len == 0) return value;
    const auto& image = TableImage();
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t k = 0; k < len; ++k) {
        std::size_t i = (value ^ p[k]) & 0xFF;
        std::uint32_t w = static_cast<std::uint32_t>(image[i]) |
                          static_cast<std::uint32_t>(image[i + 1]) << 8 |
                          static_cast<std::uint32_t>(image[i + 2]) << 16 |
                          static_cast<std::uint32_t>(image[i + 3]) << 24;
        value = (value >> 8) ^ w;
    }
    return value;
}

std::uint32_t StoredChecksum(const void* data, std::size_t len) {
    return ~ArchiveChecksum(0xFFFFFFFFu, data, len);
}

} // namespace vexo::archive
