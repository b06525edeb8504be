// OptionNumbers.h - the builder's numeric options read strictly: the whole text, in range.
#pragma once

#include "archive/PackageValues.h"

#include <cstdint>
#include <string>

namespace vexo::tool {

/// A whole number, decimal or hexadecimal after "0x", with an optional leading '-': nothing
/// else before or after it. Raises UsageError naming `option` for any other text and for a
/// value outside [min, max] (never wrapped into range).
long long ParseInteger(const std::string& option, const std::string& text, long long min,
                       long long max);
/// A decimal number a 6-byte real holds (finite, within its exponent range).
double ParseReal48(const std::string& option, const std::string& text);
/// A date written YYYY-MM-DD that the package's date field holds and the calendar has.
archive::PackageDate ParsePackageDate(const std::string& option, const std::string& text);

} // namespace vexo::tool
