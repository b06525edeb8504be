// TextFormat.cpp - the small subset of the format routine the message texts use.
#include "archive/TextFormat.h"

#include "archive/Exceptions.h"

#include <cstdio>

namespace vexo::archive {

std::string FormatText(std::string_view text, const std::vector<FormatArg>& args) {
    std::string out;
    out.reserve(text.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '%' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        char conversion = text[++i];
        if (conversion == '%') {
            out += '%';
            continue;
        }
        if (next >= args.size())
            throw Exception("Format '" + std::string(text) +
                            "' invalid or incompatible with argument");
        const FormatArg& arg = args[next++];
        if (conversion == 's' && std::holds_alternative<std::string>(arg)) {
            out += std::get<std::string>(arg);
        } else if ((conversion == 'd' || conversion == 'x' || conversion == 'X') &&
                   std::holds_alternative<std::int64_t>(arg)) {
            char buf[32];
            auto v = std::get<std::int64_t>(arg);
            if (conversion == 'd')
                std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
            else
                std::snprintf(buf, sizeof buf, "%llX",
                              static_cast<unsigned long long>(static_cast<std::uint32_t>(v)));
            out += buf;
        } else {
            throw Exception("Format '" + std::string(text) +
                            "' invalid or incompatible with argument");
        }
    }
    return out;
}

} // namespace vexo::archive
