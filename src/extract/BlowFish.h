// BlowFish.h - TBlowFish: the Blowfish block cipher (64-bit blocks, 16 rounds) on TCrypto.
#pragma once

#include "extract/BlowFishTables.h"
#include "extract/Crypto.h"

#include <array>
#include <cstdint>
#include <memory>

namespace vexo::extract {

class TBlowFish final : public TCrypto {
  public:
    static constexpr std::uint8_t kBlockSize = 8;
    static constexpr std::size_t kMinKeyLength = 8;
    static constexpr std::size_t kMaxKeyLength = 65;

    /// Starts with the initial tables, so a block can be enciphered before any SetupKey.
    TBlowFish();
    ~TBlowFish() override;

    /// WorkBlock holds two big-endian 32-bit words, L then R.
    void EncipherBlock() override;
    void DecipherBlock() override;
    /// A key shorter than kMinKeyLength or longer than kMaxKeyLength is cleared (so it
    /// encrypts like no key at all); then InitTables and ExpandKey, unless the tables were
    /// already set up by SetupKey from this very key text (they would come out the same).
    void SetupKey() override;

    /// ECB over whole blocks in place, four blocks at a time straight on the tables; the same
    /// bytes as EncipherBlock/DecipherBlock block by block. WorkBlock is not used.
    void EncryptEcbSpan(std::span<std::uint8_t> data) override;
    void DecryptEcbSpan(std::span<std::uint8_t> data) override;

    /// Copies the standard initial P-array and S-boxes into the object's tables.
    void InitTables();
    /// Mixes the key into the P-array, then replaces P and the S-boxes by 521 successive
    /// encryptions. Does nothing for an empty key.
    void ExpandKey();

    const std::array<std::uint32_t, kBlowFishPWords>& PArray() const { return tables_->p; }
    const std::array<std::array<std::uint32_t, kBlowFishSBoxWords>, kBlowFishSBoxes>&
    SBoxes() const {
        return tables_->s;
    }

  private:
    struct Tables {
        std::array<std::uint32_t, kBlowFishPWords> p;
        std::array<std::array<std::uint32_t, kBlowFishSBoxWords>, kBlowFishSBoxes> s;
    };

    std::uint32_t F(std::uint32_t x) const;
    void Encipher(std::uint32_t& l, std::uint32_t& r) const;
    void Decipher(std::uint32_t& l, std::uint32_t& r) const;

    std::unique_ptr<Tables> tables_; // on the heap, wiped before release
    // The key text the tables were last set up from by SetupKey; only meaningful while
    // scheduleValid_ (InitTables or ExpandKey called on their own invalidate it).
    SecretText scheduleKey_;
    bool scheduleValid_ = false;
};

} // namespace vexo::extract
