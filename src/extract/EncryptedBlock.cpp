// EncryptedBlock.cpp - checking, decrypting and producing encrypted block payloads.
#include "extract/EncryptedBlock.h"

#include <algorithm>
#include <stdexcept>

namespace vexo::extract {
namespace {

// The payload runs through the cipher's ECB span loop in one go: ECB gives the same bytes
// whatever the chunking. InputLength is left as a byte-array run in DataBuffer-sized chunks
// would leave it (the last chunk, grown to whole blocks), so the cipher looks the same after.
constexpr std::size_t kChunk = TCrypto::kDataBufferSize;

void UseByteArrayEcb(TCrypto& cipher, std::string_view key) {
    cipher.SetInputType(TSourceType::SourceByteArray);
    cipher.SetCipherMode(TCipherMode::ECBMode);
    cipher.SetKey(key);
}

std::uint16_t LastChunkLength(std::size_t cipherLength) {
    return static_cast<std::uint16_t>((cipherLength - 1) % kChunk + 1);
}

} // namespace

PayloadDamage CheckEncryptedPayload(std::span<const std::uint8_t> payload,
                                    std::size_t cipherBlockSize) {
    if (payload.empty()) return PayloadDamage::NoPadCount;
    const std::size_t cipherLength = payload.size() - 1;
    if (cipherLength == 0) return PayloadDamage::EmptyCiphertext;
    if (cipherLength % cipherBlockSize != 0) return PayloadDamage::RaggedCiphertext;
    const std::size_t padCount = payload.back();
    if (padCount >= cipherBlockSize || padCount > cipherLength)
        return PayloadDamage::PadCountTooLarge;
    return PayloadDamage::None;
}

DecodedPayload DecodeEncryptedPayload(TCrypto& cipher, std::string_view key,
                                      std::span<std::uint8_t> payload) {
    const PayloadDamage damage = CheckEncryptedPayload(payload, cipher.CipherBlockSize());
    if (damage != PayloadDamage::None) return {damage, 0};

    const std::size_t cipherLength = payload.size() - 1;
    UseByteArrayEcb(cipher, key);
    cipher.Prepare(false);
    cipher.DecryptEcbSpan(payload.first(cipherLength));
    cipher.SetInputLength(LastChunkLength(cipherLength));
    return {PayloadDamage::None, cipherLength - payload.back()};
}

std::vector<std::uint8_t> EncodeEncryptedPayload(TCrypto& cipher, std::string_view key,
                                                 std::span<const std::uint8_t> plain) {
    if (plain.empty()) throw std::invalid_argument("an empty payload has no encrypted form");
    const std::size_t blockSize = cipher.CipherBlockSize();
    const std::size_t padded = (plain.size() + blockSize - 1) / blockSize * blockSize;
    std::vector<std::uint8_t> out(padded + 1);

    std::copy(plain.begin(), plain.end(), out.begin()); // the rest is the zero padding
    UseByteArrayEcb(cipher, key);
    cipher.Prepare(false);
    cipher.EncryptEcbSpan(std::span<std::uint8_t>(out.data(), padded));
    cipher.SetInputLength(LastChunkLength(padded));
    out.back() = static_cast<std::uint8_t>(padded - plain.size());
    return out;
}

} // namespace vexo::extract
