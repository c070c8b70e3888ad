#include "date_value.h"

#include <cmath>

namespace talvesa {

namespace {

// Day counts of the proleptic Gregorian calendar, counted from 1 March of year 0 in
// 400-year cycles so that leap days fall at the end of each cycle year.
constexpr long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

constexpr CivilDate CivilFromDays(long long z) {
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(era * 400 + yoe + (month <= 2 ? 1 : 0));
    return CivilDate{year, month, day};
}

constexpr long long kEpoch = DaysFromCivil(1899, 12, 30);
constexpr long long kFirstDay = DaysFromCivil(1, 1, 1) - kEpoch;
constexpr long long kLastDay = DaysFromCivil(9999, 12, 31) - kEpoch;

static_assert(kFirstDay == -693593);
static_assert(kLastDay == 2958465);
static_assert(CivilFromDays(kEpoch) == CivilDate{1899, 12, 30});

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<double> EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return static_cast<double>(DaysFromCivil(year, month, day) - kEpoch);
}

CivilDate DecodeDate(double dateValue) {
    // Values outside the calendar's years (and NaN) have no day; they show as day 0.
    if (!(dateValue > kFirstDay - 1 && dateValue < kLastDay + 1)) return CivilDate{};
    const auto days = static_cast<long long>(std::trunc(dateValue));
    return CivilFromDays(days + kEpoch);
}

}  // namespace talvesa
