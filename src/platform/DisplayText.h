// DisplayText.h - names and texts made safe to print: control characters shown, never sent.
#pragma once

#include <string>
#include <string_view>

namespace vexo::platform {

/// Windows-1252 text (a stored name, or a message that holds one) as UTF-8 for a terminal or
/// a log. The bytes that would drive a terminal instead of showing - 0x00-0x1F, 0x7F and the
/// five bytes Windows-1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) - are shown as
/// their value in two upper-case hexadecimal digits between angle brackets ("<1B>" for ESC),
/// and a "<" of the text as "<3C>", so every "<" printed starts an escape. A Windows name
/// cannot hold "<" or ">", and a backslash stays a backslash.
std::string DisplayText(std::string_view cp1252);

/// A message of the system's own, which may hold a stored name: as DisplayText, but each CR LF
/// (the messages' line break) becomes `lineBreak`. A lone CR or LF is still escaped.
std::string DisplayMessage(std::string_view cp1252, std::string_view lineBreak = "\n");

/// The same for UTF-8 text (host paths, texts already converted): C0 controls, DEL and
/// U+0080-U+009F are shown by code point ("<85>"), as is "<"; bytes that are not UTF-8 are
/// shown by their value.
std::string DisplayUtf8(std::string_view utf8);

} // namespace vexo::platform
