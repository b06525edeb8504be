// BlowFish.cpp - Blowfish rounds, key schedule and the big-endian block layout.
#include "extract/BlowFish.h"

#include <stdexcept>
#include <utility>

namespace vexo::extract {
namespace {

std::uint32_t LoadBigEndian(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

void StoreBigEndian(std::uint32_t v, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

using SBoxArray = std::array<std::array<std::uint32_t, kBlowFishSBoxWords>, kBlowFishSBoxes>;

// The rounds of kLanes independent blocks side by side: each block's S-box loads depend on
// the previous round, so interleaving blocks keeps the load ports busy. P is walked forwards
// to encipher and backwards to decipher; with the loops unrolled every index is a constant.
template <bool kEncipher, std::size_t kLanes>
inline void CryptLanes(const std::uint32_t* p, const SBoxArray& s, std::uint8_t* data) {
    auto key = [p](std::size_t i) { return p[kEncipher ? i : 17 - i]; };
    auto f = [&s](std::uint32_t x) {
        return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
    };
    std::uint32_t l[kLanes];
    std::uint32_t r[kLanes];
#pragma GCC unroll 8
    for (std::size_t n = 0; n < kLanes; ++n) {
        l[n] = LoadBigEndian(data + 8 * n) ^ key(0);
        r[n] = LoadBigEndian(data + 8 * n + 4);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < 16; i += 2) {
#pragma GCC unroll 8
        for (std::size_t n = 0; n < kLanes; ++n)
            r[n] ^= f(l[n]) ^ key(i + 1);
#pragma GCC unroll 8
        for (std::size_t n = 0; n < kLanes; ++n)
            l[n] ^= f(r[n]) ^ key(i + 2);
    }
#pragma GCC unroll 8
    for (std::size_t n = 0; n < kLanes; ++n) {
        StoreBigEndian(r[n] ^ key(17), data + 8 * n);
        StoreBigEndian(l[n], data + 8 * n + 4);
    }
}

template <bool kEncipher>
void CryptSpan(const std::uint32_t* p, const SBoxArray& s, std::span<std::uint8_t> data) {
    constexpr std::size_t kLanes = 4;
    std::uint8_t* at = data.data();
    std::size_t blocks = data.size() / 8;
    for (; blocks >= kLanes; blocks -= kLanes, at += 8 * kLanes)
        CryptLanes<kEncipher, kLanes>(p, s, at);
    for (; blocks > 0; --blocks, at += 8)
        CryptLanes<kEncipher, 1>(p, s, at);
}

} // namespace

TBlowFish::TBlowFish() : TCrypto(kBlockSize), tables_(std::make_unique<Tables>()) {
    InitTables();
    scheduleValid_ = true; // the tables of the empty key
}

TBlowFish::~TBlowFish() {
    // The expanded tables are as telling as the key itself.
    SecureWipe(tables_.get(), sizeof(Tables));
}

std::uint32_t TBlowFish::F(std::uint32_t x) const {
    const auto& s = tables_->s;
    return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
}

void TBlowFish::Encipher(std::uint32_t& l, std::uint32_t& r) const {
    const auto& p = tables_->p;
    l ^= p[0];
    for (std::size_t i = 0; i < 8; ++i) {
        r ^= F(l) ^ p[2 * i + 1];
        l ^= F(r) ^ p[2 * i + 2];
    }
    r ^= p[17];
    std::swap(l, r);
}

void TBlowFish::Decipher(std::uint32_t& l, std::uint32_t& r) const {
    const auto& p = tables_->p;
    l ^= p[17];
    for (std::size_t i = 0; i < 8; ++i) {
        r ^= F(l) ^ p[16 - 2 * i];
        l ^= F(r) ^ p[15 - 2 * i];
    }
    r ^= p[0];
    std::swap(l, r);
}

void TBlowFish::EncipherBlock() {
    std::uint8_t* block = WorkBlock().data();
    std::uint32_t l = LoadBigEndian(block);
    std::uint32_t r = LoadBigEndian(block + 4);
    Encipher(l, r);
    StoreBigEndian(l, block);
    StoreBigEndian(r, block + 4);
}

void TBlowFish::DecipherBlock() {
    std::uint8_t* block = WorkBlock().data();
    std::uint32_t l = LoadBigEndian(block);
    std::uint32_t r = LoadBigEndian(block + 4);
    Decipher(l, r);
    StoreBigEndian(l, block);
    StoreBigEndian(r, block + 4);
}

void TBlowFish::EncryptEcbSpan(std::span<std::uint8_t> data) {
    if (data.size() % kBlockSize != 0)
        throw std::invalid_argument("ECB span is not a whole number of cipher blocks");
    CryptSpan<true>(tables_->p.data(), tables_->s, data);
}

void TBlowFish::DecryptEcbSpan(std::span<std::uint8_t> data) {
    if (data.size() % kBlockSize != 0)
        throw std::invalid_argument("ECB span is not a whole number of cipher blocks");
    CryptSpan<false>(tables_->p.data(), tables_->s, data);
}

void TBlowFish::SetupKey() {
    const std::size_t length = KeyText().Size();
    if (length < kMinKeyLength || length > kMaxKeyLength) KeyText().Clear();
    // The schedule depends on the key text alone, and the extractor sets it up for every
    // block: 521 encipherments saved each time the key is the one already expanded.
    if (scheduleValid_ && scheduleKey_.View() == KeyText().View()) return;
    InitTables();
    ExpandKey();
    scheduleKey_.Assign(KeyText().View());
    scheduleValid_ = true;
}

void TBlowFish::InitTables() {
    scheduleValid_ = false;
    tables_->p = kBlowFishInitialP;
    tables_->s = kBlowFishInitialS;
}

void TBlowFish::ExpandKey() {
    scheduleValid_ = false;
    if (KeyText().Empty()) return;
    // The zero-terminated working copy is wiped when it goes out of scope.
    const SecretText copy(KeyText().View());
    const auto* k = reinterpret_cast<const std::uint8_t*>(copy.CStr());
    const std::size_t length = copy.Size();

    auto& p = tables_->p;
    std::size_t i = 0;
    for (std::size_t j = 0; j < kBlowFishPWords; ++j) {
        const std::uint32_t word = static_cast<std::uint32_t>(k[i]) << 24 |
                                   static_cast<std::uint32_t>(k[(i + 1) % length]) << 16 |
                                   static_cast<std::uint32_t>(k[(i + 2) % length]) << 8 |
                                   static_cast<std::uint32_t>(k[(i + 3) % length]);
        p[j] ^= word;
        i = (i + 4) % length;
    }

    std::uint32_t l = 0;
    std::uint32_t r = 0;
    for (std::size_t j = 0; j < kBlowFishPWords; j += 2) {
        Encipher(l, r);
        p[j] = l;
        p[j + 1] = r;
    }
    for (auto& box : tables_->s) {
        for (std::size_t j = 0; j < kBlowFishSBoxWords; j += 2) {
            Encipher(l, r);
            box[j] = l;
            box[j + 1] = r;
        }
    }
}

} // namespace vexo::extract
