// DateTime.h - TDateTime (days since 1899-12-30, fraction = time of day) and its civil form.
#pragma once

#include <cstdint>

namespace vexo::archive {

using TDateTime = double;

struct CivilDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    bool operator==(const CivilDateTime&) const = default;
};

/// Rounds to the millisecond. Before 1899-12-30 the integer part counts back and the fraction
/// still moves forward in the day (-1.25 is 1899-12-29 06:00).
CivilDateTime DateTimeToCivil(TDateTime value);

/// Raises Exception for a field out of range (month 13, 30 February, hour 24).
TDateTime CivilToDateTime(const CivilDateTime& civil);

bool IsValidCivil(const CivilDateTime& civil);

/// Packed DOS date-time (date in the high word, two-second time in the low word) to TDateTime.
/// 0 when the packed fields are not a valid date and time.
TDateTime DosDateTimeToDateTime(std::int32_t packed);

/// TDateTime to the packed DOS form, seconds truncated to even; 0 outside 1980..2107.
std::int32_t DateTimeToDosDateTime(TDateTime value);

} // namespace vexo::archive
