#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "format_settings.h"

namespace talvesa {

// The date in the regional short date pattern (pattern elements, quotes, separator).
// Dates are numbers only: runs of three or more d or m (names elsewhere) write the
// two-digit day or month, and time elements are copied as text.
std::string FormatDate(double dateValue, const FormatSettings& settings);

// Numeric dates in the order the short date pattern gives; a one- or two-digit year is
// placed in the hundred-year window around currentYear. Nothing when the text is no date,
// and always nothing under an empty date separator.
std::optional<double> ParseDate(std::string_view text, const FormatSettings& settings,
                                int currentYear);

// The local clock's year; callers pass it to ParseDate so that tests can fix the year.
int LocalCurrentYear();

}  // namespace talvesa
