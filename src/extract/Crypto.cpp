// Crypto.cpp - the chaining modes and the byte-array and file drivers of TCrypto.
#include "extract/Crypto.h"

#include "archive/Exceptions.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Interrupt.h"
#include "platform/ReplacingFile.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <stdexcept>

namespace vexo::extract {

TCrypto::TCrypto(std::uint8_t cipherBlockSize)
    : blockSize_(cipherBlockSize), workBlock_(cipherBlockSize) {
    if (cipherBlockSize == 0 || kDataBufferSize % cipherBlockSize != 0)
        throw std::invalid_argument("cipher block size must divide the data buffer");
}

TCrypto::~TCrypto() {
    // The key text wipes itself; the buffers may still hold plain text or chaining values.
    SecureWipe(dataBuffer_.data(), dataBuffer_.size());
    SecureWipe(workBlock_.data(), workBlock_.size());
    SecureWipe(feedback_.data(), feedback_.size());
}

void TCrypto::Prepare(bool reuse) {
    if (reuse) return;
    SetupKey();
    if (cipherMode_ != TCipherMode::ECBMode) LoadIVector();
}

void TCrypto::Decrypt(bool reuse) {
    Prepare(reuse);
    if (inputType_ == TSourceType::SourceFile)
        RunFile(false);
    else if (inputType_ == TSourceType::SourceByteArray)
        RunByteArray(false);
}

void TCrypto::Encrypt(bool reuse) {
    Prepare(reuse);
    if (inputType_ == TSourceType::SourceFile)
        RunFile(true);
    else if (inputType_ == TSourceType::SourceByteArray)
        RunByteArray(true);
}

void TCrypto::MakeIVector() {
    const auto seed = std::chrono::system_clock::now().time_since_epoch().count();
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    std::uniform_int_distribution<int> pick(0, 92);
    std::string iv(blockSize_, '\0');
    for (char& c : iv)
        c = static_cast<char>(33 + pick(random));
    iVector_ = std::move(iv);
}

void TCrypto::LoadIVector() {
    if (iVector_.empty()) MakeIVector();
    // A short vector would leave part of the register undefined; refuse it rather than guess.
    if (iVector_.size() < blockSize_)
        throw std::invalid_argument("IVector is shorter than the cipher block");
    feedback_.resize(blockSize_);
    std::memcpy(feedback_.data(), iVector_.data(), blockSize_);
}

void TCrypto::EncryptData() {
    switch (cipherMode_) {
    case TCipherMode::ECBMode:
        EncryptEcb();
        break;
    case TCipherMode::CBCMode:
        EncryptCbc();
        break;
    case TCipherMode::CFBMode:
        CfbRun(true);
        break;
    }
}

void TCrypto::DecryptData() {
    switch (cipherMode_) {
    case TCipherMode::ECBMode:
        DecryptEcb();
        break;
    case TCipherMode::CBCMode:
        DecryptCbc();
        break;
    case TCipherMode::CFBMode:
        CfbRun(false);
        break;
    }
}

// Zero bytes up to a whole number of blocks; InputLength grows with them.
void TCrypto::PadToWholeBlocks() {
    if (inputLength_ > kDataBufferSize)
        throw std::invalid_argument("input length exceeds the data buffer");
    const std::size_t length = inputLength_;
    const std::size_t padded = (length + blockSize_ - 1) / blockSize_ * blockSize_;
    std::fill(dataBuffer_.begin() + length, dataBuffer_.begin() + padded, std::uint8_t{0});
    inputLength_ = static_cast<std::uint16_t>(padded);
}

void TCrypto::EncryptEcb() {
    PadToWholeBlocks();
    for (std::size_t pos = 0; pos < inputLength_; pos += blockSize_) {
        std::memcpy(workBlock_.data(), dataBuffer_.data() + pos, blockSize_);
        EncipherBlock();
        std::memcpy(dataBuffer_.data() + pos, workBlock_.data(), blockSize_);
    }
}

void TCrypto::DecryptEcb() {
    PadToWholeBlocks();
    for (std::size_t pos = 0; pos < inputLength_; pos += blockSize_) {
        std::memcpy(workBlock_.data(), dataBuffer_.data() + pos, blockSize_);
        DecipherBlock();
        std::memcpy(dataBuffer_.data() + pos, workBlock_.data(), blockSize_);
    }
}

void TCrypto::EncryptEcbSpan(std::span<std::uint8_t> data) {
    if (data.size() % blockSize_ != 0)
        throw std::invalid_argument("ECB span is not a whole number of cipher blocks");
    for (std::size_t pos = 0; pos < data.size(); pos += blockSize_) {
        std::memcpy(workBlock_.data(), data.data() + pos, blockSize_);
        EncipherBlock();
        std::memcpy(data.data() + pos, workBlock_.data(), blockSize_);
    }
}

void TCrypto::DecryptEcbSpan(std::span<std::uint8_t> data) {
    if (data.size() % blockSize_ != 0)
        throw std::invalid_argument("ECB span is not a whole number of cipher blocks");
    for (std::size_t pos = 0; pos < data.size(); pos += blockSize_) {
        std::memcpy(workBlock_.data(), data.data() + pos, blockSize_);
        DecipherBlock();
        std::memcpy(data.data() + pos, workBlock_.data(), blockSize_);
    }
}

void TCrypto::EncryptCbc() {
    PadToWholeBlocks();
    if (feedback_.empty() && inputLength_ > 0)
        LoadIVector(); // reuse requested before any chaining value was set up
    for (std::size_t pos = 0; pos < inputLength_; pos += blockSize_) {
        std::uint8_t* block = dataBuffer_.data() + pos;
        for (std::size_t i = 0; i < blockSize_; ++i)
            workBlock_[i] = block[i] ^ feedback_[i];
        EncipherBlock();
        std::memcpy(feedback_.data(), workBlock_.data(), blockSize_);
        std::memcpy(block, workBlock_.data(), blockSize_);
    }
}

void TCrypto::DecryptCbc() {
    PadToWholeBlocks();
    if (feedback_.empty() && inputLength_ > 0) LoadIVector();
    for (std::size_t pos = 0; pos < inputLength_; pos += blockSize_) {
        std::uint8_t* block = dataBuffer_.data() + pos;
        std::memcpy(workBlock_.data(), block, blockSize_);
        DecipherBlock();
        for (std::size_t i = 0; i < blockSize_; ++i) {
            const std::uint8_t cipherByte = block[i];
            block[i] = workBlock_[i] ^ feedback_[i];
            feedback_[i] = cipherByte;
        }
    }
}

// CFB on segments of up to one block; the register is always fed with the ciphertext. A short
// final segment shifts the register left by its length and appends its ciphertext.
void TCrypto::CfbRun(bool encrypt) {
    if (inputLength_ > kDataBufferSize)
        throw std::invalid_argument("input length exceeds the data buffer");
    if (feedback_.empty() && inputLength_ > 0) LoadIVector();
    std::vector<std::uint8_t> cipherBytes(blockSize_);
    for (std::size_t pos = 0; pos < inputLength_;) {
        const std::size_t length = std::min<std::size_t>(blockSize_, inputLength_ - pos);
        std::memcpy(workBlock_.data(), feedback_.data(), blockSize_);
        EncipherBlock();
        std::uint8_t* segment = dataBuffer_.data() + pos;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t in = segment[i];
            segment[i] = in ^ workBlock_[i];
            cipherBytes[i] = encrypt ? segment[i] : in;
        }
        std::memmove(feedback_.data(), feedback_.data() + length, blockSize_ - length);
        std::memcpy(feedback_.data() + (blockSize_ - length), cipherBytes.data(), length);
        pos += length;
    }
    SecureWipe(cipherBytes.data(), cipherBytes.size());
}

