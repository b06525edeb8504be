// PackageValues.h - the package's values kept in the header's application area and user data.
#pragma once

#include "archive/Format.h"

#include <array>
#include <cstdint>
#include <string>

namespace vexo::archive {

inline constexpr std::size_t kPackageVersionOffset = 32; // application area, 6-byte real
inline constexpr std::size_t kPackageCodeOffset = 38;    // application area, int32
inline constexpr std::size_t kPackageDateOffset = 43;    // application area, uint16, unaligned
inline constexpr std::size_t kProductCodeOffset = 63;    // user data, short string
inline constexpr std::size_t kProductCodeCapacity = 20;
inline constexpr std::int32_t kUpdatePackageCode = 1962503;

struct PackageDate {
    int year = 1900, month = 0, day = 0;
    bool operator==(const PackageDate&) const = default;
};

/// Day in bits 0-4, month in bits 5-8, year - 1900 above. Raises Exception for a year outside
/// 1900..2027, a month outside 1..12 or a day outside 1..31.
std::uint16_t EncodePackageDate(const PackageDate& date);
/// As stored; impossible days or months are kept, not checked.
PackageDate DecodePackageDate(std::uint16_t value);

struct PackageValues {
    std::array<std::uint8_t, 6> PackageVersion{}; // the 6-byte real as stored
    std::int32_t PackageCode = 0;
    std::uint16_t PackageDate = 0;
    std::string ProductCode; // Windows-1252, at most 20 characters
    bool operator==(const PackageValues&) const = default;
};

PackageValues ReadPackageValues(const TArchiveHeader& header);
/// Raises Exception when ProductCode is longer than 20 characters.
void WritePackageValues(TArchiveHeader& header, const PackageValues& values);

} // namespace vexo::archive
