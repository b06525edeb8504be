// BlockCompressor.h - one block of file data in the form the archive stores it.
#pragma once

#include "archive/ArchiveWriter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct libdeflate_compressor;

namespace vexo::archive {

/// Encodes blocks at one compression level: each block its own zlib stream, or the bytes as
/// they are when compression does not shrink them. Holds the compressor's working memory;
/// not safe for concurrent use, so each thread keeps its own.
class BlockCompressor {
  public:
    /// Raises EArchiver for a level outside kMinCompressionLevel..kMaxCompressionLevel.
    explicit BlockCompressor(int level);
    ~BlockCompressor();
    BlockCompressor(const BlockCompressor&) = delete;
    BlockCompressor& operator=(const BlockCompressor&) = delete;

    /// The block as written: head (length, checksum) and payload; see EncodeBlock.
    std::vector<std::uint8_t> Encode(const std::uint8_t* data, std::size_t size, bool store,
                                     const PayloadEncoder& encrypt);

  private:
    libdeflate_compressor* compressor_;
    std::vector<std::uint8_t> scratch_;
};

} // namespace vexo::archive
