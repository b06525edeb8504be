// BlockCursorTest.cpp - which block heads the cursor takes, where it stands afterwards, and
// stepping over payloads and whole pieces.
#include "extract/BlockCursor.h"

#include "archive/StreamIO.h"

#include <gtest/gtest.h>
#include <limits>

namespace vexo::extract::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kStart = 5; // the piece starts after a few bytes of something else
constexpr std::uint32_t kChecksum = 0xC0FFEE01u;

// kStart filler bytes, then a head with `length` and 40 bytes of payload room.
Bytes PieceWithHead(std::int32_t length) {
    Bytes bytes(kStart + 8 + 40, 0xAB);
    archive::PutInt32At(bytes.data() + kStart, length);
    archive::PutInt32At(bytes.data() + kStart + 4, static_cast<std::int32_t>(kChecksum));
    return bytes;
}

struct HeadCase {
    const char* name;
    std::int32_t length;
    std::int64_t pieceSize;   // from kStart
    std::int64_t segmentSize; // from kStart
    std::size_t capacity;
    bool taken;
};

class HeadChecks : public ::testing::TestWithParam<HeadCase> {};

TEST_P(HeadChecks, TakeTheHeadOnlyWhenItFitsAndOtherwiseStayAtIt) {
    const HeadCase& c = GetParam();
    platform::MemoryStream s(PieceWithHead(c.length));
    s.SetPosition(kStart);
    BlockCursor blocks(s, kStart, kStart + c.pieceSize, kStart + c.segmentSize, c.capacity);
    const std::optional<BlockHead> head = blocks.ReadHead();
    ASSERT_EQ(head.has_value(), c.taken);
    if (!c.taken) {
        EXPECT_EQ(blocks.Position(), kStart);
        EXPECT_EQ(s.Position(), kStart);
        EXPECT_TRUE(blocks.AtStart());
        return;
    }
    EXPECT_EQ(head->position, kStart);
    EXPECT_EQ(head->length, c.length);
    EXPECT_EQ(head->checksum, kChecksum);
    EXPECT_EQ(head->payload, c.length < 0 ? -std::int64_t{c.length} : c.length);
    EXPECT_EQ(head->Compressed(), c.length >= 0);
    EXPECT_EQ(head->Stored(), head->payload + 8);
    EXPECT_EQ(blocks.Position(), kStart + 8);
    EXPECT_EQ(s.Position(), kStart + 8);
}

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Heads, HeadChecks,
    ::testing::Values(HeadCase{"Compressed", 30, 48, 100, 32, true},
                      HeadCase{"Stored", -30, 48, 100, 32, true},
                      HeadCase{"EmptyPayload", 0, 8, 8, 32, true},
                      HeadCase{"FillsPieceAndSegment", 40, 48, 48, 40, true},
                      HeadCase{"LengthOverCapacity", 33, 48, 100, 32, false},
                      HeadCase{"StoredLengthOverCapacity", -33, 48, 100, 32, false},
                      HeadCase{"SmallestLength", kInt32Min, 48, 100, 32, false},
                      HeadCase{"OverThePiece", 30, 37, 100, 32, false},
                      HeadCase{"OverTheSegment", 30, 48, 37, 32, false},
                      HeadCase{"SevenBytesLeftInPiece", 0, 7, 100, 32, false},
                      HeadCase{"SevenBytesLeftInSegment", 0, 48, 7, 32, false},
                      HeadCase{"NothingLeft", 0, 0, 100, 32, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(BlockCursor, WalksAPieceBlockByBlockToItsEnd) {
    // Three heads: 4 payload bytes read, 2 stored bytes passed over, an empty one.
    Bytes bytes = {0x04, 0, 0, 0, 1, 0,   0,   0, 'a', 'b', 'c', 'd', 0xFE, 0xFF, 0xFF,
                   0xFF, 2, 0, 0, 0, 'e', 'f', 0, 0,   0,   0,   3,   0,    0,    0};
    platform::MemoryStream s(bytes);
    BlockCursor blocks(s, 0, static_cast<std::int64_t>(bytes.size()), 1000, 16);
    std::optional<BlockHead> head = blocks.ReadHead();
    ASSERT_TRUE(head);
    std::uint8_t payload[4] = {};
    blocks.ReadPayload(*head, payload);
    EXPECT_EQ(Bytes(payload, payload + 4), (Bytes{'a', 'b', 'c', 'd'}));
    EXPECT_FALSE(blocks.AtStart());
    head = blocks.ReadHead();
    ASSERT_TRUE(head);
    EXPECT_EQ(head->position, 12);
    EXPECT_EQ(head->checksum, 2u);
    blocks.SkipPayload(*head);
    EXPECT_EQ(blocks.Position(), 22);
    EXPECT_EQ(s.Position(), 22);
    EXPECT_FALSE(blocks.AtEnd());
    head = blocks.ReadHead();
    ASSERT_TRUE(head);
    EXPECT_EQ(head->checksum, 3u);
    blocks.SkipPayload(*head);
    EXPECT_TRUE(blocks.AtEnd());
    EXPECT_FALSE(blocks.ReadHead());
}

TEST(BlockCursor, PassesTheRestOfAPieceOnlyWithinItsSegment) {
    platform::MemoryStream s(Bytes(64, 0));
    s.SetPosition(10);
    BlockCursor inside(s, 10, 50, 50, 32);
    EXPECT_TRUE(inside.SkipRest());
    EXPECT_TRUE(inside.AtEnd());
    EXPECT_EQ(s.Position(), 50);

    s.SetPosition(10);
    BlockCursor across(s, 10, 51, 50, 32);
    EXPECT_FALSE(across.SkipRest());
    EXPECT_EQ(across.Position(), 10);
    EXPECT_EQ(s.Position(), 10);
}

TEST(BlockCursor, AStreamShorterThanTheHeadIsAReadError) {
    platform::MemoryStream s(Bytes(kStart + 5, 0));
    s.SetPosition(kStart);
    BlockCursor blocks(s, kStart, kStart + 48, kStart + 48, 32);
    EXPECT_THROW(blocks.ReadHead(), platform::EReadError);
}

} // namespace
} // namespace vexo::extract::testing
