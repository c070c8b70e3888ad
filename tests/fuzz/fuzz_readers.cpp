// The readers of dates and amounts on any text, and the writers' output read back.
// The first byte picks the regional settings; the rest is the text.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "amount_text.h"
#include "date_text.h"
#include "date_value.h"
#include "format_settings.h"

namespace {

using talvesa::FormatSettings;

[[noreturn]] void Broken(const char* what, std::string_view detail) {
    std::fprintf(stderr, "invariant broken: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

constexpr int kYear = 2024;
constexpr double kFirstDay = -693593;  // 1 January 1
constexpr double kLastDay = 2958465;   // 31 December 9999

FormatSettings Pick(std::uint8_t selector) {
    FormatSettings s = FormatSettings::russian();
    switch (selector % 6) {
        case 0: break;
        case 1:
            s.shortDatePattern = "M/d/yyyy";
            s.dateSeparator = "/";
            s.decimalSeparator = ".";
            break;
        case 2:
            s.shortDatePattern = "yyyy-MM-dd";
            s.dateSeparator = "-";
            s.currencyDecimals = 4;
            break;
        case 3:
            s.shortDatePattern = "d/M/yy";
            s.dateSeparator = "/";
            s.decimalSeparator = ".";
            s.currencyDecimals = 0;
            break;
        case 4:
            s.shortDatePattern = "dd.MM.yyyy' г.'";
            s.decimalSeparator = "\u00B7";  // a separator outside ASCII
            s.currencyDecimals = 3;
            break;
        case 5:
            s.shortDatePattern = "yy/MM/dd";
            s.dateSeparator = "\u2215";  // outside the code page
            s.currencyDecimals = 1;
            break;
    }
    return s;
}

bool FourDigitYears(const FormatSettings& s) {
    return s.shortDatePattern.find("yyyy") != std::string::npos;
}

// Patterns whose dates read back exactly: four-digit years and no quoted text.
bool DatesReadBack(const FormatSettings& s) {
    return FourDigitYears(s) && s.shortDatePattern.find('\'') == std::string::npos;
}

void CheckDate(std::string_view text, const FormatSettings& s) {
    const auto date = talvesa::ParseDate(text, s, kYear);
    if (!date) return;
    if (!(*date >= kFirstDay && *date <= kLastDay)) Broken("date out of range", text);
    if (*date != std::floor(*date)) Broken("date with a time of day", text);
    const std::string written = talvesa::FormatDate(*date, s);
    const auto back = talvesa::ParseDate(written, s, kYear);
    if (DatesReadBack(s) && (!back || *back != *date)) {
        Broken("written date does not read back", written);
    }
}

void CheckAmount(std::string_view text, const FormatSettings& s) {
    const auto value = talvesa::ParseAmountText(text, s);
    if (!value) return;
    if (!std::isfinite(*value)) Broken("amount not finite", text);
    const std::string written = talvesa::FormatAmountForFile(*value, s);
    const auto back = talvesa::ParseAmountText(written, s);
    if (!back) Broken("written amount does not read back", written);
    if (talvesa::FormatAmountForFile(*back, s) != written) {
        Broken("written amount not stable", written);
    }
}

// Any double and any day count through the writers.
void CheckWriters(const std::uint8_t* data, std::size_t size, const FormatSettings& s) {
    if (size < 8) return;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    if (std::isfinite(value)) {
        const std::string written = talvesa::FormatAmountForFile(value, s);
        const auto back = talvesa::ParseAmountText(written, s);
        if (!back) Broken("written amount does not read back", written);
        if (talvesa::FormatAmountForFile(*back, s) != written) {
            Broken("written amount not stable", written);
        }
        // Fifteen significant digits are kept where the value has them.
        if (std::fabs(value) >= 1e-3 && std::fabs(value) < 1e12 && s.currencyDecimals >= 2) {
            const double tolerance =
                std::fabs(value) * 1e-14 + std::pow(10.0, -s.currencyDecimals);
            if (std::fabs(*back - value) > tolerance) {
                Broken("written amount far from the value", written);
            }
        }
    }
    std::int32_t day = 0;
    std::memcpy(&day, data, sizeof day);
    const auto days = static_cast<std::uint32_t>(kLastDay - kFirstDay + 1);
    const double date = kFirstDay + static_cast<double>(static_cast<std::uint32_t>(day) % days);
    const std::string written = talvesa::FormatDate(date, s);
    const auto back = talvesa::ParseDate(written, s, kYear);
    if (DatesReadBack(s)) {
        if (!back || *back != date) Broken("written date does not read back", written);
    } else if (!FourDigitYears(s)) {
        if (!back) Broken("written two-digit date does not read", written);
        // Two-digit years land in the hundred-year window; the day and month stay.
        const auto a = talvesa::DecodeDate(date);
        const auto b = talvesa::DecodeDate(*back);
        if (a.month != b.month || a.day != b.day || (a.year - b.year) % 100 != 0) {
            Broken("written two-digit date reads as another day", written);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const FormatSettings s = Pick(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckDate(text, s);
    CheckAmount(text, s);
    CheckWriters(data + 1, size - 1, s);
    return 0;
}
