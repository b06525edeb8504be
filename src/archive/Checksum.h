// Checksum.h - the archive's 32-bit block checksum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vexo::archive {

/// Continues the running checksum `value` over `len` bytes. Uses the reflected CRC-32 table but
/// reads the 32-bit word at BYTE offset i of its 1024-byte little-endian image, not entry i, so
/// the result is not CRC-32; archives in use depend on this. Start with 0xFFFFFFFF; the stored
/// checksum is the bitwise NOT of the final value. A null area or length 0 returns `value`.
std::uint32_t ArchiveChecksum(std::uint32_t value, const void* data, std::size_t len);

/// The same function written literally: four byte reads from the table image per input byte.
/// Kept as the yardstick of the faster forms (tests, benchmarks).
std::uint32_t ArchiveChecksumReference(std::uint32_t value, const void* data, std::size_t len);

/// One area of a batch: `value` is the start value on entry and the running value on return.
struct ChecksumArea {
    const void* data = nullptr;
    std::size_t len = 0;
    std::uint32_t value = 0xFFFFFFFFu;
};

/// Continues every area's checksum, as ArchiveChecksum would one after another. The function
/// is not linear, so one area cannot be split; its speed comes from stepping up to eight
/// independent areas side by side, which hides the latency of each table lookup.
void ArchiveChecksumMany(std::span<ChecksumArea> areas);

/// Areas checked side by side as they arrive: a lane takes a new area as soon as its own ends,
/// so areas of unequal length never leave one lane running alone while others are waiting.
class ChecksumLanes {
  public:
    static constexpr std::size_t kLanes = 8;

    struct Ended {
        std::size_t tag = 0;
        std::uint32_t value = 0; // the running value at the area's end
    };

    /// Areas added and not yet handed back by Next.
    std::size_t Busy() const { return busy_; }
    /// Takes an area into a free lane (requires Busy() < kLanes); `tag` comes back with it.
    void Add(const ChecksumArea& area, std::size_t tag);
    /// Runs the lanes until an area ends and hands it back (requires Busy() > 0).
    Ended Next();

  private:
    struct Lane {
        const std::uint8_t* at = nullptr;
        std::size_t left = 0;
        std::uint32_t value = 0;
        std::size_t tag = 0;
        bool busy = false;
    };
    std::array<Lane, kLanes> lanes_{};
    std::size_t busy_ = 0;
};

/// The stored form over one area: ~ArchiveChecksum(0xFFFFFFFF, data, len).
std::uint32_t StoredChecksum(const void* data, std::size_t len);

} // namespace vexo::archive
