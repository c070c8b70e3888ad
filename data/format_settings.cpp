#include "format_settings.h"

namespace talvesa {

FormatSettings FormatSettings::russian() {
    FormatSettings settings;
    settings.shortDatePattern = "dd.MM.yyyy";
    settings.dateSeparator = ".";
    settings.decimalSeparator = ",";
    settings.currencyDecimals = 2;
    settings.thousandSeparator = "\u00A0";
    settings.currencySymbol = "\u20BD";
    settings.currencyPlacement = 3;
    return settings;
}

}  // namespace talvesa
