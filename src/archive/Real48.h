// Real48.h - the 6-byte real in which package and program versions are held.
#pragma once

#include <array>
#include <cstdint>

namespace vexo::archive {

/// Byte 0 exponent (bias 129, 0 = zero), bytes 1..5 a 39-bit fraction, least significant
/// first, top bit of byte 5 the sign.
double Real48ToDouble(const std::uint8_t* bytes6);

/// Rounds to the nearest 6-byte real. Values too small for the form become 0; values too large,
/// infinities and NaN raise Exception ("Floating point overflow").
std::array<std::uint8_t, 6> DoubleToReal48(double value);

/// The value as it comes back after a round trip through the 6-byte form.
double RoundToReal48(double value);

} // namespace vexo::archive
