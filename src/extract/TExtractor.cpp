// TExtractor.cpp - the extractor with the built-in block transformations: zlib decompression
// and Blowfish decryption of encrypted payloads.
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "extract/Extractor.h"
#include "extract/Inflate.h"

#include <cstring>
#include <span>

namespace vexo::extract {

TExtractor::TExtractor()
    : cipher_(std::make_unique<TBlowFish>()), inflater_(std::make_unique<Inflater>()) {
    cipher_->SetInputType(TSourceType::SourceByteArray);
    cipher_->SetCipherMode(TCipherMode::ECBMode);
}

TExtractor::~TExtractor() = default;

std::size_t TExtractor::GetBufferSize() const {
    std::size_t b = TArchiverRoot::GetBufferSize();
    return b + b / 100;
}

bool TExtractor::UncompressBlock(std::uint8_t* destBlock, int& destSize,
                                 const std::uint8_t* srcBlock, int srcSize) {
    if (OnUncompressBlock) return OnUncompressBlock(*this, destBlock, destSize, srcBlock, srcSize);
    if (destSize < 0 || srcSize < 0) return false;
    auto decoded = inflater_->Inflate(destBlock, static_cast<std::size_t>(destSize), srcBlock,
                                      static_cast<std::size_t>(srcSize));
    if (!decoded) return false;
    destSize = static_cast<int>(*decoded);
    return true;
}

bool TExtractor::CanDecodeAhead(bool& decrypt) const {
    decrypt = !OnDecryptBlock;
    return !OnUncompressBlock;
}

void TExtractor::DecryptBlock(std::uint8_t* destBlock, const std::uint8_t* srcBlock, int& destSize,
                              int srcSize) {
    if (OnDecryptBlock) {
        OnDecryptBlock(*this, destBlock, srcBlock, destSize, srcSize);
        return;
    }
    if (srcSize < 0) {
        destSize = -1;
        return;
    }
    if (destBlock != srcBlock) std::memmove(destBlock, srcBlock, static_cast<std::size_t>(srcSize));
    DecodedPayload result = DecodeEncryptedPayload(
        *cipher_, key_, std::span<std::uint8_t>(destBlock, static_cast<std::size_t>(srcSize)));
    // A damaged payload is reported as an impossible length; the caller rejects the block.
    destSize = result.Damaged() ? -1 : static_cast<int>(result.plainLength);
}

} // namespace vexo::extract
