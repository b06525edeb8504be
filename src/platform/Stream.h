// Stream.h - byte streams: the file stream of the platform and an in-memory stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo::platform {

enum class SeekOrigin { Begin, Current, End };

/// Raised by ReadBuffer when fewer bytes arrive than asked ("Stream read error").
class EReadError : public std::runtime_error {
  public:
    EReadError() : std::runtime_error("Stream read error") {}
};

/// Raised by WriteBuffer when fewer bytes are written than asked ("Stream write error").
class EWriteError : public std::runtime_error {
  public:
    EWriteError() : std::runtime_error("Stream write error") {}
};

/// A seekable byte stream. Read and Write may move fewer bytes than asked; the *Buffer forms
/// move all or raise.
class Stream {
  public:
    virtual ~Stream() = default;
    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    /// \returns the number of bytes read; 0 at the end.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    /// \returns the number of bytes written; fewer than count means the device is full or failed.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    /// \returns the new position. Raises PlatformError when the position is invalid.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size() = 0;
    /// Cuts or extends the stream at the current position.
    virtual void Truncate() = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t pos) { Seek(pos, SeekOrigin::Begin); }
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
};

/// A stream over a growable byte vector.
class MemoryStream final : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    void Truncate() override { bytes_.resize(pos_); }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace vexo::platform
