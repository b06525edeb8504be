// InflateDifferentialTest.cpp - the block inflater against zlib's one-shot uncompress on a
// fuzzed corpus of good and bad blocks: same bytes for every good block, a failure for every
// bad one.
#include "DeflateStream.h"
#include "extract/Inflate.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace vexo::extract {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBlock = 65536;
constexpr std::size_t kGuard = 64;
constexpr std::uint8_t kGuardByte = 0xA5;

struct Verdict {
    bool ok = false;
    Bytes out;
    std::string reason; // zlib's message when it refuses
};

// zlib's uncompress, with the end made strict: every input byte must belong to the stream.
Verdict Reference(const Bytes& src, std::size_t capacity) {
    Verdict v;
    v.out.assign(capacity + 1, 0);
    uLongf destLen = static_cast<uLongf>(capacity);
    uLong srcLen = static_cast<uLong>(src.size());
    int rc = uncompress2(v.out.data(), &destLen, src.data(), &srcLen);
    v.ok = rc == Z_OK && srcLen == src.size();
    if (rc != Z_OK) {
        // uncompress does not give its message; a plain inflate over the same bytes does.
        z_stream z{};
        inflateInit(&z);
        z.next_in = const_cast<Bytef*>(src.data());
        z.avail_in = static_cast<uInt>(src.size());
        z.next_out = v.out.data();
        z.avail_out = static_cast<uInt>(capacity);
        inflate(&z, Z_FINISH);
        v.reason = z.msg != nullptr ? z.msg : "code " + std::to_string(rc);
        inflateEnd(&z);
    } else if (!v.ok) {
        v.reason = "trailing bytes";
    }
    v.out.resize(v.ok ? destLen : 0);
    return v;
}

Verdict Fast(Inflater& inflater, const Bytes& src, std::size_t capacity) {
    Bytes buffer(capacity + kGuard, kGuardByte);
    auto n = inflater.Inflate(buffer.data(), capacity, src.data(), src.size());
    // Whatever the verdict, nothing past the capacity may be touched.
    for (std::size_t k = capacity; k < buffer.size(); ++k)
        EXPECT_EQ(buffer[k], kGuardByte) << "written past the capacity at " << k;
    Verdict v;
    v.ok = n.has_value();
    if (n) v.out.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*n));
    return v;
}

// File contents like an installer's: noise, text, structured records, long runs.
Bytes Sample(std::mt19937& rng, std::size_t size) {
    Bytes data(size);
    static const char kText[] = "Dalvo;Cuenta;Importe;2024-01-31;IVA 21%\r\n<campo valor=\"0\"/>  ";
    switch (rng() % 4) {
    case 0:
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        break;
    case 1:
        for (std::size_t k = 0; k < size; ++k)
            data[k] = static_cast<std::uint8_t>(kText[(k * 7 + rng() % 3) % (sizeof kText - 1)]);
        break;
    case 2:
        for (std::size_t k = 0; k < size; ++k)
            data[k] = static_cast<std::uint8_t>(k % 64 < 16 ? rng() % 8 : (k / 64) & 0xFF);
        break;
    default:
        std::fill(data.begin(), data.end(), static_cast<std::uint8_t>(rng()));
        for (std::size_t k = 0; k < size / 97; ++k)
            data[rng() % size] = static_cast<std::uint8_t>(rng());
        break;
    }
    return data;
}

Bytes Deflate(const Bytes& data, int level, int windowBits, int strategy) {
    return test::DeflateStream(data, level, windowBits, strategy);
}

// A good block the way the archive writer and other zlib settings could have made it.
Bytes GoodStream(std::mt19937& rng, std::size_t size, int windowBits = 0) {
    static const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE,
                                      Z_FIXED};
    int level = static_cast<int>(rng() % 10);
    int strategy = kStrategies[rng() % 5];
    if (windowBits == 0) windowBits = 9 + static_cast<int>(rng() % 7);
    return Deflate(Sample(rng, size), level, windowBits, strategy);
}

std::size_t BlockSizeOf(std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
        return kBlock; // a whole block, decoding to exactly the capacity
    case 1:
        return rng() % 64;
    default:
        return rng() % (kBlock + 1);
    }
}

void PutAdler(Bytes& stream, std::uint32_t adler) {
    const std::size_t n = stream.size();
    stream[n - 4] = static_cast<std::uint8_t>(adler >> 24);
    stream[n - 3] = static_cast<std::uint8_t>(adler >> 16);
    stream[n - 2] = static_cast<std::uint8_t>(adler >> 8);
    stream[n - 1] = static_cast<std::uint8_t>(adler);
}

