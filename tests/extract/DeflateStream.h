// DeflateStream.h - compressed streams made with zlib as any writer could have made them.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace vexo::extract::test {

/// `data` through deflateInit2: `windowBits` 9..15 for a zlib stream, -15 raw deflate, 31 gzip.
inline std::vector<std::uint8_t> DeflateStream(const std::vector<std::uint8_t>& data, int level,
                                               int windowBits, int strategy = Z_DEFAULT_STRATEGY) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy), Z_OK);
    std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace vexo::extract::test
