// PositionedStream.h - what every host's file streams share: a position of their own, a
// read-ahead buffer, access checks and injected faults, over the host's positioned I/O.
//
// Internal to the platform layer: each host derives its stream from this one.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vexo::platform::detail {

inline constexpr unsigned kAccessRead = 1, kAccessWrite = 2;
inline constexpr unsigned kShareRead = 1, kShareWrite = 2;

/// What an open mode asks for: access, what others may share, and whether the file is made anew.
struct OpenRequest {
    unsigned access = kAccessRead | kAccessWrite;
    unsigned share = 0;
    bool create = false;
    bool exclusive = false; // the name must not exist yet
};
/// The class library's reading of an open mode; nullopt for a value it does not know.
std::optional<OpenRequest> ReadOpenMode(OpenMode mode);

// The position lives here rather than in the host's handle: reads and writes name their
// offset, so asking for the position or moving it costs no system call.
class PositionedStream : public Stream {
  public:
    /// `access`: kAccessRead and/or kAccessWrite. `faults`: a stream of OpenFile, open to
    /// injected write faults. `buffered`: nobody else may write the file, so reads may be served
    /// from a buffer filled ahead (a host file read is taken not to change while open).
    PositionedStream(unsigned access, bool faults, bool buffered);

    std::size_t Read(void* buffer, std::size_t count) final;
    std::size_t Write(const void* buffer, std::size_t count) final;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) final;
    std::int64_t Size() final;
    void Truncate() final;

  protected:
    /// Reads up to `count` bytes at `position`: the number read (0 at the end of the file),
    /// or -1 with `error` set to a Windows error code.
    virtual std::int64_t ReadAt(std::int64_t position, void* buffer, std::size_t count,
                                int& error) = 0;
    /// Writes up to `count` bytes at `position`: the number written (0: the device is full),
    /// or -1 with `error` set.
    virtual std::int64_t WriteAt(std::int64_t position, const void* buffer, std::size_t count,
                                 int& error) = 0;
    /// The file's size; -1 with `error` set when the host cannot tell.
    virtual std::int64_t FileSize(int& error) = 0;
    /// Cuts or extends the file to `size`; false with `error` set.
    virtual bool Resize(std::int64_t size, int& error) = 0;

  private:
    static constexpr std::size_t kReadBuffer = 4096;

    // Reads the buffer's worth from the current position; false on an error or at the end.
    bool Fill();

    unsigned access_;
    bool faults_;
    std::int64_t pos_ = 0;
    std::vector<char> buffer_;
    std::int64_t bufferStart_ = 0;
    std::size_t bufferFill_ = 0;
};

} // namespace vexo::platform::detail