enum class Kind {
    Good,
    Truncated,
    WrongAdler,
    LargerThanBlock,
    Trailing,
    Gzip,
    RawDeflate,
    BadHeader,
    BitFlips,
    Repaired,
};

struct Category {
    const char* name;
    Kind kind;
    int cases;
};

std::ostream& operator<<(std::ostream& os, const Category& c) {
    return os << c.name;
}

// Builds one stream of the category; `capacity` may be lowered for the over-long case.
Bytes MakeCase(Kind kind, std::mt19937& rng, std::size_t& capacity, libdeflate_decompressor* raw) {
    capacity = kBlock;
    switch (kind) {
    case Kind::Good:
        return GoodStream(rng, BlockSizeOf(rng));
    case Kind::Truncated: {
        Bytes s = GoodStream(rng, BlockSizeOf(rng));
        // Cuts anywhere, the header and the trailer included.
        s.resize(rng() % 3 == 0 ? s.size() - 1 - rng() % std::min<std::size_t>(4, s.size())
                                : rng() % s.size());
        return s;
    }
    case Kind::WrongAdler: {
        Bytes s = GoodStream(rng, BlockSizeOf(rng));
        s[s.size() - 1 - rng() % 4] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        return s;
    }
    case Kind::LargerThanBlock: {
        if (rng() % 2 == 0) return GoodStream(rng, kBlock + 1 + rng() % 4000);
        Bytes data = Sample(rng, 1 + rng() % 20000);
        capacity = data.size() - 1 - rng() % std::min<std::size_t>(data.size(), 100);
        return Deflate(data, static_cast<int>(rng() % 10), 15, Z_DEFAULT_STRATEGY);
    }
    case Kind::Trailing: {
        Bytes s = GoodStream(rng, BlockSizeOf(rng));
        for (std::size_t k = 1 + rng() % 16; k > 0; --k)
            s.push_back(static_cast<std::uint8_t>(rng()));
        return s;
    }
    case Kind::Gzip:
        return GoodStream(rng, BlockSizeOf(rng), 16 + 15);
    case Kind::RawDeflate:
        return GoodStream(rng, BlockSizeOf(rng), -15);
    case Kind::BadHeader: {
        Bytes s = GoodStream(rng, BlockSizeOf(rng), 15);
        std::uint16_t h;
        switch (rng() % 4) {
        case 0: // the header check no longer divides by 31
            s[1] ^= static_cast<std::uint8_t>(1 + rng() % 31);
            return s;
        case 1: // method other than deflate
            h = static_cast<std::uint16_t>(((s[0] & 0xF0) | (rng() % 8)) << 8 | (s[1] & 0xE0));
            break;
        case 2: // window larger than 32 KiB
            h = static_cast<std::uint16_t>((0x80 + 0x10 * (rng() % 8) + 8) << 8 | (s[1] & 0xE0));
            break;
        default: // a preset dictionary is asked for
            h = static_cast<std::uint16_t>(s[0] << 8 | (s[1] & 0xC0) | 0x20);
            break;
        }
        h = static_cast<std::uint16_t>(h + (31 - h % 31) % 31);
        s[0] = static_cast<std::uint8_t>(h >> 8);
        s[1] = static_cast<std::uint8_t>(h);
        return s;
    }
    case Kind::BitFlips: {
        Bytes s = GoodStream(rng, BlockSizeOf(rng));
        for (std::size_t k = 1 + rng() % 4; k > 0; --k)
            s[rng() % s.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        return s;
    }
    case Kind::Repaired: {
        // Damage inside the deflate data, then a trailer that fits whatever the damaged data
        // decodes to, so only the deflate decoding itself decides.
        Bytes s = GoodStream(rng, 1 + rng() % kBlock, 15);
        if (s.size() <= 6) return s;
        for (std::size_t k = 1 + rng() % 3; k > 0; --k)
            s[2 + rng() % (s.size() - 6)] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        Bytes out(2 * kBlock);
        std::size_t used = 0, made = 0;
        if (libdeflate_deflate_decompress_ex(raw, s.data() + 2, s.size() - 6, out.data(),
                                             out.size(), &used, &made) == LIBDEFLATE_SUCCESS) {
            s.resize(2 + used + 4);
            PutAdler(s,
                     static_cast<std::uint32_t>(adler32(1, out.data(), static_cast<uInt>(made))));
        }
        return s;
    }
    }
    return {};
}

bool IsBadKind(Kind k) {
    return k != Kind::Good && k != Kind::BitFlips && k != Kind::Repaired;
}

// Codes that the deflate format reserves (lengths 286-287, distances 30-31) or leaves unused
// in a one-code tree: zlib refuses them, the whole-buffer decoder gives them a meaning. Only a
// stream built on purpose with a matching Adler-32 and block checksum can reach this.
bool IsReservedCodeRefusal(const std::string& reason) {
    return reason == "invalid distance code" || reason == "invalid literal/length code";
}

class InflateDifferential : public ::testing::TestWithParam<Category> {};

TEST_P(InflateDifferential, SameVerdictAndBytesAsZlib) {
    const Category& cat = GetParam();
    std::mt19937 rng(1000u + static_cast<unsigned>(cat.kind));
    Inflater inflater;
    libdeflate_decompressor* raw = libdeflate_alloc_decompressor();
    ASSERT_NE(raw, nullptr);
    int accepted = 0, refused = 0, lenient = 0;
    for (int c = 0; c < cat.cases; ++c) {
        std::size_t capacity = kBlock;
        const Bytes stream = MakeCase(cat.kind, rng, capacity, raw);
        const Verdict ref = Reference(stream, capacity);
        const Verdict fast = Fast(inflater, stream, capacity);
        SCOPED_TRACE(std::string(cat.name) + " case " + std::to_string(c) + ", " +
                     std::to_string(stream.size()) +
                     " bytes, zlib: " + (ref.ok ? "ok" : ref.reason));
        if (cat.kind == Kind::Good) {
            ASSERT_TRUE(ref.ok);
        }
        if (IsBadKind(cat.kind)) {
            ASSERT_FALSE(ref.ok);
        }
        if (fast.ok && !ref.ok && cat.kind == Kind::Repaired && IsReservedCodeRefusal(ref.reason)) {
            ++lenient;
            continue;
        }
        ASSERT_EQ(fast.ok, ref.ok);
        if (ref.ok) {
            ASSERT_EQ(fast.out.size(), ref.out.size());
            ASSERT_TRUE(fast.out == ref.out);
            ++accepted;
        } else {
            ++refused;
        }
    }
    libdeflate_free_decompressor(raw);
    // The mixed categories must have exercised both verdicts, or they proved nothing.
    if (cat.kind == Kind::BitFlips || cat.kind == Kind::Repaired) {
        EXPECT_GT(accepted, 0);
        EXPECT_GT(refused, 0);
    }
    EXPECT_LE(lenient, cat.cases / 50) << "reserved codes accepted more often than expected";
}

INSTANTIATE_TEST_SUITE_P(Corpus, InflateDifferential,
                         ::testing::Values(Category{"Good", Kind::Good, 400},
                                           Category{"Truncated", Kind::Truncated, 300},
                                           Category{"WrongAdler", Kind::WrongAdler, 200},
                                           Category{"LargerThanBlock", Kind::LargerThanBlock, 100},
                                           Category{"Trailing", Kind::Trailing, 200},
                                           Category{"Gzip", Kind::Gzip, 100},
                                           Category{"RawDeflate", Kind::RawDeflate, 100},
                                           Category{"BadHeader", Kind::BadHeader, 200},
                                           Category{"BitFlips", Kind::BitFlips, 600},
                                           Category{"Repaired", Kind::Repaired, 1500}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Inflater, EmptyOrNullInputIsRefused) {
    Inflater inflater;
    Bytes out(16);
    const std::uint8_t one = 0x78;
    EXPECT_FALSE(inflater.Inflate(out.data(), out.size(), nullptr, 10));
    EXPECT_FALSE(inflater.Inflate(out.data(), out.size(), &one, 0));
    Bytes s = Deflate(Bytes{1, 2, 3}, 9, 15, Z_DEFAULT_STRATEGY);
    EXPECT_FALSE(inflater.Inflate(nullptr, 16, s.data(), s.size()));
}

TEST(Inflater, EmptyStreamDecodesToNothing) {
    Inflater inflater;
    Bytes out(16);
    Bytes s = Deflate(Bytes{}, 9, 15, Z_DEFAULT_STRATEGY);
    auto n = inflater.Inflate(out.data(), out.size(), s.data(), s.size());
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(*n, 0u);
}

} // namespace
} // namespace vexo::extract
