// BlockCursor.cpp - reading block heads within a piece, and stepping over payloads.
#include "extract/BlockCursor.h"

#include "archive/Format.h"
#include "archive/StreamIO.h"

#include <algorithm>

namespace vexo::extract {

using archive::kBlockHeadSize;

std::int64_t BlockHead::Stored() const {
    return payload + kBlockHeadSize;
}

BlockCursor::BlockCursor(platform::Stream& stream, std::int64_t start, std::int64_t end,
                         std::int64_t segmentEnd, std::size_t capacity)
    : stream_(&stream), start_(start), at_(start), end_(end), segmentEnd_(segmentEnd),
      capacity_(static_cast<std::int64_t>(capacity)) {}

std::optional<BlockHead> BlockCursor::ReadHead() {
    const std::int64_t room = std::min(end_, segmentEnd_) - at_;
    if (room < kBlockHeadSize) return std::nullopt;
    std::uint8_t raw[kBlockHeadSize];
    stream_->ReadBuffer(raw, sizeof raw);
    BlockHead head;
    head.position = at_;
    head.length = archive::GetInt32At(raw);
    head.checksum = static_cast<std::uint32_t>(archive::GetInt32At(raw + 4));
    head.payload = head.length >= 0 ? std::int64_t{head.length} : -std::int64_t{head.length};
    if (head.payload > capacity_ || head.Stored() > room) {
        stream_->SetPosition(at_);
        return std::nullopt;
    }
    at_ += kBlockHeadSize;
    return head;
}

void BlockCursor::ReadPayload(const BlockHead& head, std::uint8_t* buffer) {
    stream_->ReadBuffer(buffer, static_cast<std::size_t>(head.payload));
    at_ += head.payload;
}

void BlockCursor::SkipPayload(const BlockHead& head) {
    stream_->Seek(head.payload, platform::SeekOrigin::Current);
    at_ += head.payload;
}

bool BlockCursor::SkipRest() {
    if (end_ > segmentEnd_) return false;
    stream_->Seek(end_ - at_, platform::SeekOrigin::Current);
    at_ = end_;
    return true;
}

} // namespace vexo::extract
