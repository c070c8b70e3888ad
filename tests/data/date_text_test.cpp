#include "date_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "date_value.h"

namespace talvesa {
namespace {

FormatSettings Settings(std::string pattern, std::string separator) {
    FormatSettings settings = FormatSettings::russian();
    settings.shortDatePattern = std::move(pattern);
    settings.dateSeparator = std::move(separator);
    return settings;
}

double Day(int year, int month, int day) { return EncodeDate(year, month, day).value(); }

TEST(DateValueTest, countsDaysFromTheEpoch) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);  // 1900 has no 29 February
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(2010, 3, 7), 40244.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

TEST(DateValueTest, rejectsDaysThatDoNotExist) {
    EXPECT_EQ(EncodeDate(2010, 2, 29), std::nullopt);
    EXPECT_EQ(EncodeDate(1900, 2, 29), std::nullopt);
    EXPECT_EQ(EncodeDate(2000, 2, 30), std::nullopt);
    EXPECT_EQ(EncodeDate(2010, 4, 31), std::nullopt);
    EXPECT_EQ(EncodeDate(2010, 13, 1), std::nullopt);
    EXPECT_EQ(EncodeDate(2010, 0, 1), std::nullopt);
    EXPECT_EQ(EncodeDate(2010, 1, 0), std::nullopt);
    EXPECT_EQ(EncodeDate(0, 1, 1), std::nullopt);
    EXPECT_EQ(EncodeDate(10000, 1, 1), std::nullopt);
    EXPECT_TRUE(EncodeDate(2000, 2, 29).has_value());
}

TEST(DateValueTest, decodesTheWholePartTruncatedTowardZero) {
    EXPECT_EQ(DecodeDate(40244.99), (CivilDate{2010, 3, 7}));
    EXPECT_EQ(DecodeDate(1.9), (CivilDate{1899, 12, 31}));
    EXPECT_EQ(DecodeDate(-0.5), (CivilDate{1899, 12, 30}));
    EXPECT_EQ(DecodeDate(-1.5), (CivilDate{1899, 12, 29}));
    EXPECT_EQ(DecodeDate(-693593.9), (CivilDate{1, 1, 1}));
    EXPECT_EQ(DecodeDate(2958465.9), (CivilDate{9999, 12, 31}));
}

TEST(DateValueTest, valuesWithoutACalendarDayShowDayZero) {
    EXPECT_EQ(DecodeDate(-693594), CivilDate{});
    EXPECT_EQ(DecodeDate(2958466), CivilDate{});
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::quiet_NaN()), CivilDate{});
    EXPECT_EQ(DecodeDate(std::numeric_limits<double>::infinity()), CivilDate{});
    EXPECT_EQ(DecodeDate(-1e300), CivilDate{});
}

TEST(DateValueTest, everyDayEncodesBackToItsValue) {
    for (int value = -693593; value <= 2958465; ++value) {
        const CivilDate date = DecodeDate(value);
        ASSERT_EQ(EncodeDate(date.year, date.month, date.day), value);
    }
}

TEST(DateValueTest, leapYearsAndMonthLengths) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
    EXPECT_EQ(DaysInMonth(2023, 0), 0);
}

struct WriteCase {
    const char* what;
    const char* pattern;
    const char* separator;
    CivilDate date;
    const char* text;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.what; }

class FormatDateTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(FormatDateTest, fillsInThePattern) {
    const WriteCase& c = GetParam();
    EXPECT_EQ(FormatDate(Day(c.date.year, c.date.month, c.date.day), Settings(c.pattern, c.separator)),
              c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatDateTest,
    ::testing::Values(
        WriteCase{"russian", "dd.MM.yyyy", ".", {2010, 3, 7}, "07.03.2010"},
        WriteCase{"withoutLeadingZeros", "d.M.yy", ".", {2010, 3, 7}, "7.3.10"},
        WriteCase{"twoDigitsStayTwo", "d.M.yyyy", ".", {2010, 12, 25}, "25.12.2010"},
        WriteCase{"slashIsTheSeparator", "M/d/yy", "/", {2010, 3, 7}, "3/7/10"},
        WriteCase{"slashTakesOtherSeparator", "M/d/yy", "-", {2010, 3, 7}, "3-7-10"},
        WriteCase{"yearFirst", "yyyy-MM-dd", "-", {2010, 3, 7}, "2010-03-07"},
        WriteCase{"lowerCaseMonth", "dd.mm.yyyy", ".", {2010, 3, 7}, "07.03.2010"},
        WriteCase{"upperCaseLetters", "DD.MM.YYYY", ".", {2010, 3, 7}, "07.03.2010"},
        WriteCase{"oneY", "d.M.y", ".", {2009, 3, 7}, "7.3.09"},
        WriteCase{"threeY", "d.M.yyy", ".", {2010, 3, 7}, "7.3.2010"},
        WriteCase{"yearPadded", "dd.MM.yyyy", ".", {5, 1, 2}, "02.01.0005"},
        WriteCase{"shortYearPadded", "dd.MM.yy", ".", {2005, 1, 2}, "02.01.05"},
        WriteCase{"apostrophes", "'Day' d 'of' M", ".", {2010, 3, 7}, "Day 7 of 3"},
        WriteCase{"doubleQuotes", "\"d\"d\"/\"", "-", {2010, 3, 7}, "d7/"},
        WriteCase{"unclosedQuote", "dd'.yyyy", ".", {2010, 3, 7}, "07.yyyy"},
        WriteCase{"otherTextCopied", "dd.MM.yyyy г.", ".", {2010, 3, 7}, "07.03.2010 г."},
        // Names have no place in a date that must read back: long runs write numbers.
        WriteCase{"dayAndMonthNamesAsNumbers", "ddd dddd MMM MMMM", ".", {2010, 3, 7},
                  "07 07 03 03"},
        WriteCase{"epoch", "dd.MM.yyyy", ".", {1899, 12, 30}, "30.12.1899"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(FormatDateTest, dropsTheTimeOfDay) {
    EXPECT_EQ(FormatDate(Day(2010, 3, 7) + 0.75, FormatSettings::russian()), "07.03.2010");
}

struct ReadCase {
    const char* what;
    const char* pattern;
    const char* separator;
    const char* text;
    int currentYear;
    std::optional<CivilDate> date;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class ParseDateTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ParseDateTest, readsByTheRules) {
    const ReadCase& c = GetParam();
    const std::optional<double> value =
        ParseDate(c.text, Settings(c.pattern, c.separator), c.currentYear);
    if (!c.date) {
        EXPECT_EQ(value, std::nullopt);
        return;
    }
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(DecodeDate(*value), *c.date);
    EXPECT_EQ(*value, std::floor(*value));
}

constexpr const char* kRu = "dd.MM.yyyy";
constexpr auto kNo = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Russian, ParseDateTest,
    ::testing::Values(
        ReadCase{"full", kRu, ".", "07.03.2010", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"withoutZeros", kRu, ".", "7.3.2010", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"closingSeparator", kRu, ".", "07.03.2010.", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"twoNumbersTakeCurrentYear", kRu, ".", "07.03", 2024, CivilDate{2024, 3, 7}},
        ReadCase{"spacesEverywhere", kRu, ".", "  07 . 03 . 2010 .  ", 2024,
                 CivilDate{2010, 3, 7}},
        ReadCase{"threeDigitDay", kRu, ".", "007.003.2010", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"windowLower", kRu, ".", "07.03.74", 2024, CivilDate{1974, 3, 7}},
        ReadCase{"windowUpper", kRu, ".", "07.03.73", 2024, CivilDate{2073, 3, 7}},
        ReadCase{"windowOneDigit", kRu, ".", "07.03.5", 2024, CivilDate{2005, 3, 7}},
        ReadCase{"windowZero", kRu, ".", "07.03.00", 2024, CivilDate{2000, 3, 7}},
        ReadCase{"windowAtCentury", kRu, ".", "1.1.49", 2000, CivilDate{2049, 1, 1}},
        ReadCase{"windowAtCenturyBase", kRu, ".", "1.1.50", 2000, CivilDate{1950, 1, 1}},
        ReadCase{"leadingZerosCountAsDigits", kRu, ".", "07.03.0074", 2024, CivilDate{74, 3, 7}},
        ReadCase{"threeDigitYearUnchanged", kRu, ".", "07.03.074", 2024, CivilDate{74, 3, 7}},
        ReadCase{"firstYear", kRu, ".", "1.1.0001", 2024, CivilDate{1, 1, 1}},
        ReadCase{"lastDay", kRu, ".", "31.12.9999", 2024, CivilDate{9999, 12, 31}},
        ReadCase{"leapDay", kRu, ".", "29.02.2024", 2024, CivilDate{2024, 2, 29}},
        ReadCase{"leapDayCurrentYear", kRu, ".", "29.02", 2024, CivilDate{2024, 2, 29}},
        ReadCase{"noSuchDay", kRu, ".", "31.02.2010", 2024, kNo},
        ReadCase{"noLeapDay", kRu, ".", "29.02.2023", 2024, kNo},
        ReadCase{"noLeapDayCurrentYear", kRu, ".", "29.02", 2023, kNo},
        ReadCase{"otherSeparator", kRu, ".", "07/03/2010", 2024, kNo},
        ReadCase{"separatorWithoutThird", kRu, ".", "07.03.", 2024, kNo},
        ReadCase{"timeAfterDate", kRu, ".", "07.03.2010 10:00", 2024, kNo},
        ReadCase{"twoClosingSeparators", kRu, ".", "07.03.2010..", 2024, kNo},
        ReadCase{"emptyNumber", kRu, ".", "07..2010", 2024, kNo},
        ReadCase{"oneNumber", kRu, ".", "07", 2024, kNo},
        ReadCase{"empty", kRu, ".", "", 2024, kNo},
        ReadCase{"onlySpaces", kRu, ".", "   ", 2024, kNo},
        ReadCase{"onlySeparator", kRu, ".", ".", 2024, kNo},
        ReadCase{"fifthDigitLeftOver", kRu, ".", "07.03.20105", 2024, kNo},
        ReadCase{"yearZero", kRu, ".", "07.03.0000", 2024, kNo},
        ReadCase{"dayZero", kRu, ".", "00.03.2010", 2024, kNo},
        ReadCase{"monthThirteen", kRu, ".", "07.13.2010", 2024, kNo},
        ReadCase{"sign", kRu, ".", "+7.3.2010", 2024, kNo},
        ReadCase{"tabIsNoSpace", kRu, ".", "\t07.03.2010", 2024, kNo},
        ReadCase{"noBreakSpaceIsNoSpace", kRu, ".", "07.03.2010\u00A0", 2024, kNo},
        ReadCase{"trailingLetter", kRu, ".", "07.03.2010г", 2024, kNo}),
    [](const auto& info) { return std::string(info.param.what); });

INSTANTIATE_TEST_SUITE_P(
    Orders, ParseDateTest,
    ::testing::Values(
        ReadCase{"yearFirst", "yyyy-MM-dd", "-", "2010-03-07", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"yearFirstShortYear", "yyyy-MM-dd", "-", "10-3-7", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"yearFirstTwoNumbers", "yyyy-MM-dd", "-", "3-7", 2024, CivilDate{2024, 3, 7}},
        ReadCase{"eraYearFirst", "ee.MM.dd", ".", "2010.3.7", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"monthFirst", "M/d/yyyy", "/", "3/7/2010", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"monthFirstTwoNumbers", "M/d/yy", "/", "3/7", 2024, CivilDate{2024, 3, 7}},
        ReadCase{"monthFirstWindow", "M/d/yy", "/", "7/3/74", 2024, CivilDate{1974, 7, 3}},
        ReadCase{"monthFirstRejectsDayFirst", "M/d/yyyy", "/", "25/12/2010", 2024, kNo},
        ReadCase{"noLettersIsMonthFirst", "", ".", "3.7.2010", 2024, CivilDate{2010, 3, 7}},
        ReadCase{"upperCaseDecides", "DD.MM.YYYY", ".", "25.12.2010", 2024,
                 CivilDate{2010, 12, 25}},
        ReadCase{"multiByteSeparator", "dd/MM/yyyy", "г", "07г03г2010", 2024,
                 CivilDate{2010, 3, 7}},
        ReadCase{"emptySeparatorReadsNothing", "dd.MM.yyyy", "", "07032010", 2024, kNo}),
    [](const auto& info) { return std::string(info.param.what); });

// Whatever a numeric pattern writes reads back as the same day.
TEST(DateRoundTripTest, writtenDatesReadBack) {
    const FormatSettings settingsList[] = {
        Settings("dd.MM.yyyy", "."), Settings("d.M.yyyy", "."), Settings("M/d/yyyy", "/"),
        Settings("yyyy-MM-dd", "-"), Settings("dd.MM.yyyy.", "."), Settings("yyyy/M/d", "/")};
    for (const FormatSettings& settings : settingsList) {
        for (int value = -693593; value <= 2958465; value += 97) {
            const std::string text = FormatDate(value, settings);
            ASSERT_EQ(ParseDate(text, settings, 2024), value)
                << settings.shortDatePattern << " " << text;
        }
    }
}

TEST(DateRoundTripTest, twoDigitYearsReadBackInsideTheWindow) {
    const FormatSettings settings = Settings("dd.MM.yy", ".");
    const int currentYear = 2024;
    for (int value = static_cast<int>(Day(1974, 1, 1)); value <= Day(2073, 12, 31); value += 3) {
        const std::string text = FormatDate(value, settings);
        ASSERT_EQ(ParseDate(text, settings, currentYear), value) << text;
    }
}

TEST(LocalCurrentYearTest, isAPlausibleYear) {
    const int year = LocalCurrentYear();
    EXPECT_GE(year, 2020);
    EXPECT_LE(year, 9999);
}

}  // namespace
}  // namespace talvesa
