// BlowFishFastPathTest.cpp - the whole-span ECB loop and the kept key schedule against the
// block-by-block cipher and the chunked byte-array run they replace.
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace vexo::extract;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(byte(rng));
    return bytes;
}

std::string RandomKey(std::size_t length, std::mt19937& rng) {
    const Bytes bytes = RandomBytes(length, rng);
    return std::string(bytes.begin(), bytes.end());
}

// Every key length the cipher uses, random bytes, and keys with zero bytes in them.
std::vector<std::string> TestKeys() {
    std::mt19937 rng(20240301);
    std::vector<std::string> keys;
    for (std::size_t length = TBlowFish::kMinKeyLength; length <= TBlowFish::kMaxKeyLength;
         ++length)
        keys.push_back(RandomKey(length, rng));
    keys.push_back(std::string(8, '\0'));
    keys.push_back(std::string("abc\0def\0gh", 10));
    keys.push_back(std::string("\0clave-con-ceros\0", 17));
    keys.push_back(std::string(65, '\0'));
    return keys;
}

// Whole blocks: one to five (the four-block groups and their tails), around the DataBuffer
// size, around the size from which the span is shared with a second thread, archive blocks,
// and past 64 KiB.
const std::size_t kLengths[] = {8,     16,    24,    32,    40,    56,    4088,
                                4096,  4104,  16376, 16384, 16392, 16400, 30000,
                                32768, 65528, 65536, 65544, 69992, 70000};

// The reference: one EncipherBlock or DecipherBlock per block through WorkBlock.
Bytes BlockByBlock(TBlowFish& cipher, Bytes data, bool encrypt) {
    for (std::size_t pos = 0; pos < data.size(); pos += 8) {
        std::copy_n(data.begin() + pos, 8, cipher.WorkBlock().begin());
        if (encrypt)
            cipher.EncipherBlock();
        else
            cipher.DecipherBlock();
        std::copy_n(cipher.WorkBlock().begin(), 8, data.begin() + pos);
    }
    return data;
}

struct ByteArrayRun {
    Bytes bytes;
    std::uint16_t inputLength = 0;
};

// The byte-array ECB run in DataBuffer-sized chunks, in place, the key schedule set up by the
// first chunk: how payloads were processed before the span loop.
ByteArrayRun ChunkedByteArrayRun(TBlowFish& cipher, const std::string& key, Bytes data,
                                 bool encrypt) {
    cipher.SetInputType(TSourceType::SourceByteArray);
    cipher.SetCipherMode(TCipherMode::ECBMode);
    cipher.SetKey(key);
    for (std::size_t pos = 0; pos < data.size(); pos += TCrypto::kDataBufferSize) {
        const std::size_t length = std::min(TCrypto::kDataBufferSize, data.size() - pos);
        cipher.SetInputLength(static_cast<std::uint16_t>(length));
        cipher.SetSourceData(data.data() + pos);
        cipher.SetOutputData(data.data() + pos);
        if (encrypt)
            cipher.Encrypt(pos != 0);
        else
            cipher.Decrypt(pos != 0);
    }
    return {std::move(data), cipher.InputLength()};
}

void ExpectTablesOf(const TBlowFish& cipher, const std::string& key, const std::string& what) {
    TBlowFish fresh;
    fresh.SetKey(key);
    fresh.SetupKey();
    EXPECT_EQ(cipher.PArray(), fresh.PArray()) << what;
    EXPECT_EQ(cipher.SBoxes(), fresh.SBoxes()) << what;
}

} // namespace

