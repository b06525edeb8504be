// CryptoFileTest.cpp - file mode: 4,096-byte chunks chained across, empty files, I/O failures.
#include "HexBytes.h"
#include "extract/BlowFish.h"
#include "platform/Error.h"
#include "platform/FaultInjection.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

using namespace vexo::extract;
using vexo::extract::test::SampleBytes;
namespace fs = std::filesystem;
namespace platform = vexo::platform;

namespace {

constexpr const char* kKey = "Clave de ficheros";
constexpr const char* kIv = "iv-12345";

class CryptoFile : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(prefix_.Host("drive_c/CRYPT")); }

    std::string Host(const char* name) const {
        return prefix_.Host(std::string("drive_c/CRYPT/") + name);
    }
    static std::string Windows(const char* name) { return std::string("C:\\CRYPT\\") + name; }

    void WriteHost(const char* name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(Host(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> ReadHost(const char* name) const {
        std::ifstream in(Host(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void UseFiles(TBlowFish& cipher, TCipherMode mode, const char* from, const char* to) {
        cipher.SetKey(kKey);
        cipher.SetIVector(kIv);
        cipher.SetCipherMode(mode);
        cipher.SetInputType(TSourceType::SourceFile);
        cipher.SetInputFilePath(Windows(from));
        cipher.SetOutputFilePath(Windows(to));
    }

    platform::ScopedTestPrefix prefix_;
    platform::ScopedFaults faults_;
};

// ECB and CBC round every 4,096-byte chunk up to whole blocks; only the last can be short.
std::size_t CipherSize(TCipherMode mode, std::size_t size) {
    return mode == TCipherMode::CFBMode ? size : (size + 7) / 8 * 8;
}

} // namespace

TEST_F(CryptoFile, RoundTripsInEveryMode) {
    const std::size_t sizes[] = {0, 1, 9, 4095, 4096, 4097, 3 * 4096, 2 * 4096 + 5};
    for (TCipherMode mode : {TCipherMode::ECBMode, TCipherMode::CBCMode, TCipherMode::CFBMode}) {
        for (std::size_t size : sizes) {
            const auto plain = SampleBytes(size);
            WriteHost("PLAIN.BIN", plain);

            TBlowFish encryptor;
            UseFiles(encryptor, mode, "PLAIN.BIN", "SECRET.BIN");
            encryptor.Encrypt(false);
            const auto secret = ReadHost("SECRET.BIN");
            ASSERT_EQ(secret.size(), CipherSize(mode, size)) << int(mode) << "/" << size;

            TBlowFish decryptor;
            UseFiles(decryptor, mode, "SECRET.BIN", "BACK.BIN");
            decryptor.Decrypt(false);
            auto back = ReadHost("BACK.BIN");
            ASSERT_EQ(back.size(), secret.size());
            EXPECT_TRUE(
                std::all_of(back.begin() + size, back.end(), [](auto b) { return b == 0; }));
            back.resize(size);
            EXPECT_EQ(back, plain) << "mode " << int(mode) << " size " << size;
        }
    }
}

TEST_F(CryptoFile, ChainsAcrossChunksLikeOneByteArrayRun) {
    // The key schedule and the chaining value are set up once for the whole file.
    for (TCipherMode mode : {TCipherMode::CBCMode, TCipherMode::CFBMode}) {
        const auto plain = SampleBytes(2 * 4096 + 24);
        WriteHost("PLAIN.BIN", plain);
        TBlowFish fileCipher;
        UseFiles(fileCipher, mode, "PLAIN.BIN", "SECRET.BIN");
        fileCipher.Encrypt(false);

        TBlowFish bytesCipher;
        bytesCipher.SetKey(kKey);
        bytesCipher.SetIVector(kIv);
        bytesCipher.SetCipherMode(mode);
        bytesCipher.SetInputType(TSourceType::SourceByteArray);
        std::vector<std::uint8_t> expected(plain.size());
        for (std::size_t pos = 0; pos < plain.size(); pos += 4096) {
            const std::size_t length = std::min<std::size_t>(4096, plain.size() - pos);
            bytesCipher.SetInputLength(static_cast<std::uint16_t>(length));
            bytesCipher.SetSourceData(plain.data() + pos);
            bytesCipher.SetOutputData(expected.data() + pos);
            bytesCipher.Encrypt(pos != 0);
        }
        EXPECT_EQ(ReadHost("SECRET.BIN"), expected) << "mode " << int(mode);
    }
}

TEST_F(CryptoFile, AnExistingOutputIsTruncated) {
    WriteHost("SECRET.BIN", SampleBytes(10000));
    WriteHost("PLAIN.BIN", SampleBytes(16));
    TBlowFish cipher;
    UseFiles(cipher, TCipherMode::ECBMode, "PLAIN.BIN", "SECRET.BIN");
    cipher.Encrypt(false);
    EXPECT_EQ(ReadHost("SECRET.BIN").size(), 16u);
}

TEST_F(CryptoFile, AMissingInputRaisesAndCreatesNoOutput) {
    TBlowFish cipher;
    UseFiles(cipher, TCipherMode::CBCMode, "MISSING.BIN", "OUT.BIN");
    EXPECT_THROW(cipher.Decrypt(false), platform::PlatformError);
    EXPECT_FALSE(fs::exists(Host("OUT.BIN")));
}

TEST_F(CryptoFile, TheSameFileForInputAndOutputIsRefusedUntouched) {
    const auto plain = SampleBytes(100);
    WriteHost("DATA.BIN", plain);
    TBlowFish cipher;
    for (const char* sameFile : {"DATA.BIN", "data.bin", "..\\CRYPT\\.\\Data.Bin"}) {
        UseFiles(cipher, TCipherMode::ECBMode, "DATA.BIN", sameFile);
        try {
            cipher.Encrypt(false);
            ADD_FAILURE() << sameFile << " was accepted";
        } catch (const platform::PlatformError& e) {
            EXPECT_EQ(e.Code(), platform::kErrorSharingViolation) << sameFile;
        }
        EXPECT_EQ(ReadHost("DATA.BIN"), plain) << sameFile;
    }
}

TEST_F(CryptoFile, AFailedWriteRaisesInsteadOfStoppingQuietly) {
    WriteHost("PLAIN.BIN", SampleBytes(3 * 4096));
    platform::InjectFault(platform::FaultKind::Write, {.nth = 2, .persistent = true});
    TBlowFish cipher;
    UseFiles(cipher, TCipherMode::CBCMode, "PLAIN.BIN", "SECRET.BIN");
    EXPECT_THROW(cipher.Encrypt(false), platform::EWriteError);
}
