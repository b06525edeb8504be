// Json.h - the JSON string literal the command-line tools print.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vexo::tools {

/// A JSON string literal of UTF-8 text: quotes, backslashes and control characters escaped.
/// DEL and the C1 controls (U+0080-U+009F) are escaped too ("\u001b", "\u0085"): JSON allows
/// them raw, but a reader printing the document to a terminal must not have them acted on.
inline std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    auto escape = [&out](unsigned code) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", code);
        out += buf;
    };
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char ch = utf8[i];
        auto c = static_cast<unsigned char>(ch);
        // U+0080-U+009F: C2 80 .. C2 9F.
        if (c == 0xC2 && i + 1 < utf8.size()) {
            auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                escape(next);
                ++i;
                continue;
            }
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                escape(c);
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

} // namespace vexo::tools