TEST(BlowFishFastPath, SpansGiveTheBytesOfTheBlockByBlockCipher) {
    std::mt19937 rng(7);
    const auto keys = TestKeys();
    for (std::size_t k = 0; k < keys.size(); ++k) {
        TBlowFish cipher;
        cipher.SetKey(keys[k]);
        cipher.SetupKey();
        // Every key meets a short length and one of the list; over the keys every length comes
        // up several times.
        for (const std::size_t length :
             {kLengths[k % 9], kLengths[(k * 7 + 3) % std::size(kLengths)]}) {
            const std::string what =
                "key length " + std::to_string(keys[k].size()) + ", " + std::to_string(length);
            const Bytes plain = RandomBytes(length, rng);

            Bytes fast = plain;
            cipher.EncryptEcbSpan(fast);
            const Bytes expected = BlockByBlock(cipher, plain, true);
            ASSERT_EQ(fast, expected) << "encrypt, " << what;
            Bytes generic = plain;
            cipher.TCrypto::EncryptEcbSpan(generic);
            EXPECT_EQ(generic, expected) << "generic encrypt, " << what;

            cipher.DecryptEcbSpan(fast);
            ASSERT_EQ(fast, plain) << "round trip, " << what;

            // Decrypting bytes that were never encrypted: any block, not just round trips.
            const Bytes noise = RandomBytes(length, rng);
            Bytes decrypted = noise;
            cipher.DecryptEcbSpan(decrypted);
            EXPECT_EQ(decrypted, BlockByBlock(cipher, noise, false)) << "decrypt, " << what;
            Bytes genericDecrypted = noise;
            cipher.TCrypto::DecryptEcbSpan(genericDecrypted);
            EXPECT_EQ(genericDecrypted, decrypted) << "generic decrypt, " << what;
        }
    }
}

TEST(BlowFishFastPath, EveryLengthUnderOneKey) {
    std::mt19937 rng(11);
    TBlowFish cipher;
    cipher.SetKey("ClaveDelArchivo");
    cipher.SetupKey();
    for (std::size_t length : kLengths) {
        const Bytes plain = RandomBytes(length, rng);
        Bytes encrypted = plain;
        cipher.EncryptEcbSpan(encrypted);
        EXPECT_EQ(encrypted, BlockByBlock(cipher, plain, true)) << length;
        Bytes decrypted = plain;
        cipher.DecryptEcbSpan(decrypted);
        EXPECT_EQ(decrypted, BlockByBlock(cipher, plain, false)) << length;
    }
}

TEST(BlowFishFastPath, SpansAtOddAddressesTouchOnlyTheirBytes) {
    std::mt19937 rng(3);
    TBlowFish cipher;
    cipher.SetKey("clave de alineacion");
    cipher.SetupKey();
    for (std::size_t offset = 1; offset < 8; ++offset) {
        for (std::size_t length : {8u, 40u, 16392u}) {
            // Exactly sized heap memory, so the sanitizer sees any access past either end.
            std::unique_ptr<std::uint8_t[]> memory(new std::uint8_t[offset + length]);
            const Bytes plain = RandomBytes(length, rng);
            std::fill_n(memory.get(), offset, std::uint8_t{0xA5});
            std::copy(plain.begin(), plain.end(), memory.get() + offset);
            const std::span<std::uint8_t> span(memory.get() + offset, length);

            cipher.DecryptEcbSpan(span);
            EXPECT_EQ(Bytes(span.begin(), span.end()), BlockByBlock(cipher, plain, false))
                << offset << ", " << length;
            EXPECT_TRUE(std::all_of(memory.get(), memory.get() + offset,
                                    [](std::uint8_t b) { return b == 0xA5; }));
        }
    }
}

TEST(BlowFishFastPath, RaggedSpansAreRefusedUntouched) {
    TBlowFish cipher;
    cipher.SetKey("ClaveDelArchivo");
    cipher.SetupKey();
    for (std::size_t length : {1u, 7u, 9u, 4095u, 16385u}) {
        std::mt19937 rng(static_cast<unsigned>(length));
        const Bytes before = RandomBytes(length, rng);
        Bytes data = before;
        EXPECT_THROW(cipher.DecryptEcbSpan(data), std::invalid_argument) << length;
        EXPECT_THROW(cipher.EncryptEcbSpan(data), std::invalid_argument) << length;
        EXPECT_THROW(cipher.TCrypto::DecryptEcbSpan(data), std::invalid_argument) << length;
        EXPECT_THROW(cipher.TCrypto::EncryptEcbSpan(data), std::invalid_argument) << length;
        EXPECT_EQ(data, before) << length;
    }
}

