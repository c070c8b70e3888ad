#pragma once

#include <optional>

namespace talvesa {

// A date value counts days since 30 December 1899; the fraction is the time of day.
struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    bool operator==(const CivilDate&) const = default;
};

// Gregorian calendar, years 1 to 9999; nothing for a day that does not exist.
std::optional<double> EncodeDate(int year, int month, int day);
// The calendar day of the whole part of the value (truncated toward zero); a value outside
// years 1 to 9999, or NaN, gives day 0 (30 December 1899).
CivilDate DecodeDate(double dateValue);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

}  // namespace talvesa
