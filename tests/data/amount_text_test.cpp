#include "amount_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace talvesa {
namespace {

FormatSettings Settings(std::string decimalSeparator, int decimals) {
    FormatSettings settings = FormatSettings::russian();
    settings.decimalSeparator = std::move(decimalSeparator);
    settings.currencyDecimals = decimals;
    return settings;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

struct WriteCase {
    const char* what;
    double value;
    int decimals;
    const char* text;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.what; }

class FormatAmountForFileTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(FormatAmountForFileTest, writesFixedPoint) {
    const WriteCase& c = GetParam();
    EXPECT_EQ(FormatAmountForFile(c.value, Settings(",", c.decimals)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatAmountForFileTest,
    ::testing::Values(
        WriteCase{"fillsDecimals", 1234.5, 2, "1234,50"},
        WriteCase{"halfRoundsUp", 0.005, 2, "0,01"},
        WriteCase{"roundedZeroHasNoMinus", -0.004, 2, "0,00"},
        WriteCase{"negative", -12, 2, "-12,00"},
        WriteCase{"noDecimals", 100.5, 0, "101"},
        WriteCase{"noDecimalsNegativeHalf", -0.5, 0, "-1"},
        WriteCase{"noDecimalsBelowHalf", 0.4, 0, "0"},
        WriteCase{"zero", 0.0, 2, "0,00"},
        WriteCase{"negativeZero", -0.0, 2, "0,00"},
        WriteCase{"fourDecimals", 0.0001, 4, "0,0001"},
        WriteCase{"carryIntoNewDigit", 9.999, 2, "10,00"},
        // The double just below 1.005 reads as 1.00499999999999989 at 18 digits.
        WriteCase{"binaryBelowHalf", 1.005, 2, "1,00"},
        // This double is 1000.004999999999995..., but its 18 digits end in ...500000.
        WriteCase{"roundedFromEighteenDigits", 1000.005, 2, "1000,01"},
        WriteCase{"fifteenDigits", 1234567890123.456, 2, "1234567890123,46"},
        WriteCase{"sixteenthDigitBecomesZero", 12345678901234.567, 2, "12345678901234,60"},
        WriteCase{"fifteenIntegerDigits", 123456789012345.67, 2, "123456789012346,00"},
        WriteCase{"roundsIntoSixteenDigits", 999999999999999.9, 2, "1E15"},
        WriteCase{"exponentForm", 1.2345e20, 2, "1,2345E20"},
        WriteCase{"exponentFormRounded", 12345678901234567.0, 2, "1,23456789012346E16"},
        WriteCase{"exponentFormNegative", -1.5e300, 2, "-1,5E300"},
        // Rounding up would pass the largest double: the last digit is cut instead.
        WriteCase{"largest", kMax, 2, "1,79769313486231E308"},
        WriteCase{"largestNegative", -kMax, 2, "-1,79769313486231E308"},
        WriteCase{"largestNoDecimals", kMax, 0, "1,79769313486231E308"},
        WriteCase{"belowLargest", 1.7976931348623151e308, 4, "1,79769313486231E308"},
        WriteCase{"belowLargestNegative", -1.7976931348623151e308, 2, "-1,79769313486231E308"},
        WriteCase{"belowLargestRoundsDown", 1.797693134862315e308, 2, "1,79769313486231E308"},
        WriteCase{"nearLargestRoundsUp", 1.7976931348622999e308, 2, "1,7976931348623E308"},
        WriteCase{"tiny", 1e-300, 2, "0,00"},
        WriteCase{"subnormal", 5e-324, 2, "0,00"},
        WriteCase{"manyDecimals", 0.1, 20, "0,10000000000000000000"},
        WriteCase{"manyDecimalsCapped", 1.0 / 3.0, 20, "0,33333333333333300000"},
        WriteCase{"negativeDecimalsAsNone", 12.5, -3, "13"},
        WriteCase{"nan", std::numeric_limits<double>::quiet_NaN(), 2, "NAN"},
        WriteCase{"infinity", kInf, 2, "INF"},
        WriteCase{"negativeInfinity", -kInf, 2, "-INF"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(FormatAmountForFileTest, usesTheRegionalSeparator) {
    EXPECT_EQ(FormatAmountForFile(1234.5, Settings(".", 2)), "1234.50");
    EXPECT_EQ(FormatAmountForFile(1.5e20, Settings(".", 2)), "1.5E20");
}

struct ReadCase {
    const char* what;
    const char* text;
    std::optional<double> value;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class ParseAmountTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ParseAmountTextTest, readsByTheRules) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(ParseAmountText(c.text, Settings(",", 2)), c.value);
}

constexpr auto kNo = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseAmountTextTest,
    ::testing::Values(
        ReadCase{"fraction", "1234,5", 1234.5},
        ReadCase{"plusSign", "+1234,50", 1234.5},
        ReadCase{"exponent", "1,2345E3", 1234.5},
        ReadCase{"loneSeparator", ",", 0.0},
        ReadCase{"pointIsNotTheSeparator", "1234.50", kNo},
        ReadCase{"groupedDigits", "1 234,50", kNo},
        ReadCase{"currencySign", "1234,50р", kNo},
        ReadCase{"spacesAround", "  -12,00  ", -12.0},
        ReadCase{"separatorLast", "12,", 12.0},
        ReadCase{"separatorFirst", ",5", 0.5},
        ReadCase{"leadingZeros", "0001", 1.0},
        ReadCase{"lowerCaseExponent", "1e-2", 0.01},
        ReadCase{"exponentWithoutDigits", "12E", 12.0},
        ReadCase{"exponentSignWithoutDigits", "12e+", 12.0},
        ReadCase{"separatorThenExponent", "1,E2", 100.0},
        ReadCase{"loneSeparatorExponent", ",E5", 0.0},
        ReadCase{"closestDouble", "0,1", 0.1},
        ReadCase{"manyDigits", "1234567890123456789", 1234567890123456789.0},
        ReadCase{"empty", "", kNo},
        ReadCase{"onlySpaces", "   ", kNo},
        ReadCase{"onlySign", "-", kNo},
        ReadCase{"onlyExponent", "E5", kNo},
        ReadCase{"signThenExponent", "+e5", kNo},
        ReadCase{"twoSigns", "--1", kNo},
        ReadCase{"spaceAfterSign", "- 1", kNo},
        ReadCase{"twoSeparators", "1,2,3", kNo},
        ReadCase{"twoExponents", "1E2E3", kNo},
        ReadCase{"tab", "\t12", kNo},
        ReadCase{"noBreakSpace", "12\u00A0", kNo},
        ReadCase{"fullwidthDigit", "\uFF11", kNo},
        // The token goes through the code page first, where the minus sign becomes '-'.
        ReadCase{"typographicMinus", "\u221212,5", -12.5},
        ReadCase{"largest", "1,7976931348623157E308", kMax},
        ReadCase{"overflowsDouble", "1,8E308", kNo},
        ReadCase{"fitsOnlyExtended", "1E4000", kNo},
        ReadCase{"overflowsExtended", "1E5000", kNo},
        ReadCase{"hugeExponent", "1E99999999999999999999", kNo},
        ReadCase{"zeroWithHugeExponent", "0E99999999999999999999", 0.0},
        ReadCase{"underflowIsZero", "1E-400", 0.0},
        ReadCase{"hugeNegativeExponent", "1E-99999999999999999999", 0.0},
        ReadCase{"smallestSubnormal", "5E-324", 5e-324}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ParseAmountTextTest, negativeZeroKeepsItsSign) {
    const auto value = ParseAmountText("-1E-400", Settings(",", 2));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, 0.0);
    EXPECT_TRUE(std::signbit(*value));
}

TEST(ParseAmountTextTest, usesTheRegionalSeparator) {
    EXPECT_EQ(ParseAmountText("1234.50", Settings(".", 2)), 1234.5);
    EXPECT_EQ(ParseAmountText("1234,50", Settings(".", 2)), std::nullopt);
    EXPECT_EQ(ParseAmountText("12,5", Settings("", 2)), std::nullopt);
}

TEST(ParseAmountTextTest, longDigitRunsStayExact) {
    const FormatSettings settings = Settings(",", 2);
    EXPECT_EQ(ParseAmountText(std::string(10000, '1'), settings), std::nullopt);
    EXPECT_EQ(ParseAmountText(std::string(10000, '0') + "1", settings), 1.0);
    EXPECT_EQ(ParseAmountText("0," + std::string(10000, '0') + "1", settings), 0.0);
    EXPECT_EQ(ParseAmountText("1" + std::string(300, '0') + "," + std::string(5000, '0'), settings),
              1e300);
    EXPECT_EQ(ParseAmountText("0," + std::string(305, '0') + "1E306", settings), 1.0);
}

struct GeneralCase {
    const char* what;
    Amount amount;
    const char* text;
};

void PrintTo(const GeneralCase& c, std::ostream* os) { *os << c.what; }

class FormatAmountGeneralTest : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FormatAmountGeneralTest, writesGeneralFormat) {
    EXPECT_EQ(FormatAmountGeneral(GetParam().amount, Settings(",", 2)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatAmountGeneralTest,
    ::testing::Values(
        GeneralCase{"whole", 15000000, "1500"},
        GeneralCase{"fraction", 15005000, "1500,5"},
        GeneralCase{"smallest", 1, "0,0001"},
        GeneralCase{"twoDecimals", 12345678900, "1234567,89"},
        GeneralCase{"zero", 0, "0"},
        GeneralCase{"negative", -255000, "-25,5"},
        GeneralCase{"negativeBelowOne", -1, "-0,0001"},
        GeneralCase{"fifteenDigitsKept", 999999999999999, "99999999999,9999"},
        GeneralCase{"twelveIntegerDigitsRoundDown", 1234567890123454, "123456789012,345"},
        GeneralCase{"twelveIntegerDigitsRoundUp", 1234567890123456, "123456789012,346"},
        // Exactly halfway: away from zero.
        GeneralCase{"halfway", 1234567890123455, "123456789012,346"},
        GeneralCase{"halfwayNegative", -1234567890123455, "-123456789012,346"},
        GeneralCase{"roundedToWhole", 1000000000000001, "100000000000"},
        GeneralCase{"carryIntoNewDigit", 9999999999999999, "1000000000000"},
        GeneralCase{"largest", std::numeric_limits<Amount>::max(), "922337203685478"},
        GeneralCase{"smallestNegative", std::numeric_limits<Amount>::min(), "-922337203685478"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(FormatAmountGeneralTest, usesTheRegionalSeparator) {
    EXPECT_EQ(FormatAmountGeneral(60005000, Settings(".", 2)), "6000.5");
    EXPECT_EQ(FormatAmountGeneral(60005000, Settings("\u066B", 2)), "6000\u066B5");
}

struct CurrencyCase {
    const char* what;
    double value;
    const char* text;
};

void PrintTo(const CurrencyCase& c, std::ostream* os) { *os << c.what; }

class RussianCurrencyTest : public ::testing::TestWithParam<CurrencyCase> {};

TEST_P(RussianCurrencyTest, groupsAndPlacesTheSymbol) {
    EXPECT_EQ(FormatCurrency(GetParam().value, FormatSettings::russian()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RussianCurrencyTest,
    ::testing::Values(
        CurrencyCase{"tenThousand", 10000, "10\u00A0000,00\u00A0₽"},
        CurrencyCase{"zero", 0, "0,00\u00A0₽"},
        CurrencyCase{"belowAThousand", 999.5, "999,50\u00A0₽"},
        CurrencyCase{"aThousand", 1000, "1\u00A0000,00\u00A0₽"},
        CurrencyCase{"millions", -1234567.891, "-1\u00A0234\u00A0567,89\u00A0₽"},
        CurrencyCase{"halfRoundsUp", 0.005, "0,01\u00A0₽"},
        CurrencyCase{"roundedZeroHasNoMinus", -0.004, "0,00\u00A0₽"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(FormatCurrencyTest, placesTheSymbolByPlacement) {
    FormatSettings settings = Settings(".", 2);
    settings.thousandSeparator = ",";
    settings.currencySymbol = "$";
    const std::string expected[] = {"$1,234.50", "1,234.50$", "$\u00A01,234.50", "1,234.50\u00A0$"};
    for (int placement = 0; placement < 4; ++placement) {
        settings.currencyPlacement = placement;
        EXPECT_EQ(FormatCurrency(1234.5, settings), expected[placement]) << placement;
        EXPECT_EQ(FormatCurrency(-1234.5, settings), "-" + expected[placement]) << placement;
    }
}

TEST(FormatCurrencyTest, decimalsAndGrouping) {
    FormatSettings settings = FormatSettings::russian();
    settings.currencyDecimals = 0;
    EXPECT_EQ(FormatCurrency(1234.5, settings), "1\u00A0235\u00A0₽");
    settings.thousandSeparator.clear();
    EXPECT_EQ(FormatCurrency(1234567.5, settings), "1234568\u00A0₽");
    EXPECT_EQ(FormatCurrency(kInf, settings), "INF");
}

// What the file writes reads back as the same stored value.
TEST(AmountRoundTripTest, wholeCentsReadBackExactly) {
    const FormatSettings settings = Settings(",", 2);
    std::mt19937_64 random(20240307);
    for (int i = 0; i < 20000; ++i) {
        const auto digits = static_cast<int>(random() % 16);  // up to 15 significant digits
        std::int64_t limit = 1;
        for (int d = 0; d < digits; ++d) limit *= 10;
        const auto cents = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(limit));
        const double value = (i % 2 == 0 ? 1 : -1) * static_cast<double>(cents) / 100.0;
        const std::string text = FormatAmountForFile(value, settings);
        ASSERT_EQ(ParseAmountText(text, settings), value + 0.0) << text;
    }
}

// The written text of a finite double reads back, and writing what it reads gives the same
// text: checked at the edges where rounding carries or the range ends, under several
// numbers of decimals.
TEST(AmountRoundTripTest, everyFiniteDoublesTextReadsBack) {
    std::vector<double> values;
    auto addAround = [&values](double centre, int steps) {
        double up = centre;
        double down = centre;
        for (int i = 0; i < steps; ++i) {
            values.push_back(up);
            values.push_back(down);
            up = std::nextafter(up, kInf);
            down = std::nextafter(down, 0.0);
        }
    };
    addAround(kMax, 1000);
    addAround(std::numeric_limits<double>::min(), 10);
    addAround(std::numeric_limits<double>::denorm_min(), 10);
    for (int exponent = -324; exponent <= 308; ++exponent) {
        addAround(std::pow(10.0, exponent), 8);  // where rounding carries into a new digit
        addAround(std::pow(10.0, exponent) * 1.797693134862315, 8);
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        addAround(std::ldexp(1.0, exponent), 2);
    }

    for (const FormatSettings& settings : {Settings(",", 2), Settings(".", 0), Settings(",", 4)}) {
        for (const double magnitude : values) {
            if (!std::isfinite(magnitude)) continue;
            for (const double value : {magnitude, -magnitude}) {
                const std::string text = FormatAmountForFile(value, settings);
                const std::optional<double> read = ParseAmountText(text, settings);
                ASSERT_TRUE(read.has_value()) << text;
                ASSERT_EQ(FormatAmountForFile(*read, settings), text);
            }
        }
    }
}

TEST(AmountRoundTripTest, writingWhatWasReadGivesTheSameText) {
    const FormatSettings settings = Settings(",", 2);
    std::mt19937_64 random(7032010);
    for (int i = 0; i < 20000; ++i) {
        // Any finite double, from the tiniest to the largest.
        double value;
        do {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
        } while (!std::isfinite(value));
        const std::string text = FormatAmountForFile(value, settings);
        const std::optional<double> read = ParseAmountText(text, settings);
        ASSERT_TRUE(read.has_value()) << text;
        ASSERT_EQ(FormatAmountForFile(*read, settings), text);
    }
}

}  // namespace
}  // namespace talvesa
