// EncryptedBlockTest.cpp - the encrypted block payload: layout checks, in-place decryption and
// the writing side.
#include "extract/EncryptedBlock.h"
#include "HexBytes.h"
#include "extract/BlowFish.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

using namespace vexo::extract;
using vexo::extract::test::SampleBytes;

namespace {

constexpr const char* kKey = "ClaveDelArchivo";

// ECB of `plain` (a whole number of blocks) under kKey, straight through the cipher.
std::vector<std::uint8_t> EcbCipherText(const std::vector<std::uint8_t>& plain) {
    TBlowFish cipher;
    cipher.SetKey(kKey);
    cipher.SetupKey();
    std::vector<std::uint8_t> out;
    for (std::size_t pos = 0; pos < plain.size(); pos += 8) {
        std::copy(plain.begin() + pos, plain.begin() + pos + 8, cipher.WorkBlock().begin());
        cipher.EncipherBlock();
        out.insert(out.end(), cipher.WorkBlock().begin(), cipher.WorkBlock().end());
    }
    return out;
}

} // namespace

TEST(EncryptedBlock, PadCountThreeOfTwentyFourYieldsTwentyOnePlainBytes) {
    auto plain = SampleBytes(21);
    plain.resize(24, 0);
    auto payload = EcbCipherText(plain);
    payload.push_back(3);

    TBlowFish cipher;
    const DecodedPayload result = DecodeEncryptedPayload(cipher, kKey, payload);
    ASSERT_FALSE(result.Damaged());
    EXPECT_EQ(result.plainLength, 21u);
    EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.begin() + 21), SampleBytes(21));
}

TEST(EncryptedBlock, DamagedPayloadsAreRejectedUntouched) {
    struct Case {
        const char* what;
        std::size_t cipherLength; // bytes before the pad count
        int padCount;             // -1: no pad-count byte at all
        PayloadDamage expected;
    };
    const Case cases[] = {
        {"empty payload", 0, -1, PayloadDamage::NoPadCount},
        {"pad count only", 0, 0, PayloadDamage::EmptyCiphertext},
        {"pad count only, non-zero", 0, 3, PayloadDamage::EmptyCiphertext},
        {"one ciphertext byte", 1, 0, PayloadDamage::RaggedCiphertext},
        {"seven ciphertext bytes", 7, 0, PayloadDamage::RaggedCiphertext},
        {"nine ciphertext bytes", 9, 1, PayloadDamage::RaggedCiphertext},
        {"twenty-three ciphertext bytes", 23, 3, PayloadDamage::RaggedCiphertext},
        {"pad count 8", 8, 8, PayloadDamage::PadCountTooLarge},
        {"pad count 8 of 16", 16, 8, PayloadDamage::PadCountTooLarge},
        {"pad count 9", 24, 9, PayloadDamage::PadCountTooLarge},
        {"pad count 255", 8, 255, PayloadDamage::PadCountTooLarge},
        {"pad count 200 of 4096", 4096, 200, PayloadDamage::PadCountTooLarge},
    };
    for (const auto& c : cases) {
        // Exactly sized heap memory, so the sanitizer sees any access past either end.
        const std::size_t size = c.cipherLength + (c.padCount >= 0 ? 1 : 0);
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size == 0 ? 1 : size]);
        for (std::size_t i = 0; i < c.cipherLength; ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
        if (c.padCount >= 0) bytes[size - 1] = static_cast<std::uint8_t>(c.padCount);
        const std::vector<std::uint8_t> before(bytes.get(), bytes.get() + size);

        TBlowFish cipher;
        const std::span<std::uint8_t> payload(bytes.get(), size);
        EXPECT_EQ(CheckEncryptedPayload(payload, 8), c.expected) << c.what;
        const DecodedPayload result = DecodeEncryptedPayload(cipher, kKey, payload);
        EXPECT_TRUE(result.Damaged()) << c.what;
        EXPECT_EQ(result.damage, c.expected) << c.what;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.get(), bytes.get() + size), before) << c.what;
    }
}

TEST(EncryptedBlock, EveryValidPadCountIsAccepted) {
    for (std::uint8_t pad = 0; pad < 8; ++pad) {
        std::vector<std::uint8_t> payload(16, 0x5A);
        payload.push_back(pad);
        EXPECT_EQ(CheckEncryptedPayload(payload, 8), PayloadDamage::None) << int(pad);
        TBlowFish cipher;
        const auto result = DecodeEncryptedPayload(cipher, kKey, payload);
        ASSERT_FALSE(result.Damaged());
        EXPECT_EQ(result.plainLength, 16u - pad);
    }
}

