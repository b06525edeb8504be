// BlowFishKeyTest.cpp - the key-length rule and the wiping of key material.
#include "HexBytes.h"
#include "extract/BlowFish.h"
#include "extract/SecureWipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using namespace vexo::extract;
using vexo::extract::test::SampleBytes;
using vexo::extract::test::ToHex;

namespace {

// ECB over 32 sample bytes under `key`, as hex.
std::string EcbUnder(const std::string& key) {
    TBlowFish cipher;
    cipher.SetKey(key);
    cipher.SetInputType(TSourceType::SourceByteArray);
    cipher.SetCipherMode(TCipherMode::ECBMode);
    const auto plain = SampleBytes(32);
    std::vector<std::uint8_t> out(32);
    cipher.SetSourceData(plain.data());
    cipher.SetOutputData(out.data());
    cipher.SetInputLength(32);
    cipher.Encrypt(false);
    return ToHex(out);
}

std::string KeyOfLength(std::size_t length) {
    std::string key;
    for (std::size_t i = 0; i < length; ++i)
        key += static_cast<char>('a' + i % 26);
    return key;
}

} // namespace

TEST(BlowFishKey, KeysOutsideEightToSixtyFiveEncryptLikeNoKey) {
    const std::string noKey = EcbUnder("");
    for (std::size_t length : {1u, 2u, 5u, 7u, 66u, 67u, 100u}) {
        EXPECT_EQ(EcbUnder(KeyOfLength(length)), noKey) << "length " << length;
    }
}

TEST(BlowFishKey, KeysOfEightToSixtyFiveCharactersAreUsed) {
    const std::string noKey = EcbUnder("");
    std::vector<std::string> seen;
    for (std::size_t length : {8u, 9u, 16u, 56u, 64u, 65u}) {
        const std::string result = EcbUnder(KeyOfLength(length));
        EXPECT_NE(result, noKey) << "length " << length;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), result), 0) << "length " << length;
        seen.push_back(result);
    }
}

TEST(BlowFishKey, SevenCharactersLikeEmptyEightNot) {
    EXPECT_EQ(EcbUnder("1234567"), EcbUnder(""));
    EXPECT_NE(EcbUnder("12345678"), EcbUnder(""));
}

TEST(BlowFishKey, EmptyOrClearedKeyLeavesTheInitialTables) {
    for (const std::string key : {"", "short"}) {
        TBlowFish cipher;
        cipher.SetKey("a proper key"); // something to be replaced
        cipher.SetupKey();
        cipher.SetKey(key);
        cipher.SetupKey();
        EXPECT_EQ(cipher.PArray(), kBlowFishInitialP) << "key '" << key << "'";
        EXPECT_EQ(cipher.SBoxes(), kBlowFishInitialS) << "key '" << key << "'";
    }
}

TEST(BlowFishKey, ZeroBytesInsideTheKeyCount) {
    // The key is taken by its length, not up to its first zero byte.
    const std::string withZeros("abcd\0\0\0\0", 8);
    const std::string differentTail("abcd\0\0\0\1", 8);
    EXPECT_NE(EcbUnder(withZeros), EcbUnder(""));
    EXPECT_NE(EcbUnder(withZeros), EcbUnder(differentTail));
}

TEST(SecureWipe, ZeroesEveryByte) {
    std::vector<unsigned char> bytes(37, 0xA5);
    SecureWipe(bytes.data(), bytes.size());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 37);
    SecureWipe(nullptr, 0); // nothing to do, nothing touched
}

TEST(SecretText, ClearZeroesTheCharactersInPlace) {
    SecretText text("a secret key, long enough to live on the heap");
    const char* storage = text.CStr();
    const std::size_t size = text.Size();
    text.Clear();
    EXPECT_TRUE(text.Empty());
    // Clear keeps the storage, so it can be inspected.
    EXPECT_TRUE(std::all_of(storage, storage + size, [](char c) { return c == 0; }));
}

TEST(SecretText, AssignReplacesAndKeepsTheTerminator) {
    SecretText text("first key text");
    text.Assign("second");
    EXPECT_EQ(text.View(), "second");
    EXPECT_EQ(text.CStr()[text.Size()], '\0');
    // The tail of the longer first text was wiped before the shorter one went in.
    EXPECT_TRUE(
        std::all_of(text.CStr() + text.Size(), text.CStr() + 14, [](char c) { return c == 0; }));
}

TEST(BlowFishKey, DestroyingTheCipherLeavesNoKeyText) {
    // A key short enough to sit inside the object itself, so the bytes stay inspectable
    // after the destructor has run.
    const char key[] = "Clave123";
    alignas(TBlowFish) unsigned char storage[sizeof(TBlowFish)];
    auto* cipher = new (storage) TBlowFish;
    cipher->SetKey(key);
    ASSERT_NE(std::search(storage, storage + sizeof storage, key, key + 8),
              storage + sizeof storage)
        << "the key is not held inside the object; the check below would prove nothing";
    cipher->~TBlowFish();
    EXPECT_EQ(std::search(storage, storage + sizeof storage, key, key + 8),
              storage + sizeof storage);
}
