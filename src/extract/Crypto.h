// Crypto.h - TCrypto: a block-cipher engine with ECB, CBC and CFB over byte arrays and files.
//
// A concrete cipher supplies EncipherBlock, DecipherBlock and SetupKey; this class chains the
// blocks. Byte-array input goes through the 4,096-byte DataBuffer, so the output may overlap
// the input (the extractor decrypts a block buffer in place).
#pragma once

#include "extract/SecureWipe.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexo::extract {

enum class TSourceType : std::uint8_t { SourceFile = 0, SourceByteArray = 1, SourceString = 2 };
enum class TCipherMode : std::uint8_t { ECBMode = 0, CBCMode = 1, CFBMode = 2 };

class TCrypto {
  public:
    static constexpr std::size_t kDataBufferSize = 4096;

    virtual ~TCrypto();
    TCrypto(const TCrypto&) = delete;
    TCrypto& operator=(const TCrypto&) = delete;

    // Published properties.
    /// Write-only key text; the previous text is wiped.
    void SetKey(std::string_view key) { key_.Assign(key); }
    TSourceType InputType() const { return inputType_; }
    void SetInputType(TSourceType type) { inputType_ = type; }
    const std::string& InputFilePath() const { return inputFilePath_; }
    void SetInputFilePath(std::string path) { inputFilePath_ = std::move(path); }
    const std::string& OutputFilePath() const { return outputFilePath_; }
    void SetOutputFilePath(std::string path) { outputFilePath_ = std::move(path); }
    /// Accepted and kept, but Encrypt and Decrypt do nothing for SourceString.
    const std::string& InputString() const { return inputString_; }
    void SetInputString(std::string text) { inputString_ = std::move(text); }
    /// Byte-array input length; after an ECB or CBC call it is the number of bytes produced
    /// (grown to whole blocks).
    std::uint16_t InputLength() const { return inputLength_; }
    void SetInputLength(std::uint16_t length) { inputLength_ = length; }
    TCipherMode CipherMode() const { return cipherMode_; }
    void SetCipherMode(TCipherMode mode) { cipherMode_ = mode; }
    const std::string& IVector() const { return iVector_; }
    void SetIVector(std::string iv) { iVector_ = std::move(iv); }

    std::uint8_t CipherBlockSize() const { return blockSize_; }

    /// Byte-array input: InputLength bytes are read from SourceData.
    void SetSourceData(const std::uint8_t* data) { sourceData_ = data; }
    /// Byte-array output: receives InputLength bytes, rounded up to whole blocks in ECB and
    /// CBC, so it must have room for that many. It may be the same memory as SourceData.
    void SetOutputData(std::uint8_t* data) { outputData_ = data; }

    /// Reuse false: SetupKey, and for CBC and CFB LoadIVector. Reuse true: nothing, so the key
    /// schedule and chaining value of the previous call go on.
    void Prepare(bool reuse);
    /// Prepare(reuse), then decrypts the input named by InputType.
    /// Raises std::invalid_argument for a byte array longer than DataBuffer or without its
    /// pointers, and the platform's I/O exceptions in file mode.
    void Decrypt(bool reuse);
    /// The encrypting counterpart of Decrypt.
    void Encrypt(bool reuse);

    /// A fresh IVector of CipherBlockSize characters from '!' to '}', seeded from the clock.
    void MakeIVector();
    /// MakeIVector when IVector is empty, then loads its first CipherBlockSize characters into
    /// the feedback register. Raises std::invalid_argument when IVector is shorter than a block.
    void LoadIVector();

    /// The chaining value (empty until LoadIVector first runs).
    std::span<const std::uint8_t> FeedbackRegister() const { return feedback_; }
    /// The block the cipher works on in place.
    std::span<std::uint8_t> WorkBlock() { return workBlock_; }

    virtual void EncipherBlock() = 0;
    virtual void DecipherBlock() = 0;
    virtual void SetupKey() = 0;
    /// ECB over `data` in place, straight through the cipher: no DataBuffer, no length limit,
    /// no Prepare (the key schedule is used as it stands), InputLength untouched. The bytes are
    /// those the byte-array ECB run gives. Raises std::invalid_argument unless `data` is a whole
    /// number of cipher blocks. This default runs EncipherBlock through WorkBlock per block; a
    /// cipher may override it with a faster loop.
    virtual void EncryptEcbSpan(std::span<std::uint8_t> data);
    /// The decrypting counterpart of EncryptEcbSpan.
    virtual void DecryptEcbSpan(std::span<std::uint8_t> data);
    /// Runs the mode's encrypting routine over InputLength bytes of DataBuffer, in place.
    virtual void EncryptData();
    /// Runs the mode's decrypting routine over InputLength bytes of DataBuffer, in place.
    virtual void DecryptData();

  protected:
    explicit TCrypto(std::uint8_t cipherBlockSize);

    const SecretText& KeyText() const { return key_; }
    SecretText& KeyText() { return key_; }

  private:
    void PadToWholeBlocks();
    void EncryptEcb();
    void DecryptEcb();
    void EncryptCbc();
    void DecryptCbc();
    void CfbRun(bool encrypt);

    void RunByteArray(bool encrypt);
    void RunFile(bool encrypt);

    std::uint8_t blockSize_;
    SecretText key_;
    TSourceType inputType_ = TSourceType::SourceFile;
    std::string inputFilePath_;
    std::string outputFilePath_;
    std::string inputString_;
    std::uint16_t inputLength_ = 0;
    TCipherMode cipherMode_ = TCipherMode::ECBMode;
    std::string iVector_;

    const std::uint8_t* sourceData_ = nullptr;
    std::uint8_t* outputData_ = nullptr;
    std::array<std::uint8_t, kDataBufferSize> dataBuffer_{};
    std::vector<std::uint8_t> workBlock_;
    std::vector<std::uint8_t> feedback_; // allocated by the first LoadIVector
};

} // namespace vexo::extract
