// ChecksumTest.cpp - the block checksum's fixed values and its difference from CRC-32.
#include "archive/Checksum.h"

#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace vexo::archive {
namespace {

struct Case {
    std::string text;
    std::uint32_t stored;
};

class StoredChecksumTest : public ::testing::TestWithParam<Case> {};

TEST_P(StoredChecksumTest, MatchesArchiveValue) {
    const auto& c = GetParam();
    EXPECT_EQ(StoredChecksum(c.text.data(), c.text.size()), c.stored);
    EXPECT_EQ(~ArchiveChecksum(0xFFFFFFFFu, c.text.data(), c.text.size()), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Fixed, StoredChecksumTest,
                         ::testing::Values(Case{"abc", 0x932BC606u}, Case{"123456789", 0x1B948A57u},
                                           Case{"", 0u}));

TEST(ArchiveChecksum, EmptyOrNullAreaKeepsValue) {
    EXPECT_EQ(ArchiveChecksum(0xFFFFFFFFu, nullptr, 10), 0xFFFFFFFFu);
    EXPECT_EQ(ArchiveChecksum(0x12345678u, "x", 0), 0x12345678u);
}

TEST(ArchiveChecksum, DiffersFromStandardCrc32) {
    const std::string text = "123456789";
    auto crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), text.size());
    EXPECT_EQ(crc, 0xCBF43926u);
    EXPECT_NE(StoredChecksum(text.data(), text.size()), crc);
}

TEST(ArchiveChecksum, RunningValueContinuesAcrossPieces) {
    const std::string text = "the quick brown fox jumps over the lazy dog";
    std::uint32_t whole = ArchiveChecksum(0xFFFFFFFFu, text.data(), text.size());
    std::uint32_t part = ArchiveChecksum(0xFFFFFFFFu, text.data(), 10);
    part = ArchiveChecksum(part, text.data() + 10, text.size() - 10);
    EXPECT_EQ(part, whole);
}

TEST(ArchiveChecksum, ZeroByteAddressesFirstTableWord) {
    // With value 0xFF and byte 0xFF, i = 0: the word at offset 0 is 0, so the value shifts only.
    std::uint8_t b = 0xFF;
    EXPECT_EQ(ArchiveChecksum(0x000000FFu, &b, 1), 0u);
    // i = 1 reads the bytes 00 00 00 96 of the image (offsets 1..4): 0x96000000.
    b = 0xFE;
    EXPECT_EQ(ArchiveChecksum(0x000000FFu, &b, 1), 0x96000000u);
}

} // namespace
} // namespace vexo::archive
