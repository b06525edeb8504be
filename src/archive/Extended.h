// Extended.h - the 10-byte 80-bit extended format of dates and totals, without long double.
#pragma once

#include <array>
#include <cstdint>

namespace vexo::archive {

using ExtendedBytes = std::array<std::uint8_t, 10>;

/// 64-bit significand with explicit integer bit, 15-bit exponent (bias 16383), sign bit.
/// Values beyond the double range become infinities; NaNs stay NaN.
double ExtendedToDouble(const std::uint8_t* bytes10);

/// Exact: every double has an extended form.
ExtendedBytes DoubleToExtended(double value);

} // namespace vexo::archive