TEST(EncryptedBlock, EncodeThenDecodeGivesThePlainPayloadBack) {
    for (std::size_t length : {1u, 7u, 8u, 9u, 21u, 4095u, 4096u, 4097u, 8200u, 70000u}) {
        const auto plain = SampleBytes(length);
        TBlowFish writer;
        auto payload = EncodeEncryptedPayload(writer, kKey, plain);
        const std::size_t padded = (length + 7) / 8 * 8;
        ASSERT_EQ(payload.size(), padded + 1) << length;
        EXPECT_EQ(payload.back(), padded - length) << length;
        EXPECT_NE(std::vector<std::uint8_t>(payload.begin(), payload.begin() + length), plain);

        TBlowFish reader;
        const auto result = DecodeEncryptedPayload(reader, kKey, payload);
        ASSERT_FALSE(result.Damaged()) << length;
        ASSERT_EQ(result.plainLength, length);
        EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.begin() + length), plain)
            << length;
    }
}

TEST(EncryptedBlock, EncodingIsEcbUnderTheKeyWithZeroPadding) {
    const auto plain = SampleBytes(13);
    TBlowFish writer;
    const auto payload = EncodeEncryptedPayload(writer, kKey, plain);
    auto padded = plain;
    padded.resize(16, 0);
    auto expected = EcbCipherText(padded);
    expected.push_back(3);
    EXPECT_EQ(payload, expected);
}

TEST(EncryptedBlock, TheKeyScheduleIsSetUpForEachPayload) {
    // One cipher object, alternating keys: every payload uses its own key, not the last one.
    const auto plain = SampleBytes(40);
    TBlowFish cipher;
    const auto underA = EncodeEncryptedPayload(cipher, "primera clave", plain);
    const auto underB = EncodeEncryptedPayload(cipher, "segunda clave", plain);
    EXPECT_NE(underA, underB);
    auto copyA = underA;
    auto copyB = underB;
    ASSERT_FALSE(DecodeEncryptedPayload(cipher, "primera clave", copyA).Damaged());
    ASSERT_FALSE(DecodeEncryptedPayload(cipher, "segunda clave", copyB).Damaged());
    EXPECT_EQ(std::vector<std::uint8_t>(copyA.begin(), copyA.begin() + 40), plain);
    EXPECT_EQ(std::vector<std::uint8_t>(copyB.begin(), copyB.begin() + 40), plain);
}

TEST(EncryptedBlock, AWrongKeyDecryptsToOtherBytesOfTheSameLength) {
    // Nothing in the payload tells a wrong key; only the block checksum will.
    const auto plain = SampleBytes(30);
    TBlowFish cipher;
    auto payload = EncodeEncryptedPayload(cipher, kKey, plain);
    const auto result = DecodeEncryptedPayload(cipher, "otra clave distinta", payload);
    ASSERT_FALSE(result.Damaged());
    EXPECT_EQ(result.plainLength, 30u);
    EXPECT_NE(std::vector<std::uint8_t>(payload.begin(), payload.begin() + 30), plain);
}

TEST(EncryptedBlock, ShortKeysAllReadWhatANoKeyWriterWrote) {
    // The cipher's key-length rule: keys under eight characters are no key at all.
    const auto plain = SampleBytes(16);
    TBlowFish cipher;
    const auto written = EncodeEncryptedPayload(cipher, "", plain);
    for (const char* key : {"", "a", "1234567"}) {
        auto payload = written;
        ASSERT_FALSE(DecodeEncryptedPayload(cipher, key, payload).Damaged());
        EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.begin() + 16), plain) << key;
    }
}

TEST(EncryptedBlock, AnEmptyPlainPayloadHasNoEncryptedForm) {
    TBlowFish cipher;
    EXPECT_THROW(EncodeEncryptedPayload(cipher, kKey, {}), std::invalid_argument);
}

TEST(EncryptedBlock, DecodingSwitchesTheCipherToByteArrayEcb) {
    const auto plain = SampleBytes(24);
    TBlowFish writer;
    auto payload = EncodeEncryptedPayload(writer, kKey, plain);

    TBlowFish reader;
    reader.SetInputType(TSourceType::SourceFile);
    reader.SetCipherMode(TCipherMode::CBCMode);
    const auto result = DecodeEncryptedPayload(reader, kKey, payload);
    ASSERT_FALSE(result.Damaged());
    EXPECT_EQ(reader.InputType(), TSourceType::SourceByteArray);
    EXPECT_EQ(reader.CipherMode(), TCipherMode::ECBMode);
    EXPECT_EQ(std::vector<std::uint8_t>(payload.begin(), payload.begin() + 24), plain);
}
