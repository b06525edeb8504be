// OptionNumbers.cpp - strict number and date parsing for the builder's options.
#include "OptionNumbers.h"

#include "Tool.h"

#include "archive/Real48.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace vexo::tool {
namespace {

[[noreturn]] void Refuse(const std::string& option, const std::string& what,
                         const std::string& text) {
    throw UsageError(option + " needs " + what + ", not \"" + text + "\"");
}

bool AllDigits(const std::string& text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

long long ParseInteger(const std::string& option, const std::string& text, long long min,
                       long long max) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    // from_chars takes no sign, space or prefix of its own: what is left must be all digits.
    unsigned long long magnitude = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, magnitude, base);
    if (digits.empty() || stop != end ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        Refuse(option, "an integer", text);
    const std::string range =
        " must be between " + std::to_string(min) + " and " + std::to_string(max) + ", not " + text;
    // Beyond 64 bits, or beyond the range, is refused as it was written: never wrapped.
    constexpr unsigned long long kLowest = 1ULL << 63; // the magnitude of LLONG_MIN
    if (error == std::errc::result_out_of_range || magnitude > (negative ? kLowest : kLowest - 1))
        throw UsageError(option + range);
    const long long value = !negative              ? static_cast<long long>(magnitude)
                            : magnitude == kLowest ? std::numeric_limits<long long>::min()
                                                   : -static_cast<long long>(magnitude);
    if (value < min || value > max) throw UsageError(option + range);
    return value;
}

double ParseReal48(const std::string& option, const std::string& text) {
    // Plain decimal forms only: strtod's spaces, infinities, NaNs and hexadecimal floats are
    // not package versions.
    const std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const std::size_t dot = text.find('.', start);
    std::string whole =
        text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    std::string fraction = dot == std::string::npos ? std::string("0") : text.substr(dot + 1);
    if (whole.empty()) whole = "0";
    if (fraction.empty()) fraction = "0";
    if (text.size() == start || text == "." || !AllDigits(whole) || !AllDigits(fraction))
        Refuse(option, "a decimal number", text);
    const double value = std::strtod(text.c_str(), nullptr);
    try {
        archive::DoubleToReal48(value);
    } catch (const std::exception&) {
        throw UsageError(option + " is too large for the package's 6-byte number: " + text);
    }
    if (!std::isfinite(value))
        throw UsageError(option + " is too large for the package's 6-byte number: " + text);
    return value;
}

archive::PackageDate ParsePackageDate(const std::string& option, const std::string& text) {
    const std::string form = "YYYY-MM-DD";
    if (text.size() != form.size() || text[4] != '-' || text[7] != '-' ||
        !AllDigits(text.substr(0, 4)) || !AllDigits(text.substr(5, 2)) ||
        !AllDigits(text.substr(8, 2)))
        Refuse(option, form, text);
    archive::PackageDate d;
    d.year = std::atoi(text.substr(0, 4).c_str());
    d.month = std::atoi(text.substr(5, 2).c_str());
    d.day = std::atoi(text.substr(8, 2).c_str());
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
        throw UsageError(option + " names no day of the calendar: " + text);
    // The field holds the years 1900 to 2027 (7 bits from 1900).
    if (d.year < 1900 || d.year > 2027)
        throw UsageError(option + " must lie between 1900-01-01 and 2027-12-31, not " + text);
    return d;
}

} // namespace vexo::tool
