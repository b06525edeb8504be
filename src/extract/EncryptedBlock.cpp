// EncryptedBlock.cpp - checking, decrypting and producing encrypted block payloads.
#include "extract/EncryptedBlock.h"

#include <algorithm>
#include <stdexcept>

namespace vexo::extract {
namespace {

// Whole blocks per call through the cipher's DataBuffer; ECB gives the same bytes whatever the
// chunking, and the key schedule is set up by the first chunk only.
constexpr std::size_t kChunk = TCrypto::kDataBufferSize;

void UseByteArrayEcb(TCrypto& cipher, std::string_view key) {
    cipher.SetInputType(TSourceType::SourceByteArray);
    cipher.SetCipherMode(TCipherMode::ECBMode);
    cipher.SetKey(key);
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
    for (std::size_t pos = 0; pos < cipherLength; pos += kChunk) {
        const std::size_t length = std::min(kChunk, cipherLength - pos);
        cipher.SetInputLength(static_cast<std::uint16_t>(length));
        cipher.SetSourceData(payload.data() + pos);
        cipher.SetOutputData(payload.data() + pos);
        cipher.Decrypt(pos != 0);
    }
    return {PayloadDamage::None, cipherLength - payload.back()};
}

std::vector<std::uint8_t> EncodeEncryptedPayload(TCrypto& cipher, std::string_view key,
                                                 std::span<const std::uint8_t> plain) {
    if (plain.empty()) throw std::invalid_argument("an empty payload has no encrypted form");
    const std::size_t blockSize = cipher.CipherBlockSize();
    const std::size_t padded = (plain.size() + blockSize - 1) / blockSize * blockSize;
    std::vector<std::uint8_t> out(padded + 1);

    UseByteArrayEcb(cipher, key);
    for (std::size_t pos = 0; pos < plain.size(); pos += kChunk) {
        const std::size_t length = std::min(kChunk, plain.size() - pos);
        cipher.SetInputLength(static_cast<std::uint16_t>(length));
        cipher.SetSourceData(plain.data() + pos);
        cipher.SetOutputData(out.data() + pos); // the last chunk grows to whole blocks
        cipher.Encrypt(pos != 0);
    }
    out.back() = static_cast<std::uint8_t>(padded - plain.size());
    return out;
}

} // namespace vexo::extract
