// SFXStubInfo.cpp - the sizes written as UTF-16 digits into the stub's version strings.
#include "archive/SFXStubInfo.h"

#include "archive/Exceptions.h"
#include "platform/PeImage.h"

#include <algorithm>
#include <string>

namespace vexo::archive {
namespace {

// The value's UTF-16 units: `number` right-aligned in zeros.
std::string DigitUnits(const platform::FileSpan& value, const char* name, std::int32_t number) {
    if (number < 0) throw Exception(std::string("Negative ") + name);
    const std::string text = std::to_string(number);
    const auto room = static_cast<std::size_t>(value.length / 2);
    if (text.size() > room)
        throw Exception(std::string("The stub's ") + name + " string holds " +
                        std::to_string(room) + " digits, " + text + " needs " +
                        std::to_string(text.size()));
    std::string units;
    for (char c : std::string(room - text.size(), '0') + text) {
        units += c;
        units += '\0';
    }
    return units;
}

} // namespace

bool WriteSFXSizes(std::vector<std::uint8_t>& image, std::int32_t codeSize, std::int32_t tagSize) {
    const auto code = platform::FindVersionStringValue(image.data(), image.size(), "SFXCodeSize");
    const auto tag = platform::FindVersionStringValue(image.data(), image.size(), "TagInfoSize");
    if (!code || !tag) return false;
    const std::string codeUnits = DigitUnits(*code, "SFXCodeSize", codeSize);
    const std::string tagUnits = DigitUnits(*tag, "TagInfoSize", tagSize);
    std::copy(codeUnits.begin(), codeUnits.end(), image.begin() + code->offset);
    std::copy(tagUnits.begin(), tagUnits.end(), image.begin() + tag->offset);
    return true;
}

} // namespace vexo::archive
