// One block of the report, written from Selection.
#include <gtest/gtest.h>

#include "search_test_support.h"

namespace talvesa::testing {
namespace {

class Report : public ::testing::Test {
protected:
    void TearDown() override { Selection.clear(); }

    std::vector<std::string> Print(std::vector<ttempRec*> entries,
                                   const FormatSettings& settings = FormatSettings::russian()) {
        Selection = std::move(entries);
        RecordingArea area;
        PrintSolution(area, settings);
        return area.lines;
    }
};

TEST_F(Report, WritesHeaderOneLinePerPaymentAndAnEmptyLine) {
    ttempRec rent{"Аренда", 40244, 60005000};
    ttempRec power{"Свет за март", 40250, 15000000};
    const std::vector<std::string> expected = {"Найдено решение2", "Аренда 07.03.2010 6000,5",
                                               "Свет за март 13.03.2010 1500", ""};
    EXPECT_EQ(Print({&rent, &power}), expected);
}

TEST_F(Report, FollowsTheRegionalForms) {
    FormatSettings us = FormatSettings::russian();
    us.shortDatePattern = "M/d/yyyy";
    us.dateSeparator = "/";
    us.decimalSeparator = ".";
    ttempRec rent{"Rent", 40244, 60005000};
    EXPECT_EQ(Print({&rent}, us).at(1), "Rent 3/7/2010 6000.5");
}

TEST_F(Report, EmptyFieldsAndMissingEntries) {
    ttempRec unnamed{"", 40244, 1};
    ttempRec undated{"Без даты", 0, 0};
    const std::vector<std::string> expected = {"Найдено решение3", " 07.03.2010 0,0001",
                                               "ошибка указателя", "Без даты 30.12.1899 0", ""};
    EXPECT_EQ(Print({&unnamed, nullptr, &undated}), expected);
}

TEST_F(Report, NameIsWrittenExactlyAsStored) {
    ttempRec spaced{"  два  пробела \"в кавычках\"", 40244, -255000};
    EXPECT_EQ(Print({&spaced}).at(1), "  два  пробела \"в кавычках\" 07.03.2010 -25,5");
}

}  // namespace
}  // namespace talvesa::testing
