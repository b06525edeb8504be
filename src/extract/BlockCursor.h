// BlockCursor.h - the blocks of one piece of an entry, read head by head, each head checked
// against the input buffer, the piece and the segment before its payload is touched.
#pragma once

#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vexo::extract {

/// A block head as stored, and where it lies.
struct BlockHead {
    std::int64_t position = 0; // of the head in the stream
    std::int32_t length = 0;   // negative for stored bytes
    std::uint32_t checksum = 0;
    std::int64_t payload = 0; // bytes that follow the head

    bool Compressed() const { return length >= 0; }
    /// The bytes the block takes in the archive, head included.
    std::int64_t Stored() const;
};

/// Walks the blocks of a piece: the bytes [start, end) of a stream, in a segment whose data
/// ends at `segmentEnd`. The cursor follows the stream: each head it gives out is followed by
/// ReadPayload or SkipPayload before the next one is read.
class BlockCursor {
  public:
    /// `stream` stands at `start`; `capacity` is the largest payload a block may hold.
    BlockCursor(platform::Stream& stream, std::int64_t start, std::int64_t end,
                std::int64_t segmentEnd, std::size_t capacity);

    std::int64_t Position() const { return at_; }
    bool AtStart() const { return at_ == start_; }
    bool AtEnd() const { return at_ >= end_; }

    /// The head at the cursor. A head that leaves fewer than its own bytes in the piece or the
    /// segment, or whose payload outgrows the buffer, the piece or the segment, is refused:
    /// nothing is returned and the cursor and the stream stay at it. A stream too short for
    /// the head raises its read error.
    std::optional<BlockHead> ReadHead();
    /// The payload of the head just read, into `buffer` (at least `head.payload` bytes).
    void ReadPayload(const BlockHead& head, std::uint8_t* buffer);
    void SkipPayload(const BlockHead& head);
    /// Passes the rest of the piece unread; false, without moving, when the piece runs past
    /// the segment.
    bool SkipRest();

  private:
    platform::Stream* stream_;
    std::int64_t start_;
    std::int64_t at_;
    std::int64_t end_;
    std::int64_t segmentEnd_;
    std::int64_t capacity_;
};

} // namespace vexo::extract
