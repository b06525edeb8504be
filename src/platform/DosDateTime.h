// DosDateTime.h - local moments as packed DOS date-times and as date-time values, for the
// hosts' file ages and clocks.
#pragma once

#include "platform/HostFiles.h"

#include <cstdint>
#include <optional>

namespace vexo::platform {

/// `local` packed as a DOS date-time (seconds halved, as FileAge answers); -1 for a year
/// outside 1980..2107, which the form cannot hold.
std::int32_t PackDosDateTime(const HostTime& local);
/// A packed DOS date-time taken apart; nullopt when it names no moment (month 13, 30 February,
/// hour 24...).
std::optional<HostTime> UnpackDosDateTime(std::int32_t packed);
/// The date-time value of a local moment: days since 1899-12-30, the time of day as fraction.
double DateTimeValue(const HostTime& local, int milliseconds);

} // namespace vexo::platform
