// PayloadEncryptor.cpp - Blowfish ECB payloads for the archive writer.
#include "extract/PayloadEncryptor.h"

#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "extract/SecureWipe.h"

#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace vexo::extract {
namespace {

// A cipher keeps its state between calls, so concurrent calls each take one of their own;
// idle ones are kept to spare the key schedule per block.
struct EncryptorState {
    std::mutex mutex;
    std::vector<std::unique_ptr<TBlowFish>> idle;
    SecretText key;

    std::unique_ptr<TBlowFish> Take() {
        std::lock_guard lock(mutex);
        if (idle.empty()) return std::make_unique<TBlowFish>();
        auto cipher = std::move(idle.back());
        idle.pop_back();
        return cipher;
    }
    void Give(std::unique_ptr<TBlowFish> cipher) {
        std::lock_guard lock(mutex);
        idle.push_back(std::move(cipher));
    }
};

} // namespace

bool IsEffectiveCipherKey(std::string_view key) {
    return key.size() >= TBlowFish::kMinKeyLength && key.size() <= TBlowFish::kMaxKeyLength;
}

archive::PayloadEncoder MakePayloadEncryptor(std::string_view key) {
    if (!IsEffectiveCipherKey(key))
        throw std::invalid_argument("the cipher ignores keys shorter than 8 or longer than 65 "
                                    "characters");
    // std::function needs a copyable target: the copies share the ciphers and one key.
    auto state = std::make_shared<EncryptorState>();
    state->key.Assign(key);
    return [state](std::span<const std::uint8_t> plain) {
        std::unique_ptr<TBlowFish> cipher = state->Take();
        auto payload = EncodeEncryptedPayload(*cipher, state->key.View(), plain);
        state->Give(std::move(cipher));
        return payload;
    };
}

} // namespace vexo::extract
