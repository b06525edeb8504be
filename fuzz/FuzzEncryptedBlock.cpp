// FuzzEncryptedBlock.cpp - the decoder of encrypted block payloads. Input: one byte giving the
// key's length (0..70, so keys the cipher clears are reached too), the key, then the payload.
// Besides not crashing: a damaged payload is left untouched, a sound one decodes to no more
// than its ciphertext, and encoding any non-empty payload decodes back to it.
#include "FuzzSupport.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

using namespace vexo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t keyLength = std::min<std::size_t>(data[0] % 71, size - 1);
    const std::string key(reinterpret_cast<const char*>(data + 1), keyLength);
    const std::vector<std::uint8_t> original(data + 1 + keyLength, data + size);

    static extract::TBlowFish cipher;
    std::vector<std::uint8_t> payload = original;
    const extract::DecodedPayload decoded = extract::DecodeEncryptedPayload(cipher, key, payload);
    if (decoded.Damaged()) {
        if (payload != original) __builtin_trap();
    } else if (decoded.plainLength + 1 > payload.size()) {
        __builtin_trap();
    }

    if (!original.empty()) {
        std::vector<std::uint8_t> sealed = extract::EncodeEncryptedPayload(cipher, key, original);
        const extract::DecodedPayload back = extract::DecodeEncryptedPayload(cipher, key, sealed);
        if (back.Damaged() || back.plainLength != original.size() ||
            !std::equal(original.begin(), original.end(), sealed.begin()))
            __builtin_trap();
    }
    return 0;
}
