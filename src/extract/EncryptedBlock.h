// EncryptedBlock.h - the payload of a block of an encrypted entry: Blowfish ECB ciphertext of
// the plain payload zero-padded to whole blocks, then one clear byte counting the padding.
#pragma once

#include "extract/Crypto.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vexo::extract {

/// Why a payload cannot be an encrypted payload. Every reason other than None is a damaged
/// block: the extractor rejects it exactly like a checksum mismatch (for an encrypted entry,
/// EArchiverBadKey with the BadKey text) and goes on with its per-entry error handling.
enum class PayloadDamage : std::uint8_t {
    None,
    NoPadCount,       // the payload is empty: not even the pad-count byte is there
    EmptyCiphertext,  // only the pad-count byte
    RaggedCiphertext, // ciphertext not a whole number of cipher blocks
    PadCountTooLarge, // pad count of a whole block or more, or more than the ciphertext
};

struct DecodedPayload {
    PayloadDamage damage = PayloadDamage::None;
    std::size_t plainLength = 0; // valid when damage is None
    bool Damaged() const { return damage != PayloadDamage::None; }
};

/// Checks the layout of `payload` without touching the cipher.
PayloadDamage CheckEncryptedPayload(std::span<const std::uint8_t> payload,
                                    std::size_t cipherBlockSize);

/// Decrypts `payload` in place with `key` in ECB mode and returns the plain length: the first
/// plainLength bytes of `payload` are then the plain payload. The key schedule is set up for
/// `key` for every payload (the cipher keeps the tables when `key` is the one they were already
/// expanded from). A damaged payload is reported before the cipher runs and leaves the
/// bytes untouched; nothing outside `payload` is ever read or written.
/// The cipher is switched to byte-array input and ECB mode.
DecodedPayload DecodeEncryptedPayload(TCrypto& cipher, std::string_view key,
                                      std::span<std::uint8_t> payload);

/// The writing side: `plain` padded with zero bytes to whole blocks, encrypted with `key` in
/// ECB mode, followed by the pad count, so DecodeEncryptedPayload gives `plain` back.
/// Raises std::invalid_argument for an empty `plain` (it has no valid encrypted form).
std::vector<std::uint8_t> EncodeEncryptedPayload(TCrypto& cipher, std::string_view key,
                                                 std::span<const std::uint8_t> plain);

} // namespace vexo::extract
