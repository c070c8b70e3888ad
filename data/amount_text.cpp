#include "amount_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "code_page.h"

namespace talvesa {

namespace {

constexpr int kSignificantDigits = 15;
constexpr int kMaxDecimals = 64;  // guards against absurd regional settings

int ClampedDecimals(const FormatSettings& settings) {
    return std::clamp(settings.currencyDecimals, 0, kMaxDecimals);
}

// |value| rounded once, half away from zero, to `decimals` places but to no more than 15
// significant digits; the digits past the 15th are zeros.
struct FixedDigits {
    bool negative = false;  // only when the rounded value is not zero
    std::string integer;    // no leading zeros; "0" below 1
    std::string fraction;   // exactly `decimals` digits
};

// Whether digits * 10^scale lies beyond what a double holds, by the same conversion that
// reads the file.
bool BeyondLargestDouble(std::uint64_t digits, int scale) {
    if (scale <= std::numeric_limits<double>::max_exponent10 - kSignificantDigits) return false;
    const std::string text = std::to_string(digits) + 'e' + std::to_string(scale);
    double value = 0;
    return std::from_chars(text.data(), text.data() + text.size(), value).ec ==
           std::errc::result_out_of_range;
}

FixedDigits RoundToFixed(double value, int decimals) {
    // 18 significant digits of the double, as d.ddddddddddddddddde±x.
    std::array<char, 40> buffer{};
    const auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                      std::chars_format::scientific, 17);
    (void)ec;  // the buffer is large enough for any double
    const std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    const std::size_t ePos = text.find('e');
    std::string digits;
    digits += text[0];
    digits.append(text.substr(2, ePos - 2));
    int exponent = 0;
    std::from_chars(text.data() + ePos + 1 + (text[ePos + 1] == '+' ? 1 : 0),
                    text.data() + text.size(), exponent);

    // value = 0.digits * 10^integerPositions
    const int integerPositions = exponent + 1;
    const int kept = std::min(integerPositions + decimals, kSignificantDigits);

    // rounded * 10^scale is the value
    const int scale = integerPositions - kept;
    std::uint64_t rounded = 0;
    if (kept >= 0) {
        for (int i = 0; i < kept; ++i) rounded = rounded * 10 + static_cast<unsigned>(digits[i] - '0');
        if (digits[static_cast<std::size_t>(kept)] >= '5') {
            ++rounded;
            // Rounded up past the largest double, the text would no longer read as an amount.
            if (BeyondLargestDouble(rounded, scale)) --rounded;
        }
    }

    FixedDigits result;
    result.negative = std::signbit(value) && rounded != 0;
    const std::string roundedText = std::to_string(rounded);
    if (rounded == 0) {
        result.integer.assign(1, '0');
        result.fraction.assign(static_cast<std::size_t>(decimals), '0');
    } else if (scale >= 0) {
        result.integer = roundedText;
        result.integer.append(static_cast<std::size_t>(scale), '0');
        result.fraction.assign(static_cast<std::size_t>(decimals), '0');
    } else {
        const auto fractionDigits = static_cast<std::size_t>(-scale);
        const std::size_t padding =
            roundedText.size() <= fractionDigits ? fractionDigits + 1 - roundedText.size() : 0;
        const std::string all = std::string(padding, '0') + roundedText;
        result.integer = all.substr(0, all.size() - fractionDigits);
        result.fraction = all.substr(all.size() - fractionDigits);
        result.fraction.append(static_cast<std::size_t>(decimals) - fractionDigits, '0');
    }
    return result;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatAmountForFile(double value, const FormatSettings& settings) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    const int decimals = ClampedDecimals(settings);
    const FixedDigits fixed = RoundToFixed(value, decimals);

