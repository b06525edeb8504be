// PayloadEncryptor.h - the writing side of encrypted entries, handed to the archive writer
// (the archive layer has no cipher of its own).
#pragma once

#include "archive/ArchiveWriter.h"

#include <string_view>

namespace vexo::extract {

/// Whether the cipher uses `key` (Windows-1252 bytes): keys shorter or longer than the cipher
/// accepts are silently replaced by no key at all, which would leave entries readable by
/// anyone.
bool IsEffectiveCipherKey(std::string_view key);

/// A payload encoder that encrypts block payloads with `key` the way the extractor decrypts
/// them. Raises std::invalid_argument for a key the cipher would ignore. The encoder keeps
/// its own copy of the key, wiped when the last copy of the encoder goes.
archive::PayloadEncoder MakePayloadEncryptor(std::string_view key);

} // namespace vexo::extract
