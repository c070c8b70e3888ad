#include "code_page.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace talvesa {
namespace {

struct ToAnsiCase {
    const char* what;
    std::string utf8;
    std::string ansi;
};

void PrintTo(const ToAnsiCase& c, std::ostream* os) { *os << c.what; }

class Utf8ToAnsiTest : public ::testing::TestWithParam<ToAnsiCase> {};

TEST_P(Utf8ToAnsiTest, convertsToWindows1251) {
    EXPECT_EQ(Utf8ToAnsi(GetParam().utf8), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToAnsiTest,
    ::testing::Values(
        ToAnsiCase{"ascii", "Rent 42\t", "Rent 42\t"},
        ToAnsiCase{"embeddedNul", std::string("a\0b", 3), std::string("a\0b", 3)},
        ToAnsiCase{"cyrillic", "Аренда ёЁ", "\xC0\xF0\xE5\xED\xE4\xE0 \xB8\xA8"},
        ToAnsiCase{"cyrillicEnds", "АЯая", "\xC0\xDF\xE0\xFF"},
        ToAnsiCase{"otherCyrillicOfThePage", "ЂЎўЈҐґЇїІі", "\x80\xA1\xA2\xA3\xA5\xB4\xAF\xBF\xB2\xB3"},
        ToAnsiCase{"signsOfThePage", "№€™«»…–—", "\xB9\x88\x99\xAB\xBB\x85\x96\x97"},
        ToAnsiCase{"typographicQuotesOfThePage", "‘’“”„‚", "\x91\x92\x93\x94\x84\x82"},
        ToAnsiCase{"noBreakSpace", "1\u00A0000", "1\xA0" "000"},
        ToAnsiCase{"narrowNoBreakSpace", "1\u202F000", "1\xA0" "000"},
        ToAnsiCase{"otherSpaces", "a\u2002b\u2009c", "a b c"},
        ToAnsiCase{"latinDiacritics", "Ærøskøbing Łódź Škoda çà ÿ", "Aroskobing Lodz Skoda ca y"},
        ToAnsiCase{"dashesAndPrimes", "\u2010\u2212\u2032\u2033", "--'\""},
        ToAnsiCase{"unmappable", "日本 ß €", "?? s \x88"},
        ToAnsiCase{"astral", "a😀b", "a?b"},
        ToAnsiCase{"strayContinuation", "a\x80\xBF" "b", "a??b"},
        ToAnsiCase{"truncatedAtEnd", "a\xD0", "a?"},
        ToAnsiCase{"truncatedThreeByte", "\xE2\x82" "b", "?b"},
        ToAnsiCase{"overlongSlash", "\xC0\xAF", "??"},
        ToAnsiCase{"overlongThreeByte", "\xE0\x80\xAF", "???"},
        ToAnsiCase{"encodedSurrogate", "\xED\xA0\x80", "???"},
        ToAnsiCase{"pastLastCodePoint", "\xF4\x90\x80\x80", "????"},
        ToAnsiCase{"invalidLead", "\xFF\xFE", "??"},
        ToAnsiCase{"leadThenAscii", "\xD0Z", "?Z"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(AnsiToUtf8Test, everyByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = AnsiToUtf8(all);
    EXPECT_EQ(Utf8ToAnsi(utf8), all);
}

TEST(AnsiToUtf8Test, decodesTheHighHalf) {
    EXPECT_EQ(AnsiToUtf8("\xC0\xF0\xE5\xED\xE4\xE0"), "Аренда");
    EXPECT_EQ(AnsiToUtf8("\xA0\xB9\x88"), "\u00A0№€");
    EXPECT_EQ(AnsiToUtf8("plain"), "plain");
}

struct Utf16Case {
    const char* what;
    std::string le;
    std::string utf8;
};

void PrintTo(const Utf16Case& c, std::ostream* os) { *os << c.what; }

class Utf16Test : public ::testing::TestWithParam<Utf16Case> {};

std::string Swapped(const std::string& le) {
    std::string be = le;
    for (std::size_t i = 0; i + 1 < be.size(); i += 2) std::swap(be[i], be[i + 1]);
    return be;
}

TEST_P(Utf16Test, decodesBothByteOrders) {
    EXPECT_EQ(Utf16LeToUtf8(GetParam().le), GetParam().utf8);
    EXPECT_EQ(Utf16BeToUtf8(Swapped(GetParam().le)), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16Test,
    ::testing::Values(
        Utf16Case{"empty", "", ""},
        Utf16Case{"ascii", std::string("N\0a\0\t\0", 6), "Na\t"},
        Utf16Case{"cyrillic", std::string("\x10\x04\x4F\x04", 4), "Ая"},
        Utf16Case{"pair", std::string("\x3D\xD8\x00\xDE", 4), "😀"},
        Utf16Case{"loneHigh", std::string("\x3D\xD8" "a\0", 4), "\uFFFDa"},
        Utf16Case{"loneHighAtEnd", std::string("\x3D\xD8", 2), "\uFFFD"},
        Utf16Case{"loneLow", std::string("\x00\xDE" "a\0", 4), "\uFFFDa"},
        Utf16Case{"nulKept", std::string("a\0\0\0b\0", 6), std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Utf16Test, oddLastByteIsIgnored) {
    EXPECT_EQ(Utf16LeToUtf8(std::string("a\0b", 3)), "a");
    EXPECT_EQ(Utf16BeToUtf8(std::string("\0ab", 3)), "a");
}

}  // namespace
}  // namespace talvesa
