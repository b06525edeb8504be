// Checksum.cpp - the block checksum: the literal table-image loop, a word-table loop, and a
// batch form that steps several independent areas side by side.
#include "archive/Checksum.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vexo::archive {
namespace {

// The table as the little-endian byte image the checksum addresses; 3 spare bytes past the end
// are never reached (the highest offset read is 255 + 3 = 258).
constexpr std::array<std::uint8_t, 1024> MakeTableImage() {
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

constexpr std::array<std::uint8_t, 1024> kImage = MakeTableImage();

constexpr std::uint32_t WordAt(std::size_t i) {
    return static_cast<std::uint32_t>(kImage[i]) | static_cast<std::uint32_t>(kImage[i + 1]) << 8 |
           static_cast<std::uint32_t>(kImage[i + 2]) << 16 |
           static_cast<std::uint32_t>(kImage[i + 3]) << 24;
}

// The 256 words the checksum can reach, gathered once so each step is one aligned load.
constexpr std::array<std::uint32_t, 256> MakeWords() {
    std::array<std::uint32_t, 256> words{};
    for (std::size_t i = 0; i < 256; ++i)
        words[i] = WordAt(i);
    return words;
}

constexpr std::array<std::uint32_t, 256> kWords = MakeWords();

inline std::uint32_t Step(std::uint32_t value, std::uint8_t b) {
    return (value >> 8) ^ kWords[(value ^ b) & 0xFF];
}

std::uint32_t WordLoop(std::uint32_t value, const std::uint8_t* p, std::size_t len) {
    for (std::size_t k = 0; k < len; ++k)
        value = Step(value, p[k]);
    return value;
}

// Two steps at once: after bytes b0, b1 the value is (v >> 16) ^ T[(v ^ b0 ^ b1 << 8) & 0xFFFF],
// where T[x] is two steps over zero bytes from x. Only side by side chains gain from it: a lone
// chain waits on each look-up, and this table (256 KiB) answers from L2, not L1.
const std::uint32_t* PairTable() {
    static const std::vector<std::uint32_t> table = [] {
        std::vector<std::uint32_t> t(65536);
        for (std::uint32_t x = 0; x < 65536; ++x)
            t[x] = Step(Step(x, 0), 0);
        return t;
    }();
    return table.data();
}

// K chains advanced over the same number of bytes; unrolled so the values stay in registers.
template <int K>
void Interleaved(std::uint32_t* values, const std::uint8_t* const* p, std::size_t len) {
    const std::uint32_t* pairs = PairTable();
    std::uint32_t v[K];
#pragma GCC unroll 8
    for (int j = 0; j < K; ++j)
        v[j] = values[j];
    std::size_t k = 0;
    for (; k + 2 <= len; k += 2) {
#pragma GCC unroll 8
        for (int j = 0; j < K; ++j) {
            const std::uint32_t two = p[j][k] | static_cast<std::uint32_t>(p[j][k + 1]) << 8;
            v[j] = (v[j] >> 16) ^ pairs[(v[j] ^ two) & 0xFFFF];
        }
    }
    for (; k < len; ++k) {
#pragma GCC unroll 8
        for (int j = 0; j < K; ++j)
            v[j] = Step(v[j], p[j][k]);
    }
#pragma GCC unroll 8
    for (int j = 0; j < K; ++j)
        values[j] = v[j];
}

} // namespace

std::uint32_t ArchiveChecksumReference(std::uint32_t value, const void* data, std::size_t len) {
    if (data == nullptr || len == 0) return value;
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t k = 0; k < len; ++k) {
        std::size_t i = (value ^ p[k]) & 0xFF;
        std::uint32_t w = static_cast<std::uint32_t>(kImage[i]) |
                          static_cast<std::uint32_t>(kImage[i + 1]) << 8 |
                          static_cast<std::uint32_t>(kImage[i + 2]) << 16 |
                          static_cast<std::uint32_t>(kImage[i + 3]) << 24;
        value = (value >> 8) ^ w;
    }
    return value;
}

std::uint32_t ArchiveChecksum(std::uint32_t value, const void* data, std::size_t len) {
    if (data == nullptr || len == 0) return value;
    return WordLoop(value, static_cast<const std::uint8_t*>(data), len);
}

void ChecksumLanes::Add(const ChecksumArea& area, std::size_t tag) {
    for (Lane& lane : lanes_) {
        if (lane.busy) continue;
        const bool empty = area.data == nullptr || area.len == 0;
        lane = {static_cast<const std::uint8_t*>(area.data), empty ? 0 : area.len, area.value, tag,
                true};
        ++busy_;
        return;
    }
}

ChecksumLanes::Ended ChecksumLanes::Next() {
    for (;;) {
        for (Lane& lane : lanes_) {
            if (lane.busy && lane.left == 0) {
                lane.busy = false;
                --busy_;
                return {lane.tag, lane.value};
            }
        }
        // Every busy lane advances by the shortest remainder among them, so at least one ends;
        // the busy lanes are packed to the front so the kernel's width matches the work.
        std::array<Lane*, kLanes> run{};
        int n = 0;
        for (Lane& lane : lanes_)
            if (lane.busy) run[n++] = &lane;
        if (n == 0) return {};
        std::size_t step = run[0]->left;
        for (int q = 1; q < n; ++q)
            step = std::min(step, run[q]->left);
        std::array<const std::uint8_t*, kLanes> p{};
        std::array<std::uint32_t, kLanes> v{};
        for (int q = 0; q < n; ++q) {
            p[q] = run[q]->at;
            v[q] = run[q]->value;
        }
        // Idle lanes of the chosen width repeat lane 0; their results are dropped.
        for (int q = n; q < static_cast<int>(kLanes); ++q)
            p[q] = p[0];
        if (n == 1)
            v[0] = WordLoop(v[0], p[0], step);
        else if (n == 2)
            Interleaved<2>(v.data(), p.data(), step);
        else if (n <= 4)
            Interleaved<4>(v.data(), p.data(), step);
        else
            Interleaved<8>(v.data(), p.data(), step);
        for (int q = 0; q < n; ++q) {
            run[q]->value = v[q];
            run[q]->at += step;
            run[q]->left -= step;
        }
    }
}

void ArchiveChecksumMany(std::span<ChecksumArea> areas) {
    ChecksumLanes lanes;
    std::size_t next = 0;
    while (next < areas.size() || lanes.Busy() > 0) {
        while (next < areas.size() && lanes.Busy() < ChecksumLanes::kLanes) {
            lanes.Add(areas[next], next);
            ++next;
        }
        const ChecksumLanes::Ended ended = lanes.Next();
        areas[ended.tag].value = ended.value;
    }
}

std::uint32_t StoredChecksum(const void* data, std::size_t len) {
    return ~ArchiveChecksum(0xFFFFFFFFu, data, len);
}

} // namespace vexo::archive
