// Inflate.h - one-shot decoding of a compressed block: one complete zlib stream in, at most
// the block size out, decoded in a single call with no state kept between blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

struct libdeflate_decompressor;

namespace vexo::extract {

/// Whole-buffer inflater for the archive's compressed blocks. Its verdict is the one of zlib's
/// one-shot uncompress with a 15-bit window, made strict about the end: the stream must use
/// every input byte. Not safe for concurrent use; one per extractor.
class Inflater {
  public:
    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    /// Decodes the zlib stream in `src` into `dest` of `capacity` bytes and returns the decoded
    /// length. nullopt when the stream is not a zlib stream (gzip, raw deflate, a wrong header
    /// check), is damaged or truncated, fails its Adler-32, would decode to more than
    /// `capacity` bytes, or is followed by further bytes. Never writes past `capacity`.
    std::optional<std::size_t> Inflate(std::uint8_t* dest, std::size_t capacity,
                                       const std::uint8_t* src, std::size_t size);

  private:
    libdeflate_decompressor* decompressor_;
};

} // namespace vexo::extract
