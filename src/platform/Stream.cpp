// Stream.cpp - the all-or-raise stream operations and the memory stream.
#include "platform/Stream.h"

#include "platform/Error.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vexo::platform {

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        std::size_t got = Read(out, count);
        if (got == 0) throw EReadError();
        out += got;
        count -= got;
    }
}

void Stream::WriteBuffer(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        std::size_t put = Write(in, count);
        if (put == 0) throw EWriteError();
        in += put;
        count -= put;
    }
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    if (count == 0 || pos_ >= bytes_.size()) return 0;
    std::size_t n = std::min(count, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (pos_ + count > bytes_.size()) bytes_.resize(pos_ + count);
    std::memcpy(bytes_.data() + pos_, buffer, count);
    pos_ += count;
    return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = origin == SeekOrigin::Begin     ? 0
                        : origin == SeekOrigin::Current ? static_cast<std::int64_t>(pos_)
                                                        : static_cast<std::int64_t>(bytes_.size());
    std::int64_t target = base + offset;
    if (target < 0) throw PlatformError(kErrorNegativeSeek, "Invalid seek position");
    pos_ = static_cast<std::size_t>(target);
    return target;
}

} // namespace vexo::platform
