// CryptoModesTest.cpp - ECB, CBC and CFB over byte arrays: padding, chaining and round trips.
#include "HexBytes.h"
#include "extract/BlowFish.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace vexo::extract;
using vexo::extract::test::SampleBytes;
using vexo::extract::test::ToHex;

namespace {

constexpr const char* kKey = "Clave de prueba";
constexpr const char* kIv = "ABCDEFGH";

void UseBytes(TBlowFish& cipher, TCipherMode mode) {
    cipher.SetKey(kKey);
    cipher.SetInputType(TSourceType::SourceByteArray);
    cipher.SetCipherMode(mode);
    cipher.SetIVector(kIv);
}

// One Encrypt or Decrypt call; returns InputLength bytes of the output.
std::vector<std::uint8_t> RunCipher(TBlowFish& cipher, const std::vector<std::uint8_t>& in,
                                    bool encrypt, bool reuse = false) {
    std::vector<std::uint8_t> out(in.size() + 8, 0xEE);
    cipher.SetSourceData(in.data());
    cipher.SetOutputData(out.data());
    cipher.SetInputLength(static_cast<std::uint16_t>(in.size()));
    if (encrypt)
        cipher.Encrypt(reuse);
    else
        cipher.Decrypt(reuse);
    out.resize(cipher.InputLength());
    return out;
}

// E(block) under kKey, straight through EncipherBlock.
std::vector<std::uint8_t> EncipherOne(std::vector<std::uint8_t> block) {
    TBlowFish cipher;
    cipher.SetKey(kKey);
    cipher.SetupKey();
    std::copy(block.begin(), block.end(), cipher.WorkBlock().begin());
    cipher.EncipherBlock();
    return {cipher.WorkBlock().begin(), cipher.WorkBlock().end()};
}

} // namespace

TEST(CryptoModes, EcbPadsFiveBytesToEight) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::ECBMode);
    const std::vector<std::uint8_t> plain = {'h', 'o', 'l', 'a', '!'};
    const auto out = RunCipher(cipher, plain, true);
    EXPECT_EQ(cipher.InputLength(), 8);
    ASSERT_EQ(out.size(), 8u);
    // The three zero bytes of padding were encrypted along.
    EXPECT_EQ(ToHex(out), ToHex(EncipherOne({'h', 'o', 'l', 'a', '!', 0, 0, 0})));
}

TEST(CryptoModes, CfbKeepsFiveBytesAndShiftsTheRegisterByFive) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::CFBMode);
    const std::vector<std::uint8_t> plain = {1, 2, 3, 4, 5};
    const auto out = RunCipher(cipher, plain, true);
    EXPECT_EQ(cipher.InputLength(), 5);
    ASSERT_EQ(out.size(), 5u);
    const auto pad = EncipherOne({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'});
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(out[i], plain[i] ^ pad[i]) << i;
    // Register: the last three IV characters, then the five ciphertext bytes.
    const std::vector<std::uint8_t> expected = {'F',    'G',    'H',    out[0],
                                                out[1], out[2], out[3], out[4]};
    EXPECT_EQ(ToHex({cipher.FeedbackRegister().begin(), cipher.FeedbackRegister().end()}),
              ToHex(expected));
}

TEST(CryptoModes, CbcChainsThroughTheRegister) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::CBCMode);
    const auto plain = SampleBytes(16);
    const auto out = RunCipher(cipher, plain, true);
    ASSERT_EQ(out.size(), 16u);
    std::vector<std::uint8_t> first(8), second(8);
    for (std::size_t i = 0; i < 8; ++i)
        first[i] = plain[i] ^ static_cast<std::uint8_t>(kIv[i]);
    first = EncipherOne(first);
    for (std::size_t i = 0; i < 8; ++i)
        second[i] = plain[8 + i] ^ first[i];
    second = EncipherOne(second);
    EXPECT_EQ(ToHex(out), ToHex(first) + ToHex(second));
    EXPECT_EQ(ToHex({cipher.FeedbackRegister().begin(), cipher.FeedbackRegister().end()}),
              ToHex(second));
}

