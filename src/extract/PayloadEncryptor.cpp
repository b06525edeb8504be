// PayloadEncryptor.cpp - Blowfish ECB payloads for the archive writer.
#include "extract/PayloadEncryptor.h"

#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "extract/SecureWipe.h"

#include <memory>
#include <stdexcept>

namespace vexo::extract {
namespace {

struct EncryptorState {
    TBlowFish cipher;
    SecretText key;
};

} // namespace

bool IsEffectiveCipherKey(std::string_view key) {
    return key.size() >= TBlowFish::kMinKeyLength && key.size() <= TBlowFish::kMaxKeyLength;
}

archive::PayloadEncoder MakePayloadEncryptor(std::string_view key) {
    if (!IsEffectiveCipherKey(key))
        throw std::invalid_argument("the cipher ignores keys shorter than 8 or longer than 65 "
                                    "characters");
    // std::function needs a copyable target: the copies share one cipher and one key.
    auto state = std::make_shared<EncryptorState>();
    state->key.Assign(key);
    return [state](std::span<const std::uint8_t> plain) {
        return EncodeEncryptedPayload(state->cipher, state->key.View(), plain);
    };
}

} // namespace vexo::extract
