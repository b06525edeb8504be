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
        const std::size_t len = DecodeUtf8(utf8, i, cp);
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
