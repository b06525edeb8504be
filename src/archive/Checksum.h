// Checksum.h - the archive's 32-bit block checksum.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexo::archive {

/// Continues the running checksum `value` over `len` bytes. Uses the reflected CRC-32 table but
/// reads the 32-bit word at BYTE offset i of its 1024-byte little-endian image, not entry i, so
/// the result is not CRC-32; archives in use depend on this. Start with 0xFFFFFFFF; the stored
/// checksum is the bitwise NOT of the final value. A null area or length 0 returns `value`.
std::uint32_t ArchiveChecksum(std::uint32_t value, const void* data, std::size_t len);

/// The stored form over one area: ~ArchiveChecksum(0xFFFFFFFF, data, len).
std::uint32_t StoredChecksum(const void* data, std::size_t len);

} // namespace vexo::archive
