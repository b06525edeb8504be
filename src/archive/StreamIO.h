// StreamIO.h - the integer and string primitives the container is read and written with.
#pragma once

#include "archive/Extended.h"
#include "platform/Stream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vexo::archive {

// All raise the stream's read or write error when fewer bytes move than asked.
std::int32_t ReadInt32(platform::Stream& s);
void WriteInt32(platform::Stream& s, std::int32_t value);
std::int16_t ReadWord(platform::Stream& s);
void WriteWord(platform::Stream& s, std::int16_t value);
std::uint8_t ReadByte(platform::Stream& s);
void WriteByte(platform::Stream& s, std::uint8_t value);
ExtendedBytes ReadExtended(platform::Stream& s);
void WriteExtended(platform::Stream& s, const ExtendedBytes& value);

/// int32 byte count, then the bytes. A count that is negative or larger than what remains in
/// the stream raises the stream's read error before anything is allocated (`what` names the
/// field for readers of the call).
std::string ReadLongString(platform::Stream& s, std::string_view what = "texto");
void WriteLongString(platform::Stream& s, std::string_view value);

/// Little-endian helpers over byte areas (application area, user data).
std::int32_t GetInt32At(const std::uint8_t* p);
void PutInt32At(std::uint8_t* p, std::int32_t value);

} // namespace vexo::archive
