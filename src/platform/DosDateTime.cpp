// DosDateTime.cpp - DOS date-times packed and taken apart; days since 1899-12-30.
#include "platform/DosDateTime.h"

namespace vexo::platform {
namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kDaysTo1899_12_30 = -25569; // DaysFromCivil(1899, 12, 30)

} // namespace

std::int32_t PackDosDateTime(const HostTime& local) {
    if (local.year < 1980 || local.year > 2107) return -1;
    const auto date =
        static_cast<std::uint32_t>(((local.year - 1980) << 9) | (local.month << 5) | local.day);
    const auto time =
        static_cast<std::uint32_t>((local.hour << 11) | (local.minute << 5) | (local.second / 2));
    return static_cast<std::int32_t>((date << 16) | time);
}

std::optional<HostTime> UnpackDosDateTime(std::int32_t packed) {
    const auto bits = static_cast<std::uint32_t>(packed);
    const unsigned date = bits >> 16, time = bits & 0xFFFF;
    HostTime t;
    t.year = static_cast<int>(date >> 9) + 1980;
    t.month = static_cast<int>((date >> 5) & 0x0F);
    t.day = static_cast<int>(date & 0x1F);
    t.hour = static_cast<int>(time >> 11);
    t.minute = static_cast<int>((time >> 5) & 0x3F);
    t.second = static_cast<int>(time & 0x1F) * 2;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 58)
        return std::nullopt;
    return t;
}

double DateTimeValue(const HostTime& local, int milliseconds) {
    const long long days = DaysFromCivil(local.year, static_cast<unsigned>(local.month),
                                         static_cast<unsigned>(local.day)) -
                           kDaysTo1899_12_30;
    const double seconds = local.hour * 3600.0 + local.minute * 60.0 + local.second +
                           static_cast<double>(milliseconds) / 1000.0;
    return static_cast<double>(days) + seconds / 86400.0;
}

} // namespace vexo::platform
