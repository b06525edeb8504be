// DisplayText.cpp - the visible escape of control characters in printed names.
#include "platform/DisplayText.h"

#include "platform/Encoding.h"

#include <cstdint>

namespace vexo::platform {
namespace {

void AppendEscape(std::string& out, unsigned value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '<';
    out += kHex[(value >> 4) & 0xF];
    out += kHex[value & 0xF];
    out += '>';
}

bool IsControl(unsigned value) {
    return value < 0x20 || value == 0x7F || (value >= 0x80 && value <= 0x9F);
}

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when it is not one.
std::size_t Utf8Sequence(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    const std::size_t len = b >= 0xF0 && b < 0xF5   ? 4
                            : b >= 0xE0 && b < 0xF0 ? 3
                            : b >= 0xC2 && b < 0xE0 ? 2
                                                    : 0;
    if (len == 0 || i + len > s.size()) return 0;
    cp = len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<std::uint8_t>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::string DisplayText(std::string_view cp1252) {
    std::string escaped;
    escaped.reserve(cp1252.size());
    for (char ch : cp1252) {
        const auto b = static_cast<std::uint8_t>(ch);
        const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (b < 0x20 || b == 0x7F || unassigned || ch == '<')
            AppendEscape(escaped, b);
        else
            escaped += ch;
    }
    return Cp1252ToUtf8(escaped);
}

std::string DisplayMessage(std::string_view cp1252, std::string_view lineBreak) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t end = cp1252.find("\r\n", at);
        out += DisplayText(cp1252.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) return out;
        out += lineBreak;
        at = end + 2;
    }
}

std::string DisplayUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<std::uint8_t>(utf8[i]);
        if (b < 0x80) {
            if (IsControl(b) || utf8[i] == '<')
                AppendEscape(out, b);
            else
                out += utf8[i];
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = Utf8Sequence(utf8, i, cp);
        if (len == 0 || IsControl(cp)) {
            AppendEscape(out, len == 0 ? b : static_cast<unsigned>(cp));
            i += len == 0 ? 1 : len;
            continue;
        }
        out.append(utf8.substr(i, len));
        i += len;
    }
    return out;
}

} // namespace vexo::platform
