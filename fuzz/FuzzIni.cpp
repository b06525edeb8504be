// FuzzIni.cpp - the private-profile reader. Input: the section on the first line, the key on
// the second, the file's text after them.
#include "platform/Shell.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vexo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    auto line = [&in]() {
        const std::size_t nl = in.find('\n');
        std::string_view head = in.substr(0, nl);
        in = nl == std::string_view::npos ? std::string_view{} : in.substr(nl + 1);
        return std::string(head);
    };
    const std::string section = line();
    const std::string key = line();
    const std::string value = platform::ProfileStringFromText(in, section, key, "<defecto>");
    // The answer is the default or text taken from the file (the reader may trim it, never
    // invent it); a value longer than the file means it read past it.
    if (value != "<defecto>" && value.size() > in.size()) __builtin_trap();
    return 0;
}