TEST(BlowFishFastPath, AnEmptySpanIsNothingToDo) {
    TBlowFish cipher;
    cipher.SetKey("ClaveDelArchivo");
    cipher.SetupKey();
    const auto p = cipher.PArray();
    cipher.DecryptEcbSpan({});
    cipher.EncryptEcbSpan({});
    EXPECT_EQ(cipher.PArray(), p);
}

TEST(BlowFishKeySchedule, EachSetupLeavesTheTablesOfAFreshCipher) {
    const std::string a = "ClaveDelArchivo";
    const std::string b = "OtraClaveDistinta";
    std::string aChanged = a;
    aChanged[7] ^= 1;
    const std::string tooLong(66, 'k');
    struct Case {
        const char* what;
        std::vector<std::string> keys; // set up one after the other on one cipher
    };
    const Case cases[] = {
        {"same key twice", {a, a, a}},
        {"two keys", {a, b}},
        {"back to the first key", {a, b, a}},
        {"no key in between", {a, "", a}},
        {"short key in between", {a, "short", a}},
        {"longer key with the same start", {a, a + "x"}},
        {"shorter key with the same start", {a + "x", a}},
        {"one byte changed", {a, aChanged, a}},
        {"a zero byte appended", {a, a + std::string(1, '\0')}},
        {"zero bytes against no key", {std::string(8, '\0'), "", std::string(8, '\0')}},
        {"too long, then its 65 characters", {tooLong, tooLong.substr(0, 65), tooLong}},
        {"valid, then too long", {tooLong.substr(0, 65), tooLong}},
    };
    for (const auto& c : cases) {
        TBlowFish cipher;
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            cipher.SetKey(c.keys[i]);
            cipher.SetupKey();
            ExpectTablesOf(cipher, c.keys[i], std::string(c.what) + ", step " + std::to_string(i));
        }
    }
}

TEST(BlowFishKeySchedule, TablesChangedByHandAreSetUpAgain) {
    const std::string key = "ClaveDelArchivo";
    struct Case {
        const char* what;
        void (*touch)(TBlowFish&);
    };
    const Case cases[] = {
        {"InitTables", [](TBlowFish& c) { c.InitTables(); }},
        {"ExpandKey", [](TBlowFish& c) { c.ExpandKey(); }},
        {"InitTables and ExpandKey",
         [](TBlowFish& c) {
             c.InitTables();
             c.ExpandKey();
         }},
    };
    for (const auto& c : cases) {
        TBlowFish cipher;
        cipher.SetKey(key);
        cipher.SetupKey();
        c.touch(cipher);
        cipher.SetupKey();
        ExpectTablesOf(cipher, key, c.what);

        // The same with no key: the tables a fresh cipher starts from.
        TBlowFish unkeyed;
        unkeyed.SetKey(key);
        c.touch(unkeyed); // the key expanded by hand, never through SetupKey
        unkeyed.SetKey("");
        unkeyed.SetupKey();
        EXPECT_EQ(unkeyed.PArray(), kBlowFishInitialP) << c.what;
        EXPECT_EQ(unkeyed.SBoxes(), kBlowFishInitialS) << c.what;
    }
}

