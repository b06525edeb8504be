// RawControl.h - finds what a terminal would act on in printed text, for tests of escaping.
#pragma once

#include <string>

namespace vexo::test {

/// Where `utf8` holds a byte a terminal acts on instead of showing (C0 controls but the line
/// feed that ends a line, DEL, U+0080-U+009F); npos when it holds none.
inline std::size_t RawControl(const std::string& utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F) return i;
        if (c == 0xC2 && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xE0) == 0x80)
            return i;
    }
    return std::string::npos;
}

} // namespace vexo::test
