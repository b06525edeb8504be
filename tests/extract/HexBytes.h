// HexBytes.h - hex text to bytes and back, for readable cipher test tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::extract::test {

inline std::vector<std::uint8_t> FromHex(std::string_view hex) {
    auto nibble = [](char c) -> std::uint8_t {
        if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
        if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
        return static_cast<std::uint8_t>(c - 'a' + 10);
    };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    return bytes;
}

inline std::string ToHex(const std::uint8_t* data, std::size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 0xF];
    }
    return hex;
}

inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

/// Bytes 0, 1, 2, ... scrambled a little so blocks differ.
inline std::vector<std::uint8_t> SampleBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + (i >> 8) * 11 + 5);
    return bytes;
}

} // namespace vexo::extract::test
