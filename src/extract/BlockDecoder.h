// BlockDecoder.h - one-shot decoding of a compressed block: one complete zlib stream in, at
// most the block size out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

struct libdeflate_decompressor;

namespace vexo::extract {

class BlockInflater {
  public:
    BlockInflater();
    ~BlockInflater();
    BlockInflater(const BlockInflater&) = delete;
    BlockInflater& operator=(const BlockInflater&) = delete;

    /// Decodes the zlib stream in `src` into `dest` of `capacity` bytes. The decoded length,
    /// or nullopt when the stream is damaged, truncated, fails its Adler-32 or would not fit.
    /// Nothing beyond `capacity` bytes of `dest` is written.
    std::optional<std::size_t> Inflate(std::uint8_t* dest, std::size_t capacity,
                                       const std::uint8_t* src, std::size_t size);

  private:
    libdeflate_decompressor* decompressor_;
};

} // namespace vexo::extract
