#pragma once

#include "format_settings.h"

// United States forms, the usual contrast to the Russian fixture.
inline talvesa::FormatSettings UsFormatSettings()
{
    talvesa::FormatSettings us = talvesa::FormatSettings::russian();
    us.shortDatePattern = "M/d/yy";
    us.dateSeparator = "/";
    us.decimalSeparator = ".";
    us.thousandSeparator = ",";
    us.currencySymbol = "$";
    us.currencyPlacement = 0;
    return us;
}
