// TextFormat.h - "%s"/"%d"/"%x" formatting of the message texts, as the format routine does it.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vexo::archive {

using FormatArg = std::variant<std::int64_t, std::string>;

/// Formats `text` with %s (text), %d (integer), %x/%X (upper-case hexadecimal) and %%.
/// A missing or mistyped argument raises Exception, as the platform's routine does.
std::string FormatText(std::string_view text, const std::vector<FormatArg>& args);

namespace detail {
inline FormatArg ToFormatArg(std::string_view s) {
    return std::string(s);
}
inline FormatArg ToFormatArg(const char* s) {
    return std::string(s);
}
inline FormatArg ToFormatArg(const std::string& s) {
    return s;
}
template <std::integral T> FormatArg ToFormatArg(T v) {
    return static_cast<std::int64_t>(v);
}
} // namespace detail

template <typename... Args> std::string Format(std::string_view text, const Args&... args) {
    return FormatText(text, {detail::ToFormatArg(args)...});
}

} // namespace vexo::archive