TEST(CryptoModes, RoundTripsOverByteArrays) {
    struct Case {
        TCipherMode mode;
        std::size_t length;
    };
    const Case cases[] = {
        {TCipherMode::ECBMode, 1},    {TCipherMode::ECBMode, 8},    {TCipherMode::ECBMode, 4093},
        {TCipherMode::ECBMode, 4096}, {TCipherMode::CBCMode, 1},    {TCipherMode::CBCMode, 7},
        {TCipherMode::CBCMode, 8},    {TCipherMode::CBCMode, 9},    {TCipherMode::CBCMode, 4096},
        {TCipherMode::CFBMode, 1},    {TCipherMode::CFBMode, 5},    {TCipherMode::CFBMode, 8},
        {TCipherMode::CFBMode, 13},   {TCipherMode::CFBMode, 4095}, {TCipherMode::CFBMode, 4096},
    };
    for (const auto& c : cases) {
        const auto plain = SampleBytes(c.length);
        TBlowFish encryptor;
        UseBytes(encryptor, c.mode);
        const auto cipherText = RunCipher(encryptor, plain, true);
        const std::size_t expected =
            c.mode == TCipherMode::CFBMode ? c.length : (c.length + 7) / 8 * 8;
        ASSERT_EQ(cipherText.size(), expected) << "length " << c.length;
        EXPECT_NE(ToHex(cipherText).substr(0, 2 * c.length), ToHex(plain));

        TBlowFish decryptor;
        UseBytes(decryptor, c.mode);
        auto back = RunCipher(decryptor, cipherText, false);
        ASSERT_EQ(back.size(), expected);
        EXPECT_TRUE(std::all_of(back.begin() + c.length, back.end(), [](auto b) { return b == 0; }))
            << "padding of length " << c.length;
        back.resize(c.length);
        EXPECT_EQ(back, plain) << "mode " << int(c.mode) << " length " << c.length;
    }
}

TEST(CryptoModes, ReuseContinuesTheChainAcrossCalls) {
    for (TCipherMode mode : {TCipherMode::CBCMode, TCipherMode::CFBMode}) {
        const auto plain = SampleBytes(24);
        TBlowFish whole;
        UseBytes(whole, mode);
        const auto once = RunCipher(whole, plain, true);

        TBlowFish pieces;
        UseBytes(pieces, mode);
        std::vector<std::uint8_t> joined;
        for (std::size_t pos = 0; pos < 24; pos += 8) {
            const std::vector<std::uint8_t> piece(plain.begin() + pos, plain.begin() + pos + 8);
            const auto out = RunCipher(pieces, piece, true, pos != 0);
            joined.insert(joined.end(), out.begin(), out.end());
        }
        EXPECT_EQ(ToHex(joined), ToHex(once)) << "mode " << int(mode);
    }
}

TEST(CryptoModes, PrepareWithoutReuseRestartsTheChain) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::CBCMode);
    const auto plain = SampleBytes(8);
    const auto first = RunCipher(cipher, plain, true);
    const auto again = RunCipher(cipher, plain, true, false);
    const auto chained = RunCipher(cipher, plain, true, true);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, chained);
}

TEST(CryptoModes, OutputMayBeTheInputItself) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::CBCMode);
    const auto plain = SampleBytes(40);
    const auto expected = RunCipher(cipher, plain, true);
    auto buffer = plain;
    cipher.SetSourceData(buffer.data());
    cipher.SetOutputData(buffer.data());
    cipher.SetInputLength(40);
    cipher.Encrypt(false);
    EXPECT_EQ(buffer, expected);
}

TEST(CryptoModes, EmptyInputProducesNothingAndTouchesNothing) {
    for (TCipherMode mode : {TCipherMode::ECBMode, TCipherMode::CBCMode, TCipherMode::CFBMode}) {
        TBlowFish cipher;
        UseBytes(cipher, mode);
        cipher.SetSourceData(nullptr);
        cipher.SetOutputData(nullptr);
        cipher.SetInputLength(0);
        EXPECT_NO_THROW(cipher.Encrypt(false));
        EXPECT_NO_THROW(cipher.Decrypt(false));
        EXPECT_EQ(cipher.InputLength(), 0);
    }
}