TEST(BlowFishKeySchedule, TheRememberedKeyIsWipedWithTheCipher) {
    // Short enough to sit inside the object, so the bytes stay inspectable after the
    // destructor; set up twice, so the key the tables came from is certainly remembered.
    const char key[] = "Clave123";
    alignas(TBlowFish) unsigned char storage[sizeof(TBlowFish)];
    auto* cipher = new (storage) TBlowFish;
    cipher->SetKey(key);
    cipher->SetupKey();
    cipher->SetupKey();
    cipher->SetKey("otra clave"); // the key text itself no longer holds the first key
    const auto count = [&storage, &key] {
        std::size_t found = 0;
        for (auto at = storage; (at = std::search(at, storage + sizeof storage, key, key + 8)) !=
                                storage + sizeof storage;
             ++at)
            ++found;
        return found;
    };
    ASSERT_GE(count(), 1u) << "the remembered key is not inside the object; the check below "
                              "would prove nothing";
    cipher->~TBlowFish();
    EXPECT_EQ(count(), 0u);
}

TEST(EncryptedPayloadFastPath, MatchesTheChunkedByteArrayRun) {
    std::mt19937 rng(5);
    const auto keys = TestKeys();
    for (std::size_t k = 0; k < keys.size(); k += 5) {
        for (std::size_t j = 0; j < 3; ++j) {
            const std::size_t padded = kLengths[(k + j * 5) % std::size(kLengths)];
            const std::size_t plainLength = padded - (k + j) % 8;
            const std::string what =
                "key length " + std::to_string(keys[k].size()) + ", " + std::to_string(padded);
            const Bytes plain = RandomBytes(plainLength, rng);

            TBlowFish writer;
            const Bytes payload = EncodeEncryptedPayload(writer, keys[k], plain);
            Bytes zeroPadded = plain;
            zeroPadded.resize(padded, 0);
            TBlowFish reference;
            const ByteArrayRun written = ChunkedByteArrayRun(reference, keys[k], zeroPadded, true);
            ASSERT_EQ(Bytes(payload.begin(), payload.end() - 1), written.bytes) << what;
            EXPECT_EQ(payload.back(), padded - plainLength) << what;
            EXPECT_EQ(writer.InputLength(), written.inputLength) << what;

            // Decrypting arbitrary ciphertext, not only what the writer made.
            Bytes noise = RandomBytes(padded, rng);
            noise.push_back(static_cast<std::uint8_t>(padded - plainLength));
            Bytes decoded = noise;
            TBlowFish reader;
            const DecodedPayload result = DecodeEncryptedPayload(reader, keys[k], decoded);
            ASSERT_FALSE(result.Damaged()) << what;
            EXPECT_EQ(result.plainLength, plainLength) << what;
            const ByteArrayRun read = ChunkedByteArrayRun(
                reference, keys[k], Bytes(noise.begin(), noise.end() - 1), false);
            EXPECT_EQ(Bytes(decoded.begin(), decoded.end() - 1), read.bytes) << what;
            EXPECT_EQ(decoded.back(), noise.back()) << what;
            EXPECT_EQ(reader.InputLength(), read.inputLength) << what;
        }
    }
}

TEST(EncryptedPayloadFastPath, OneCipherAcrossKeysDecodesLikeFreshCiphers) {
    // The extractor keeps one cipher for every block; the key may change between entries.
    const std::string a = "ClaveDelArchivo";
    const std::string b = "segunda clave larga";
    const std::vector<std::string> sequence = {a, a, b, b, a, "", a, "corta", b};
    std::mt19937 rng(9);
    TBlowFish shared;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const std::size_t length = kLengths[(i * 4) % std::size(kLengths)];
        Bytes payload = RandomBytes(length, rng);
        payload.push_back(static_cast<std::uint8_t>(i % 8));
        Bytes fromShared = payload;
        Bytes fromFresh = payload;
        ASSERT_FALSE(DecodeEncryptedPayload(shared, sequence[i], fromShared).Damaged());
        TBlowFish fresh;
        ASSERT_FALSE(DecodeEncryptedPayload(fresh, sequence[i], fromFresh).Damaged());
        EXPECT_EQ(fromShared, fromFresh) << "payload " << i;
        EXPECT_NE(fromShared, payload) << "payload " << i;
    }
}
