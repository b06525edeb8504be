// ChecksumFormsTest.cpp - the fast checksum forms agree with the literal table-image loop.
#include "archive/Checksum.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace vexo::archive {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& rng) {
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

TEST(ChecksumForms, SingleAreaEqualsReferenceForEveryLengthUpTo4096) {
    std::mt19937 rng(20240611);
    const auto data = RandomBytes(4096, rng);
    for (std::size_t len = 0; len <= 4096; ++len) {
        // Fresh random start values too, so no length is only tried from 0xFFFFFFFF.
        const std::uint32_t start = len % 2 == 0 ? 0xFFFFFFFFu : rng();
        const std::uint8_t* p = data.data() + (4096 - len) / 2;
        ASSERT_EQ(ArchiveChecksum(start, p, len), ArchiveChecksumReference(start, p, len))
            << "length " << len;
    }
}

TEST(ChecksumForms, ReferenceKeepsKnownValues) {
    EXPECT_EQ(~ArchiveChecksumReference(0xFFFFFFFFu, "abc", 3), 0x932BC606u);
    EXPECT_EQ(~ArchiveChecksumReference(0xFFFFFFFFu, "123456789", 9), 0x1B948A57u);
    EXPECT_EQ(ArchiveChecksumReference(0x1234u, nullptr, 5), 0x1234u);
}

// Each batch is checked against the reference run area by area.
void ExpectBatchMatches(std::vector<ChecksumArea> areas) {
    std::vector<std::uint32_t> expected;
    for (const auto& a : areas)
        expected.push_back(ArchiveChecksumReference(a.value, a.data, a.len));
    ArchiveChecksumMany(areas);
    for (std::size_t k = 0; k < areas.size(); ++k)
        ASSERT_EQ(areas[k].value, expected[k]) << "area " << k << " of " << areas.size();
}

TEST(ChecksumForms, BatchEqualsReferenceForEveryBatchSizeAndMixedLengths) {
    std::mt19937 rng(77);
    const auto data = RandomBytes(1 << 17, rng);
    for (std::size_t count = 0; count <= 20; ++count) {
        for (int round = 0; round < 8; ++round) {
            std::vector<ChecksumArea> areas(count);
            for (auto& a : areas) {
                // Mostly short areas, some long ones, some empty: lanes finish at odd times.
                std::size_t len = rng() % 4 == 0 ? rng() % 70000 : rng() % 300;
                if (rng() % 10 == 0) len = 0;
                a.data = data.data() + rng() % (data.size() - len);
                a.len = len;
                a.value = rng() % 3 == 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rng());
            }
            ExpectBatchMatches(areas);
        }
    }
}

TEST(ChecksumForms, LanesTakeNewAreasWhileOthersAreHalfWay) {
    std::mt19937 rng(31);
    const auto data = RandomBytes(1 << 17, rng);
    std::vector<ChecksumArea> areas(300);
    for (auto& a : areas) {
        a.len = rng() % 5 == 0 ? 0 : rng() % 20000;
        a.data = data.data() + rng() % (data.size() - a.len);
        a.value = static_cast<std::uint32_t>(rng());
    }
    ChecksumLanes lanes;
    std::vector<std::uint32_t> got(areas.size());
    std::vector<int> ended(areas.size(), 0);
    std::size_t next = 0;
    while (next < areas.size() || lanes.Busy() > 0) {
        // A random number of areas joins between steps, as blocks arrive from a reader.
        for (std::size_t join = rng() % 4;
             join > 0 && next < areas.size() && lanes.Busy() < ChecksumLanes::kLanes;
             --join, ++next)
            lanes.Add(areas[next], next);
        if (lanes.Busy() == 0) continue;
        const ChecksumLanes::Ended e = lanes.Next();
        ASSERT_LT(e.tag, next);
        got[e.tag] = e.value;
        ++ended[e.tag];
    }
    for (std::size_t k = 0; k < areas.size(); ++k) {
        const auto& a = areas[k];
        ASSERT_EQ(ended[k], 1) << "area " << k;
        ASSERT_EQ(got[k], ArchiveChecksumReference(a.value, a.data, a.len)) << "area " << k;
    }
}

TEST(ChecksumForms, BatchHandlesNullAreasAndSharedMemory) {
    std::mt19937 rng(5);
    const auto data = RandomBytes(5000, rng);
    std::vector<ChecksumArea> areas = {{nullptr, 100, 0x11111111u},
                                       {data.data(), 5000, 0xFFFFFFFFu},
                                       {data.data(), 5000, 0xFFFFFFFFu},
                                       {data.data() + 1, 0, 0x22222222u},
                                       {data.data() + 7, 4093, 0x33333333u}};
    ExpectBatchMatches(areas);
    EXPECT_EQ(areas[0].value, 0x11111111u);
    EXPECT_EQ(areas[1].value, areas[2].value);
}

TEST(ChecksumForms, BatchOfEqualBlocksLikeAnArchive) {
    // Whole 64 KiB blocks and a short last one, the common shape of a file's blocks.
    std::mt19937 rng(9);
    const auto data = RandomBytes(9 * 65536 + 1234, rng);
    std::vector<ChecksumArea> areas;
    for (std::size_t off = 0; off < data.size(); off += 65536)
        areas.push_back({data.data() + off, std::min<std::size_t>(65536, data.size() - off)});
    ExpectBatchMatches(areas);
}

} // namespace
} // namespace vexo::archive