TEST(CryptoModes, ByteArrayLongerThanTheDataBufferIsRefused) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::ECBMode);
    std::vector<std::uint8_t> big(5000), out(5000);
    cipher.SetSourceData(big.data());
    cipher.SetOutputData(out.data());
    cipher.SetInputLength(4097);
    EXPECT_THROW(cipher.Encrypt(false), std::invalid_argument);
    EXPECT_THROW(cipher.Decrypt(false), std::invalid_argument);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](auto b) { return b == 0; }));
}

TEST(CryptoModes, MissingPointersAreRefused) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::ECBMode);
    std::vector<std::uint8_t> bytes(8);
    cipher.SetInputLength(8);
    cipher.SetSourceData(bytes.data());
    cipher.SetOutputData(nullptr);
    EXPECT_THROW(cipher.Encrypt(false), std::invalid_argument);
    cipher.SetSourceData(nullptr);
    cipher.SetOutputData(bytes.data());
    EXPECT_THROW(cipher.Decrypt(false), std::invalid_argument);
}

TEST(CryptoModes, StringInputIsKeptButNotProcessed) {
    TBlowFish cipher;
    UseBytes(cipher, TCipherMode::ECBMode);
    cipher.SetInputType(TSourceType::SourceString);
    cipher.SetInputString("texto");
    std::vector<std::uint8_t> out(8, 0x11);
    cipher.SetOutputData(out.data());
    cipher.SetInputLength(5);
    cipher.Encrypt(false);
    cipher.Decrypt(false);
    EXPECT_EQ(cipher.InputString(), "texto");
    EXPECT_EQ(cipher.InputLength(), 5);
    EXPECT_EQ(out, std::vector<std::uint8_t>(8, 0x11));
}

TEST(CryptoIVector, MakeIVectorGivesABlockOfPrintableCharacters) {
    TBlowFish cipher;
    for (int i = 0; i < 50; ++i) {
        cipher.MakeIVector();
        ASSERT_EQ(cipher.IVector().size(), 8u);
        for (char c : cipher.IVector()) {
            EXPECT_GE(c, '!');
            EXPECT_LE(c, '}');
        }
    }
}

TEST(CryptoIVector, LoadIVectorMakesOneWhenEmptyAndLoadsTheFirstBlock) {
    TBlowFish cipher;
    EXPECT_TRUE(cipher.FeedbackRegister().empty());
    cipher.LoadIVector();
    ASSERT_EQ(cipher.IVector().size(), 8u);
    EXPECT_EQ(std::string(cipher.FeedbackRegister().begin(), cipher.FeedbackRegister().end()),
              cipher.IVector());

    cipher.SetIVector("0123456789");
    cipher.LoadIVector();
    EXPECT_EQ(std::string(cipher.FeedbackRegister().begin(), cipher.FeedbackRegister().end()),
              "01234567");
}

TEST(CryptoIVector, AShortIVectorIsRefused) {
    TBlowFish cipher;
    cipher.SetIVector("1234567");
    EXPECT_THROW(cipher.LoadIVector(), std::invalid_argument);
    cipher.SetCipherMode(TCipherMode::CFBMode);
    EXPECT_THROW(cipher.Prepare(false), std::invalid_argument);
}

TEST(CryptoIVector, AMadeIVectorDecryptsWhatItEncrypted) {
    // The writer keeps the IVector the encryption made up and hands it to the reader.
    TBlowFish writer;
    writer.SetKey(kKey);
    writer.SetInputType(TSourceType::SourceByteArray);
    writer.SetCipherMode(TCipherMode::CBCMode);
    const auto plain = SampleBytes(24);
    const auto cipherText = RunCipher(writer, plain, true);
    ASSERT_EQ(writer.IVector().size(), 8u);

    TBlowFish reader;
    UseBytes(reader, TCipherMode::CBCMode);
    reader.SetIVector(writer.IVector());
    EXPECT_EQ(RunCipher(reader, cipherText, false), plain);
}
