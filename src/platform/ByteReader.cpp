// ByteReader.cpp - UTF-16LE strings from untrusted bytes.
#include "platform/ByteReader.h"

namespace vexo::platform::detail {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {
std::string DecodeUnits(const ByteReader& r, std::size_t offset, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t u = *r.U16(offset + 2 * i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
            char32_t lo = *r.U16(offset + 2 * (i + 1));
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
    }
    return out;
}
} // namespace

std::optional<std::string> ByteReader::WString(std::size_t offset, std::size_t* end) const {
    for (std::size_t i = offset; Has(i, 2); i += 2) {
        if (data_[i] == 0 && data_[i + 1] == 0) {
            if (end) *end = i + 2;
            return DecodeUnits(*this, offset, (i - offset) / 2);
        }
    }
    return std::nullopt;
}

std::optional<std::string> ByteReader::WChars(std::size_t offset, std::size_t count) const {
    if (count > size_ / 2 || !Has(offset, count * 2)) return std::nullopt;
    return DecodeUnits(*this, offset, count);
}

} // namespace vexo::platform::detail
