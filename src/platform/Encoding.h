// Encoding.h - the one conversion point between Windows-1252 and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vexo::platform {

/// Converts Windows-1252 bytes to UTF-8. The five undefined bytes map to U+FFFD.
std::string Cp1252ToUtf8(std::string_view text);

/// Converts UTF-8 to Windows-1252. Characters without a Windows-1252 form become '?'.
/// Bytes that are not valid UTF-8 are taken as Windows-1252 already.
std::string Utf8ToCp1252(std::string_view text);

/// Decodes the UTF-8 sequence at s[i] into `cp`. \returns its length, or 0 when the bytes there
/// are not valid UTF-8 (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp);

/// Upper-cases the ASCII letters only, as the system compares file names.
std::string UpperAscii(std::string_view text);

/// Upper-cases a Windows-1252 file name as Windows compares file names: accented letters
/// fold as ASCII ones do ("á" and "Á" are one name); "ß" and "µ" have no capital here.
std::string FoldFileNameCase(std::string_view cp1252);

/// Case-insensitive comparison on ASCII letters.
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

} // namespace vexo::platform

/// Source files are UTF-8; the system's texts are Windows-1252 at run time. Write them as
/// W1252("Instalación") so the conversion happens in one place.
#define W1252(utf8_literal) (::vexo::platform::Utf8ToCp1252(utf8_literal))
