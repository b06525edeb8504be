// ProfileText.cpp - private-profile (INI) text read with GetPrivateProfileStringA's rules.
//
// Our own reader because the common INI libraries cut inline comments, keep quotes, split at
// ':' and join indented lines, none of which the Windows call does.
#include "platform/Encoding.h"
#include "platform/Shell.h"

#include <vector>

namespace vexo::platform {
namespace {

bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsProfileSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsProfileSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// UTF-16LE with its mark becomes Windows-1252 like any other text the call returns.
std::string FromUtf16Le(std::string_view bytes) {
    std::string utf8;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        if (cp < 0x80) {
            utf8 += static_cast<char>(cp);
        } else if (cp < 0x800) {
            utf8 += static_cast<char>(0xC0 | (cp >> 6));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (cp >> 12));
            utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return Utf8ToCp1252(utf8);
}

std::string DefaultValue(std::string_view def) {
    while (def.size() > 1 && def.back() == ' ')
        def.remove_suffix(1);
    return std::string(def);
}

} // namespace

std::string ProfileStringFromText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view def) {
    std::string converted;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        converted = Utf8ToCp1252(text.substr(3));
        text = converted;
    } else if (text.size() >= 2 && text.substr(0, 2) == "\xFF\xFE") {
        converted = FromUtf16Le(text.substr(2));
        text = converted;
    }
    section = Trim(section);
    key = Trim(key);
    if (key.empty()) return DefaultValue(def);

    bool inSection = false, sectionSeen = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                if (inSection) break; // only the first matching section is searched
                inSection =
                    !sectionSeen && EqualsIgnoreCaseAscii(line.substr(1, close - 1), section);
                sectionSeen = sectionSeen || inSection;
                continue;
            }
        }
        if (!inSection) continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (!EqualsIgnoreCaseAscii(Trim(line.substr(0, eq)), key)) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return DefaultValue(def);
}

} // namespace vexo::platform
