// DateTime.cpp - civil calendar arithmetic on day counts (proleptic Gregorian).
#include "archive/DateTime.h"

#include "archive/Exceptions.h"

#include <algorithm>
#include <cmath>

namespace vexo::archive {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Days from 1970-01-01 to 1899-12-30.
constexpr std::int64_t kEpochShift = -25569;
// 0001-01-01 00:00 and 9999-12-31 23:59:59.999.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958465.999;

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

} // namespace

bool IsValidCivil(const CivilDateTime& c) {
    return c.year >= 1 && c.year <= 9999 && c.month >= 1 && c.month <= 12 && c.day >= 1 &&
           c.day <= DaysInMonth(c.year, c.month) && c.hour >= 0 && c.hour < 24 && c.minute >= 0 &&
           c.minute < 60 && c.second >= 0 && c.second < 60 && c.millisecond >= 0 &&
           c.millisecond < 1000;
}

CivilDateTime DateTimeToCivil(TDateTime value) {
    // Dates come from files: a damaged one (NaN, infinite, beyond the years 1..9999) is held
    // to that range so the conversions below stay defined.
    if (!(value == value)) value = 0;
    value = std::clamp(value, kFirstDay, kLastDay);
    double whole = std::trunc(value);
    auto day = static_cast<std::int64_t>(whole);
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        day += value < 0 ? -1 : 1;
    }
    CivilDateTime c;
    CivilFromDays(day + kEpochShift, c.year, c.month, c.day);
    c.hour = static_cast<int>(ms / 3'600'000);
    c.minute = static_cast<int>(ms / 60'000 % 60);
    c.second = static_cast<int>(ms / 1000 % 60);
    c.millisecond = static_cast<int>(ms % 1000);
    return c;
}

TDateTime CivilToDateTime(const CivilDateTime& c) {
    if (!IsValidCivil(c)) throw Exception("Invalid argument to date encode");
    double days = static_cast<double>(
        DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
        kEpochShift);
    double time =
        static_cast<double>(((c.hour * 60 + c.minute) * 60 + c.second) * 1000 + c.millisecond) /
        kMsPerDay;
    return days < 0 ? days - time : days + time;
}

TDateTime DosDateTimeToDateTime(std::int32_t packed) {
    auto u = static_cast<std::uint32_t>(packed);
    std::uint32_t date = u >> 16, time = u & 0xFFFF;
    CivilDateTime c;
    c.year = static_cast<int>((date >> 9) + 1980);
    c.month = static_cast<int>((date >> 5) & 15);
    c.day = static_cast<int>(date & 31);
    c.hour = static_cast<int>(time >> 11);
    c.minute = static_cast<int>((time >> 5) & 63);
    c.second = static_cast<int>((time & 31) * 2);
    // File systems can hand back stamps that are no date at all; they count as unknown.
    return IsValidCivil(c) ? CivilToDateTime(c) : 0;
}

std::int32_t DateTimeToDosDateTime(TDateTime value) {
    CivilDateTime c = DateTimeToCivil(value);
    if (c.year < 1980 || c.year > 2107) return 0;
    std::uint32_t date = (static_cast<std::uint32_t>(c.year - 1980) << 9) |
                         (static_cast<std::uint32_t>(c.month) << 5) |
                         static_cast<std::uint32_t>(c.day);
    std::uint32_t time = (static_cast<std::uint32_t>(c.hour) << 11) |
                         (static_cast<std::uint32_t>(c.minute) << 5) |
                         static_cast<std::uint32_t>(c.second / 2);
    return static_cast<std::int32_t>((date << 16) | time);
}

} // namespace vexo::archive
