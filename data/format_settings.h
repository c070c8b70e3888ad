#pragma once

#include <string>

namespace talvesa {

// The user's regional forms of dates and numbers. Every function that turns values into
// text or back takes one of these; nothing reads a global. Separators are one character,
// held as UTF-8.
struct FormatSettings {
    std::string shortDatePattern = "dd.MM.yyyy";
    std::string dateSeparator = ".";
    std::string decimalSeparator = ",";
    int currencyDecimals = 2;

    // Only the currency display of the grid and the editors needs these.
    std::string thousandSeparator = "\u00A0";
    std::string currencySymbol = "\u20BD";
    // Where the symbol stands: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int currencyPlacement = 3;

    // The forms used where the process has no regional settings of its own.
    static FormatSettings russian();

    bool operator==(const FormatSettings&) const = default;
};

}  // namespace talvesa