void TCrypto::RunByteArray(bool encrypt) {
    if (inputLength_ > kDataBufferSize)
        throw std::invalid_argument("byte-array input longer than the data buffer");
    if (inputLength_ == 0) return;
    if (sourceData_ == nullptr || outputData_ == nullptr)
        throw std::invalid_argument("byte-array input without source or output");
    // Through DataBuffer, so OutputData may be the same memory as SourceData.
    std::memcpy(dataBuffer_.data(), sourceData_, inputLength_);
    if (encrypt)
        EncryptData();
    else
        DecryptData();
    std::memcpy(outputData_, dataBuffer_.data(), inputLength_);
}

void TCrypto::RunFile(bool encrypt) {
    // Writers are shut out of the input, so an output path naming the same file, however
    // spelt, fails its trial open before any work, as does a read-only output.
    auto input = platform::OpenFile(inputFilePath_, platform::OpenMode::ReadDenyWrite);
    if (platform::FileExists(outputFilePath_) && !platform::IsLink(outputFilePath_))
        platform::OpenFile(outputFilePath_, platform::OpenMode::ReadWrite).reset();
    // The output is written beside its name and put in its place whole: a failure or a stop
    // request leaves the previous file as it was.
    platform::ReplacingFile replacing(outputFilePath_);
    platform::Stream* output = &replacing.Stream();
    for (;;) {
        // A stop request ends the run as a cancel does, the temporary file removed.
        if (platform::InterruptRequested()) throw archive::EAbort();
        const std::size_t read = input->Read(dataBuffer_.data(), kDataBufferSize);
        if (read == 0) break;
        inputLength_ = static_cast<std::uint16_t>(read);
        if (encrypt)
            EncryptData();
        else
            DecryptData();
        // A short write is a failure (a full disk), not the end of the work.
        output->WriteBuffer(dataBuffer_.data(), inputLength_);
        if (read < kDataBufferSize) break;
    }
    if (!replacing.Commit()) {
        const int error = platform::LastError();
        throw platform::PlatformError(error, platform::SystemErrorMessage(error));
    }
}

} // namespace vexo::extract
