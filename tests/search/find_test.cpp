// The Find command through the payment table.
#include <gtest/gtest.h>

#include <optional>

#include "errors.h"
#include "mem_data.h"
#include "search_test_support.h"

namespace talvesa::testing {
namespace {

struct Entry {
    std::string name;
    double pay;
};

// The reported sets as names joined by "+", one string per block.
std::vector<std::string> SetsIn(const std::vector<std::string>& lines) {
    std::vector<std::string> sets;
    bool inBlock = false;
    for (const std::string& line : lines) {
        if (line.starts_with("Найдено решение")) {
            sets.emplace_back();
            inBlock = true;
        } else if (line.empty()) {
            inBlock = false;
        } else if (inBlock) {
            std::string& set = sets.back();
            if (!set.empty()) set += '+';
            set += line.substr(0, line.find(' '));
        }
    }
    return sets;
}

class FindThroughTable : public ::testing::TestWithParam<SearchEngine> {
protected:
    void Add(const std::string& name, double pay) {
        table->Append();
        table->FieldNamed("Name").SetValueAsText(name);
        table->FieldNamed("Date").SetValueAsDate(40244);
        table->FieldNamed("Pay").SetValueAsReal(pay);
        table->Post();
    }
    void Fill(const std::vector<Entry>& entries) {
        for (const Entry& e : entries) Add(e.name, e.pay);
    }
    bool Find(std::optional<double> target) {
        FindOptions options;
        options.engine = GetParam();
        return FindCommand(*table, target, area, FormatSettings::russian(), options);
    }
    void ExpectLeftOnLastRecordWithEmptyArrays() {
        EXPECT_TRUE(Candidates.empty());
        EXPECT_TRUE(Selection.empty());
        EXPECT_EQ(table->State(), DataSetState::Browse);
        if (table->RecordTotal() > 0) {
            EXPECT_EQ(table->CurrentIndex(), table->RecordTotal() - 1);
            EXPECT_TRUE(table->AtEnd());
        }
    }

    std::unique_ptr<TdxMemData> table = MakePaymentTable();
    RecordingArea area;
};

struct SetsCase {
    const char* what;
    std::vector<Entry> entries;
    std::optional<double> target;
    std::vector<std::string> sets;
};

TEST_P(FindThroughTable, ReportsEverySetInChainOrder) {
    const std::vector<SetsCase> cases = {
        {"zero joins the payment equal to the target",
         {{"A", 600}, {"B", 400}, {"C", 1000}, {"D", 0}},
         1000,
         {"C+D", "A+B"}},
        {"a payment alone is never a set", {{"A", 600}, {"B", 400}, {"C", 1000}}, 1000, {"A+B"}},
        {"equal amounts in table order",
         {{"A", 500}, {"B", 500}, {"C", 500}},
         1000,
         {"A+B", "A+C", "B+C"}},
        {"zeros meet a zero target in pairs only",
         {{"Z1", 0}, {"Z2", 0}, {"Z3", 0}},
         0,
         {"Z1+Z2", "Z1+Z3", "Z2+Z3"}},
        {"a negative amount never completes a set", {{"P", 1500}, {"N", -500}}, 1000, {}},
        {"a negative target yields nothing", {{"A", -500}, {"B", -500}, {"C", 0}}, -1000, {}},
        {"sums are exact", {{"A", 0.1}, {"B", 0.2}}, 0.3, {"B+A"}},
        {"a met chain is not lengthened by a zero",
         {{"A", 700}, {"B", 300}, {"Z", 0}},
         1000,
         {"A+B"}},
        {"one payment", {{"A", 1000}}, 1000, {}},
        {"no target", {{"A", 600}, {"B", 400}}, std::nullopt, {}},
        {"sorted largest first, ties in table order",
         {{"S", 100}, {"M", 300}, {"L", 600}, {"M2", 300}},
         1000,
         {"L+M+S", "L+M2+S"}},
    };
    for (const SetsCase& c : cases) {
        table = MakePaymentTable();
        Fill(c.entries);
        EXPECT_TRUE(Find(c.target)) << c.what;
        EXPECT_EQ(SetsIn(area.lines), c.sets) << c.what;
        ExpectLeftOnLastRecordWithEmptyArrays();
    }
}

TEST_P(FindThroughTable, WritesBlocksAfterEmptyingTheArea) {
    area.lines = {"left from before"};
    Fill({{"A", 600}, {"B", 400}, {"C", 1000}, {"D", 0}});
    Find(1000);
    EXPECT_EQ(area.clears, 1);
    const std::vector<std::string> expected = {
        "Найдено решение2", "C 07.03.2010 1000", "D 07.03.2010 0",   "",
        "Найдено решение2", "A 07.03.2010 600",  "B 07.03.2010 400", ""};
    EXPECT_EQ(area.lines, expected);
}

TEST_P(FindThroughTable, TargetBeyondTheAmountRangeFailsBeforeAnySet) {
    Fill({{"A", 600}, {"B", 400}});
    try {
        Find(1234567890123456.0);
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(),
                     "Overflow while converting variant of type (Double) into type (Currency)");
    }
    EXPECT_TRUE(area.lines.empty());
    ExpectLeftOnLastRecordWithEmptyArrays();
}

TEST_P(FindThroughTable, EmptyTableRaisesNothing) {
    for (const std::optional<double> target :
         {std::optional<double>(1e16), std::optional<double>(-1e16), std::optional<double>()}) {
        EXPECT_NO_THROW(Find(target));
        EXPECT_TRUE(area.lines.empty());
        ExpectLeftOnLastRecordWithEmptyArrays();
    }
}

TEST_P(FindThroughTable, RemainderOverflowKeepsTheLinesWrittenBefore) {
    // The remainder 400 plus the negative's magnitude leaves the Amount range, after the
    // set A+B has been reported.
    Fill({{"A", 600}, {"B", 400}, {"N", -922337203685477.0}});
    try {
        Find(1000);
        FAIL() << "no error";
    } catch (const MathError& e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
    EXPECT_EQ(SetsIn(area.lines), std::vector<std::string>{"A+B"});
    EXPECT_EQ(area.lines.size(), 4U);
    ExpectLeftOnLastRecordWithEmptyArrays();
}

TEST_P(FindThroughTable, RecordBeingEditedIsPostedAndTakesPart) {
    Fill({{"A", 700}, {"B", 400}});
    table->Edit();
    table->FieldNamed("Pay").SetValueAsReal(300);
    Find(1000);
    EXPECT_EQ(area.lines.at(2), "B 07.03.2010 300");
    EXPECT_EQ(table->RecordTotal(), 2);
    ExpectLeftOnLastRecordWithEmptyArrays();

    table->Append();
    table->FieldNamed("Name").SetValueAsText("C");
    table->FieldNamed("Pay").SetValueAsReal(0);
    Find(1000);
    EXPECT_EQ(SetsIn(area.lines), std::vector<std::string>{"A+B"});
    EXPECT_EQ(table->RecordTotal(), 3);
    ExpectLeftOnLastRecordWithEmptyArrays();
}

INSTANTIATE_TEST_SUITE_P(Engines, FindThroughTable, BothEngines(), EngineName);

}  // namespace
}  // namespace talvesa::testing
