// Real48.cpp - exact bit-level conversion; no host floating-point format beyond double assumed.
#include "archive/Real48.h"

#include "archive/Exceptions.h"

#include <cmath>

namespace vexo::archive {

double Real48ToDouble(const std::uint8_t* b) {
    if (b[0] == 0) return 0.0;
    std::uint64_t fraction = 0;
    for (int i = 5; i >= 1; --i)
        fraction = (fraction << 8) | b[i];
    fraction &= (std::uint64_t{1} << 39) - 1;
    double mantissa = 1.0 + std::ldexp(static_cast<double>(fraction), -39);
    double value = std::ldexp(mantissa, b[0] - 129);
    return (b[5] & 0x80) ? -value : value;
}

std::array<std::uint8_t, 6> DoubleToReal48(double value) {
    std::array<std::uint8_t, 6> out{};
    if (std::isnan(value) || std::isinf(value)) throw Exception("Floating point overflow");
    if (value == 0.0) return out;
    bool negative = std::signbit(value);
    int exp2 = 0;
    double m = std::frexp(std::fabs(value), &exp2); // m in [0.5, 1)
    // value = (2m) * 2^(exp2-1); the fraction is 2m - 1 scaled to 39 bits, rounded to nearest even.
    double scaled = std::ldexp(2.0 * m - 1.0, 39);
    double rounded = std::nearbyint(scaled);
    auto fraction = static_cast<std::uint64_t>(rounded);
    int exponent = exp2 - 1 + 129;
    if (fraction == (std::uint64_t{1} << 39)) { // rounding carried into the exponent
        fraction = 0;
        ++exponent;
    }
    if (exponent <= 0) return out; // below the smallest 6-byte real
    if (exponent > 255) throw Exception("Floating point overflow");
    out[0] = static_cast<std::uint8_t>(exponent);
    for (int i = 1; i <= 5; ++i) {
        out[i] = static_cast<std::uint8_t>(fraction & 0xFF);
        fraction >>= 8;
    }
    if (negative) out[5] |= 0x80;
    return out;
}

double RoundToReal48(double value) {
    auto bytes = DoubleToReal48(value);
    return Real48ToDouble(bytes.data());
}

} // namespace vexo::archive
