// PositionedStream.cpp - file streams' position, read-ahead, access checks and faults.
#include "platform/PositionedStream.h"

#include "platform/Error.h"
#include "platform/FaultInjection.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vexo::platform::detail {

std::optional<OpenRequest> ReadOpenMode(OpenMode mode) {
    OpenRequest request;
    if (mode == OpenMode::Create || mode == OpenMode::CreateNew) {
        request.create = true;
        request.exclusive = mode == OpenMode::CreateNew;
        return request;
    }
    // Compatibility and exclusive share nothing; then deny write, deny read, deny none.
    static constexpr unsigned kShares[] = {0, 0, kShareRead, kShareWrite, kShareRead | kShareWrite};
    const auto raw = static_cast<std::uint16_t>(mode);
    const unsigned accessBits = raw & 0x0003u, shareBits = (raw & 0x00F0u) >> 4;
    if (accessBits == 3 || shareBits > 4 || (raw & ~0x00F3u) != 0) return std::nullopt;
    request.access = accessBits == 0   ? kAccessRead
                     : accessBits == 1 ? kAccessWrite
                                       : request.access;
    request.share = kShares[shareBits];
    return request;
}

PositionedStream::PositionedStream(unsigned access, bool faults, bool buffered)
    : access_(access), faults_(faults) {
    if (buffered) buffer_.resize(kReadBuffer);
}

std::size_t PositionedStream::Read(void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (!(access_ & kAccessRead)) {
        SetLastError(kErrorAccessDenied);
        return 0;
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    // What the buffer holds of this range first, then large remainders straight into the
    // caller's memory: block data is not copied twice.
    if (!buffer_.empty() && pos_ >= bufferStart_ &&
        pos_ < bufferStart_ + static_cast<std::int64_t>(bufferFill_)) {
        const auto at = static_cast<std::size_t>(pos_ - bufferStart_);
        done = std::min(count, bufferFill_ - at);
        std::memcpy(out, buffer_.data() + at, done);
        pos_ += static_cast<std::int64_t>(done);
    }
    if (done < count && !buffer_.empty() && count - done < buffer_.size()) {
        if (!Fill()) return done;
        const std::size_t n = std::min(count - done, bufferFill_);
        std::memcpy(out + done, buffer_.data(), n);
        pos_ += static_cast<std::int64_t>(n);
        done += n;
    }
    while (done < count) {
        int error = 0;
        const std::int64_t n = ReadAt(pos_, out + done, count - done, error);
        if (n < 0) {
            SetLastError(error);
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        pos_ += n;
    }
    return done;
}

std::size_t PositionedStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (!(access_ & kAccessWrite)) {
        SetLastError(kErrorAccessDenied);
        return 0;
    }
    if (int fault = faults_ ? CheckFault(FaultKind::Write) : 0) {
        SetLastError(fault);
        return 0;
    }
    std::size_t limit = count;
    const int diskFull = faults_ ? CheckFault(FaultKind::DiskFull) : 0;
    if (diskFull) limit = count / 2; // the device takes part of the data, then is full
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < limit) {
        int error = 0;
        const std::int64_t n = WriteAt(pos_, in + done, limit - done, error);
        if (n <= 0) {
            SetLastError(n < 0 ? error : kErrorDiskFull);
            return done;
        }
        done += static_cast<std::size_t>(n);
        pos_ += n;
    }
    if (diskFull) SetLastError(diskFull);
    return done;
}

std::int64_t PositionedStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const std::int64_t base = origin == SeekOrigin::Begin     ? 0
                              : origin == SeekOrigin::Current ? pos_
                                                              : Size();
    if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) ||
        base + offset < 0) {
        const int code = offset > 0 ? kErrorInvalidParameter : kErrorNegativeSeek;
        SetLastError(code);
        throw PlatformError(code, SystemErrorMessage(code));
    }
    pos_ = base + offset;
    return pos_;
}

std::int64_t PositionedStream::Size() {
    int error = 0;
    const std::int64_t size = FileSize(error);
    if (size < 0) throw PlatformError(error, SystemErrorMessage(error));
    return size;
}

void PositionedStream::Truncate() {
    int code = kErrorAccessDenied;
    if ((access_ & kAccessWrite) && Resize(pos_, code)) return;
    SetLastError(code);
    throw PlatformError(code, SystemErrorMessage(code));
}

bool PositionedStream::Fill() {
    bufferStart_ = pos_;
    bufferFill_ = 0;
    int error = 0;
    const std::int64_t n = ReadAt(pos_, buffer_.data(), buffer_.size(), error);
    if (n < 0) SetLastError(error);
    if (n <= 0) return false;
    bufferFill_ = static_cast<std::size_t>(n);
    return true;
}

} // namespace vexo::platform::detail
