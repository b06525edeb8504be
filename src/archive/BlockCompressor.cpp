// BlockCompressor.cpp - blocks compressed as zlib streams, stored when that does not pay.
#include "archive/BlockCompressor.h"

#include "archive/Checksum.h"
#include "archive/Exceptions.h"
#include "archive/StreamIO.h"

#include <libdeflate.h>
#include <limits>
#include <new>
#include <string>

namespace vexo::archive {
namespace {

constexpr std::size_t kMaxPayload = std::numeric_limits<std::int32_t>::max();

// The plain payload (a zlib stream, or the bytes as they are) in the block's own form.
std::vector<std::uint8_t> FinishBlock(const std::uint8_t* plain, std::size_t size, bool stored,
                                      const PayloadEncoder& encrypt) {
    std::vector<std::uint8_t> block(kBlockHeadSize, 0);
    const std::uint32_t checksum = StoredChecksum(plain, size);
    if (encrypt) {
        const std::vector<std::uint8_t> payload = encrypt(std::span(plain, size));
        block.insert(block.end(), payload.begin(), payload.end());
    } else {
        block.insert(block.end(), plain, plain + size);
    }
    const std::size_t n = block.size() - kBlockHeadSize;
    if (n > kMaxPayload) throw EArchiver("Block payload too large");
    const auto length = static_cast<std::int32_t>(n);
    PutInt32At(block.data(), stored ? -length : length);
    PutInt32At(block.data() + 4, static_cast<std::int32_t>(checksum));
    return block;
}

} // namespace

BlockCompressor::BlockCompressor(int level) : compressor_(nullptr) {
    if (level < kMinCompressionLevel || level > kMaxCompressionLevel)
        throw EArchiver("Compression level " + std::to_string(level) + " outside " +
                        std::to_string(kMinCompressionLevel) + ".." +
                        std::to_string(kMaxCompressionLevel));
    compressor_ = libdeflate_alloc_compressor(level);
    if (compressor_ == nullptr) throw std::bad_alloc();
}

BlockCompressor::~BlockCompressor() {
    libdeflate_free_compressor(compressor_);
}

std::vector<std::uint8_t> BlockCompressor::Encode(const std::uint8_t* data, std::size_t size,
                                                  bool store, const PayloadEncoder& encrypt) {
    if (!store && size > 1) {
        // Room for one byte less than the block: a stream that does not fit would not shrink
        // it, and the library then gives up early instead of finishing it.
        scratch_.resize(size - 1);
        const std::size_t packed =
            libdeflate_zlib_compress(compressor_, data, size, scratch_.data(), scratch_.size());
        if (packed != 0) return FinishBlock(scratch_.data(), packed, false, encrypt);
    }
    // Stored: a negative length, the bytes unchanged; the checksum covers them all the same.
    return FinishBlock(data, size, true, encrypt);
}

} // namespace vexo::archive
