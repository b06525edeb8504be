// StreamIO.cpp - little-endian primitives over platform streams.
#include "archive/StreamIO.h"

#include "archive/Exceptions.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"

namespace vexo::archive {

std::int32_t GetInt32At(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

void PutInt32At(std::uint8_t* p, std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t ReadInt32(platform::Stream& s) {
    std::uint8_t b[4];
    s.ReadBuffer(b, 4);
    return GetInt32At(b);
}

void WriteInt32(platform::Stream& s, std::int32_t value) {
    std::uint8_t b[4];
    PutInt32At(b, value);
    s.WriteBuffer(b, 4);
}

std::int16_t ReadWord(platform::Stream& s) {
    std::uint8_t b[2];
    s.ReadBuffer(b, 2);
    return static_cast<std::int16_t>(b[0] | b[1] << 8);
}

void WriteWord(platform::Stream& s, std::int16_t value) {
    auto u = static_cast<std::uint16_t>(value);
    std::uint8_t b[2] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8)};
    s.WriteBuffer(b, 2);
}

std::uint8_t ReadByte(platform::Stream& s) {
    std::uint8_t b = 0;
    s.ReadBuffer(&b, 1);
    return b;
}

void WriteByte(platform::Stream& s, std::uint8_t value) {
    s.WriteBuffer(&value, 1);
}

ExtendedBytes ReadExtended(platform::Stream& s) {
    ExtendedBytes b{};
    s.ReadBuffer(b.data(), b.size());
    return b;
}

void WriteExtended(platform::Stream& s, const ExtendedBytes& value) {
    s.WriteBuffer(value.data(), value.size());
}

std::string ReadLongString(platform::Stream& s, std::string_view /*what*/) {
    std::int32_t n = ReadInt32(s);
    // A length the rest of the stream cannot hold is a file shorter than its field: the read
    // error it would end in, raised before a huge length turns into a huge allocation.
    if (n < 0 || n > s.Size() - s.Position()) throw platform::EReadError();
    std::string value(static_cast<std::size_t>(n), '\0');
    if (n > 0) s.ReadBuffer(value.data(), value.size());
    return value;
}

void WriteLongString(platform::Stream& s, std::string_view value) {
    WriteInt32(s, static_cast<std::int32_t>(value.size()));
    if (!value.empty()) s.WriteBuffer(value.data(), value.size());
}

} // namespace vexo::archive
