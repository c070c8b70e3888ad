#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "amount.h"
#include "format_settings.h"

namespace talvesa {

// The file's form of an amount: fixed point with the regional number of currency decimals,
// at most 15 significant digits, exponent form past 15 integer digits ("1,2345E20": the
// significant digits without trailing zeros, E and the exponent). The 18 significant
// digits it rounds from are those of the double's exact value; where rounding up would pass
// the largest double, the last digit is cut instead, so that every finite value's text
// reads back. NaN and infinities, which no token reads as, are written "NAN", "INF" and
// "-INF". Currency decimals count from 0 to 64.
std::string FormatAmountForFile(double value, const FormatSettings& settings);

// The file's reading of an amount token (spaces, sign, digits, decimal separator,
// exponent); nothing when the token does not read or overflows extended precision.
// The token is UTF-8; it is taken through the code page first, as names are.
// The value is read exactly and rounded once to the nearest double; one beyond the
// largest double is refused like an overflow, even where extended precision would hold it,
// and one below the smallest reads as zero.
std::optional<double> ParseAmountText(std::string_view text, const FormatSettings& settings);

// The report's form: general format, at most 15 significant digits, no trailing zeros.
// A 16th digit of exactly 5 rounds away from zero.
std::string FormatAmountGeneral(Amount amount, const FormatSettings& settings);

// The grid's and the editors' display: currency decimals (half away from zero),
// thousands separators, symbol. The space of placements 2 and 3 is a no-break space
// (U+00A0), so that the symbol never wraps away from its number.
std::string FormatCurrency(double value, const FormatSettings& settings);

}  // namespace talvesa
