#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "amount.h"
#include "format_settings.h"

namespace talvesa {

// The file's form of an amount: fixed point with the regional number of currency decimals,
// at most 15 significant digits, exponent form past 15 integer digits.
std::string FormatAmountForFile(double value, const FormatSettings& settings);

// The file's reading of an amount token (spaces, sign, digits, decimal separator,
// exponent); nothing when the token does not read or overflows extended precision.
// The token is UTF-8; it is taken through the code page first, as names are.
std::optional<double> ParseAmountText(std::string_view text, const FormatSettings& settings);

// The report's form: general format, at most 15 significant digits, no trailing zeros.
std::string FormatAmountGeneral(Amount amount, const FormatSettings& settings);

// The grid's and the editors' display: currency decimals, thousands separators, symbol.
std::string FormatCurrency(double value, const FormatSettings& settings);

}  // namespace talvesa
