// BlockDecoder.cpp - zlib-wrapped blocks through a whole-buffer inflater.
#include "extract/BlockDecoder.h"

#include <libdeflate.h>
#include <new>

namespace vexo::extract {

BlockInflater::BlockInflater() : decompressor_(libdeflate_alloc_decompressor()) {
    if (decompressor_ == nullptr) throw std::bad_alloc();
}

BlockInflater::~BlockInflater() {
    libdeflate_free_decompressor(decompressor_);
}

std::optional<std::size_t> BlockInflater::Inflate(std::uint8_t* dest, std::size_t capacity,
                                                  const std::uint8_t* src, std::size_t size) {
    if (src == nullptr || size == 0) return std::nullopt;
    std::size_t produced = 0;
    libdeflate_result r =
        libdeflate_zlib_decompress(decompressor_, src, size, dest, capacity, &produced);
    if (r != LIBDEFLATE_SUCCESS) return std::nullopt;
    return produced;
}

} // namespace vexo::extract
