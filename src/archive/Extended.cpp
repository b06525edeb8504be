// Extended.cpp - bit-level conversion between the 80-bit extended form and double.
#include "archive/Extended.h"

#include <cmath>
#include <limits>

namespace vexo::archive {

double ExtendedToDouble(const std::uint8_t* b) {
    std::uint64_t significand = 0;
    for (int i = 7; i >= 0; --i)
        significand = (significand << 8) | b[i];
    int exponent = ((b[9] & 0x7F) << 8) | b[8];
    bool negative = (b[9] & 0x80) != 0;
    double value;
    if (exponent == 0x7FFF) {
        bool isNan = (significand << 1) != 0;
        value = isNan ? std::numeric_limits<double>::quiet_NaN()
                      : std::numeric_limits<double>::infinity();
    } else {
        // Denormals have exponent 0 and an effective exponent of 1.
        int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
        // Split the significand so the 64-bit integer is converted without early rounding.
        double hi = std::ldexp(static_cast<double>(significand >> 32), e + 32);
        double lo = std::ldexp(static_cast<double>(significand & 0xFFFFFFFFu), e);
        value = hi + lo;
    }
    return negative ? -value : value;
}

ExtendedBytes DoubleToExtended(double value) {
    ExtendedBytes out{};
    bool negative = std::signbit(value);
    std::uint64_t significand = 0;
    int exponent = 0;
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        significand = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        significand = 0x8000000000000000ull;
    } else if (value != 0.0) {
        int exp2 = 0;
        double m = std::frexp(std::fabs(value), &exp2); // m in [0.5, 1), exact
        significand = static_cast<std::uint64_t>(std::ldexp(m, 64));
        exponent = exp2 - 1 + 16383;
    }
    for (int i = 0; i < 8; ++i) {
        out[i] = static_cast<std::uint8_t>(significand & 0xFF);
        significand >>= 8;
    }
    out[8] = static_cast<std::uint8_t>(exponent & 0xFF);
    out[9] = static_cast<std::uint8_t>(((exponent >> 8) & 0x7F) | (negative ? 0x80 : 0));
    return out;
}

} // namespace vexo::archive