    std::string out = fixed.negative ? "-" : "";
    if (fixed.integer.size() > static_cast<std::size_t>(kSignificantDigits)) {
        // d,dddE<exponent>: the (at most 15) significant digits without trailing zeros.
        std::string_view significant = fixed.integer;
        significant = significant.substr(0, significant.find_last_not_of('0') + 1);
        out += significant[0];
        if (significant.size() > 1) {
            out += settings.decimalSeparator;
            out.append(significant.substr(1));
        }
        out += 'E';
        out += std::to_string(fixed.integer.size() - 1);
        return out;
    }
    out += fixed.integer;
    if (decimals > 0) {
        out += settings.decimalSeparator;
        out += fixed.fraction;
    }
    return out;
}

std::optional<double> ParseAmountText(std::string_view text, const FormatSettings& settings) {
    const std::string token = Utf8ToAnsi(text);
    const std::string separator = Utf8ToAnsi(settings.decimalSeparator);
    const std::string_view s = token;
    std::size_t pos = 0;
    auto skipSpaces = [&] {
        while (pos < s.size() && s[pos] == ' ') ++pos;
    };
    auto digitRun = [&] {
        const std::size_t start = pos;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
        return s.substr(start, pos - start);
    };

    skipSpaces();
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    const std::string_view integerDigits = digitRun();
    bool hasSeparator = false;
    std::string_view fractionDigits;
    if (!separator.empty() && s.substr(pos).starts_with(separator)) {
        hasSeparator = true;
        pos += separator.size();
        fractionDigits = digitRun();
    }
    if (integerDigits.empty() && !hasSeparator) return std::nullopt;

    // The exponent saturates far beyond any double, so a long run of digits stays harmless.
    constexpr std::int64_t kExponentLimit = 1'000'000'000;
    std::int64_t exponent = 0;
    if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
            negativeExponent = s[pos] == '-';
            ++pos;
        }
        for (const char c : digitRun()) {
            exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), kExponentLimit);
        }
        if (negativeExponent) exponent = -exponent;
    }
    skipSpaces();
    if (pos != s.size()) return std::nullopt;

    // The value is digits * 10^power, read exactly and rounded once to the nearest double.
    std::string digits;
    digits.reserve(integerDigits.size() + fractionDigits.size());
    digits.append(integerDigits);
    digits.append(fractionDigits);
    std::int64_t power = exponent - static_cast<std::int64_t>(fractionDigits.size());
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    const double zero = negative ? -0.0 : 0.0;
    if (firstSignificant == std::string::npos) return zero;
    const std::size_t lastSignificant = digits.find_last_not_of('0');
    power += static_cast<std::int64_t>(digits.size() - 1 - lastSignificant);
    const std::string_view significant =
        std::string_view(digits).substr(firstSignificant, lastSignificant + 1 - firstSignificant);

    const std::int64_t leadingPower = power + static_cast<std::int64_t>(significant.size()) - 1;
    if (leadingPower > 400) return std::nullopt;  // past every double
    if (leadingPower < -400) return zero;         // below every double

    std::string normal(significant);
    normal += 'e';
    normal += std::to_string(power);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        if (leadingPower > 0) return std::nullopt;
        return zero;
    }
    if (ec != std::errc{}) return std::nullopt;
    return negative ? -value : value;
}

std::string FormatAmountGeneral(Amount amount, const FormatSettings& settings) {
    const bool negative = amount < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);

    int significant = 0;
    for (std::uint64_t rest = magnitude; rest != 0; rest /= 10) ++significant;
    if (significant > kSignificantDigits) {
        // Half away from zero at the 15th significant digit.
        std::uint64_t unit = 1;
        for (int i = kSignificantDigits; i < significant; ++i) unit *= 10;
        const std::uint64_t remainder = magnitude % unit;
        magnitude -= remainder;
        if (remainder >= unit - remainder) magnitude += unit;
    }

    const std::uint64_t whole = magnitude / kAmountScale;
    std::uint64_t fraction = magnitude % kAmountScale;
    std::string out = negative && magnitude != 0 ? "-" : "";
    out += std::to_string(whole);
    if (fraction != 0) {
        int digits = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        const std::string fractionText = std::to_string(fraction);
        out += settings.decimalSeparator;
        out.append(static_cast<std::size_t>(digits) - fractionText.size(), '0');
        out += fractionText;
    }
    return out;
}

std::string FormatCurrency(double value, const FormatSettings& settings) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    const int decimals = ClampedDecimals(settings);
    const FixedDigits fixed = RoundToFixed(value, decimals);

    std::string number;
    const std::size_t length = fixed.integer.size();
    for (std::size_t i = 0; i < length; ++i) {
        if (i != 0 && (length - i) % 3 == 0) number += settings.thousandSeparator;
        number += fixed.integer[i];
    }
    if (decimals > 0) {
        number += settings.decimalSeparator;
        number += fixed.fraction;
    }

    static constexpr std::string_view kNoBreakSpace = "\u00A0";
    std::string out = fixed.negative ? "-" : "";
    switch (settings.currencyPlacement) {
        case 0:
            out += settings.currencySymbol;
            out += number;
            break;
        case 1:
            out += number;
            out += settings.currencySymbol;
            break;
        case 2:
            out += settings.currencySymbol;
            out += kNoBreakSpace;
            out += number;
            break;
        default:
            out += number;
            out += kNoBreakSpace;
            out += settings.currencySymbol;
            break;
    }
    return out;
}

}  // namespace talvesa
