#include "mem_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "errors.h"

namespace talvesa {
namespace {

class PaymentTableTest : public ::testing::Test {
protected:
    TField& name() { return table->FieldNamed("Name"); }
    TField& date() { return table->FieldNamed("Date"); }
    TField& pay() { return table->FieldNamed("Pay"); }
    TField& recId() { return table->FieldNamed("RecId"); }

    void Add(const std::string& text) {
        table->Append();
        name().SetValueAsText(text);
        table->Post();
    }

    // Stored names in table order.
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (int i = 0; i < table->RecordTotal(); ++i) out.push_back(table->RecordAt(i).name);
        return out;
    }
    std::vector<int> RecIds() const {
        std::vector<int> out;
        for (int i = 0; i < table->RecordTotal(); ++i) out.push_back(table->RecordAt(i).recId);
        return out;
    }
    std::string CurrentName() { return name().ValueAsText(); }

    std::unique_ptr<TdxMemData> table = MakePaymentTable();
};

// Runs action and returns the message it fails with, "" when it does not.
std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

using Strings = std::vector<std::string>;
using Ints = std::vector<int>;

TEST(PaymentTableFields, areRecIdNameDatePayInThatOrder) {
    auto table = MakePaymentTable();
    ASSERT_EQ(table->Fields().size(), 4u);
    struct Expected {
        const char* name;
        FieldKind kind;
        FieldType type;
        int size;
        bool visible;
    };
    const Expected expected[] = {
        {"RecId", FieldKind::fkCalculated, FieldType::Integer, 0, false},
        {"Name", FieldKind::fkData, FieldType::String, 255, true},
        {"Date", FieldKind::fkData, FieldType::Date, 0, true},
        {"Pay", FieldKind::fkData, FieldType::Currency, 0, true},
    };
    for (int i = 0; i < 4; ++i) {
        const TField& field = *table->Fields()[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(field.FieldName(), expected[i].name);
        EXPECT_EQ(field.Kind(), expected[i].kind);
        EXPECT_EQ(field.DataType(), expected[i].type);
        EXPECT_EQ(field.Size(), expected[i].size);
        EXPECT_EQ(field.Visible(), expected[i].visible);
        EXPECT_EQ(field.Index(), i);
        EXPECT_EQ(&field.DataSet(), table.get());
    }
    EXPECT_EQ(table->Name(), "dxMemData1");
}

TEST(PaymentTableFields, areFoundByNameIgnoringCase) {
    auto table = MakePaymentTable();
    for (const char* asked : {"pay", "Pay", "PAY", "pAy"}) {
        EXPECT_EQ(&table->FieldNamed(asked), table->Fields()[3].get()) << asked;
    }
    EXPECT_EQ(&table->FieldNamed("recid"), table->Fields()[0].get());
    EXPECT_EQ(&table->FieldNamed("NAME"), table->Fields()[1].get());
    EXPECT_EQ(table->SeekField("date"), table->Fields()[2].get());
    EXPECT_EQ(table->SeekField("Amount"), nullptr);
    EXPECT_EQ(table->SeekField(""), nullptr);
    EXPECT_EQ(FailureOf([&] { table->FieldNamed("payy"); }),
              "dxMemData1: Field 'payy' not found");
}

TEST_F(PaymentTableTest, startsOpenEmptyInBrowseState) {
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_EQ(table->RecordTotal(), 0);
    EXPECT_EQ(table->RecordPosition(), 0);
    EXPECT_TRUE(table->AtStart());
    EXPECT_TRUE(table->AtEnd());
    table->First();
    EXPECT_TRUE(table->AtStart());
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(table->CurrentIndex(), -1);
    EXPECT_FALSE(table->TakeBookmark());
}

TEST_F(PaymentTableTest, editOnEmptyTableStartsTheOnlyRecordWithRecIdOne) {
    table->Edit();
    EXPECT_EQ(table->State(), DataSetState::Insert);
    name().SetValueAsText("A");
    table->Post();
    EXPECT_EQ(Names(), Strings{"A"});
    EXPECT_EQ(recId().ValueAsInteger(), 1);
    EXPECT_EQ(table->RecordPosition(), 1);
}

TEST_F(PaymentTableTest, insertStoresBeforeTheCurrentRecord) {
    Add("A");
    Add("B");
    Add("C");
    table->SetRecordPosition(2);
    table->Insert();
    EXPECT_EQ(table->RecordPosition(), 2);
    EXPECT_EQ(table->PendingInsertIndex(), 1);
    EXPECT_EQ(table->RecordTotal(), 3);
    name().SetValueAsText("N");
    table->Post();
    EXPECT_EQ(Names(), (Strings{"A", "N", "B", "C"}));
    EXPECT_EQ(RecIds(), (Ints{1, 4, 2, 3}));
    EXPECT_EQ(CurrentName(), "N");
    EXPECT_EQ(table->RecordPosition(), 2);
}

TEST_F(PaymentTableTest, cancelledInsertRestoresCursorAndUsesNoNumber) {
    Add("A");
    Add("B");
    Add("C");
    table->SetRecordPosition(2);
    table->Insert();
    name().SetValueAsText("N");
    EXPECT_EQ(recId().ValueAsInteger(), 4);  // preset
    table->Cancel();
    EXPECT_EQ(Names(), (Strings{"A", "B", "C"}));
    EXPECT_EQ(CurrentName(), "B");
    Add("D");
    EXPECT_EQ(RecIds(), (Ints{1, 2, 3, 4}));
}

TEST_F(PaymentTableTest, cancelledAppendLeavesLastRecordCurrent) {
    Add("A");
    Add("B");
    table->First();
    table->Append();
    EXPECT_EQ(table->RecordPosition(), 3);
    table->Cancel();
    EXPECT_EQ(CurrentName(), "B");
    EXPECT_EQ(table->RecordPosition(), 2);
}

TEST_F(PaymentTableTest, insertAfterWalkingToTheEndStoresBeforeTheLastRecord) {
    Add("A");
    Add("B");
    table->First();
    for (int i = 0; i < table->RecordTotal(); ++i) table->Next();
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(CurrentName(), "B");
    table->Insert();
    name().SetValueAsText("N");
    table->Post();
    EXPECT_EQ(Names(), (Strings{"A", "N", "B"}));
}

TEST_F(PaymentTableTest, appendStoresAtTheEndAndMakesItCurrent) {
    Add("A");
    Add("B");
    table->First();
    table->Append();
    name().SetValueAsText("Z");
    table->Post();
    EXPECT_EQ(Names(), (Strings{"A", "B", "Z"}));
    EXPECT_EQ(CurrentName(), "Z");
    EXPECT_EQ(table->RecordPosition(), 3);
}

TEST_F(PaymentTableTest, insertOnEmptyTableStoresAtTheStart) {
    table->Insert();
    EXPECT_EQ(table->RecordPosition(), 0);
    EXPECT_EQ(table->PendingInsertIndex(), 0);
    name().SetValueAsText("A");
    table->Post();
    EXPECT_EQ(Names(), Strings{"A"});
    EXPECT_FALSE(table->AtStart());
    EXPECT_FALSE(table->AtEnd());
}

TEST_F(PaymentTableTest, postedEditKeepsPositionAndRecId) {
    Add("A");
    Add("B");
    Add("C");
    table->SetRecordPosition(2);
    table->Edit();
    EXPECT_EQ(table->State(), DataSetState::Edit);
    name().SetValueAsText("b2");
    EXPECT_EQ(table->RecordAt(1).name, "B");  // the store is untouched until Post
    table->Post();
    EXPECT_EQ(Names(), (Strings{"A", "b2", "C"}));
    EXPECT_EQ(RecIds(), (Ints{1, 2, 3}));
    EXPECT_EQ(table->RecordPosition(), 2);
}

TEST_F(PaymentTableTest, cancelledEditRestoresStoredValues) {
    Add("A");
    table->Edit();
    name().SetValueAsText("X");
    EXPECT_EQ(CurrentName(), "X");
    table->Cancel();
    EXPECT_EQ(CurrentName(), "A");
    EXPECT_EQ(table->State(), DataSetState::Browse);
}

TEST_F(PaymentTableTest, editAndCancelOutOfPlaceDoNothing) {
    Add("A");
    table->Cancel();  // browse
    EXPECT_EQ(table->State(), DataSetState::Browse);
    table->Edit();
    name().SetValueAsText("X");
    table->Edit();  // already editing: the assignment stays
    EXPECT_EQ(CurrentName(), "X");
    EXPECT_TRUE(table->Altered());
    table->Insert();  // settles: posts
    table->Edit();
    EXPECT_EQ(table->State(), DataSetState::Insert);
}

struct DeleteCase {
    const char* label;
    int records;
    int position;
    Strings remaining;
    std::string current;
};

class DeleteTest : public PaymentTableTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, makesTheFollowingOrNewLastRecordCurrent) {
    const DeleteCase& c = GetParam();
    const Strings all = {"A", "B", "C"};
    for (int i = 0; i < c.records; ++i) Add(all[i]);
    table->SetRecordPosition(c.position);
    table->Delete();
    EXPECT_EQ(Names(), c.remaining);
    EXPECT_EQ(CurrentName(), c.current);
    EXPECT_EQ(table->State(), DataSetState::Browse);
    if (c.remaining.empty()) {
        EXPECT_TRUE(table->AtStart());
        EXPECT_TRUE(table->AtEnd());
        EXPECT_EQ(table->RecordPosition(), 0);
        EXPECT_EQ(table->CurrentIndex(), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, DeleteTest,
    ::testing::Values(DeleteCase{"first", 3, 1, {"B", "C"}, "B"},
                      DeleteCase{"middle", 3, 2, {"A", "C"}, "C"},
                      DeleteCase{"last", 3, 3, {"A", "B"}, "B"},
                      DeleteCase{"only", 1, 1, {}, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PaymentTableTest, deleteWhileEditingDropsThePendingChangesWithTheRecord) {
    Add("A");
    Add("B");
    table->First();
    table->Edit();
    name().SetValueAsText("X");
    table->Delete();
    EXPECT_EQ(Names(), Strings{"B"});
    EXPECT_EQ(table->State(), DataSetState::Browse);
}

TEST_F(PaymentTableTest, deleteWhileInsertingOnlyDropsTheNewRecord) {
    Add("A");
    table->Insert();
    name().SetValueAsText("N");
    table->Delete();
    EXPECT_EQ(Names(), Strings{"A"});
    EXPECT_EQ(CurrentName(), "A");
    // On an empty table, too, it is a cancel and not the empty-table error.
    table->Delete();
    table->Insert();
    EXPECT_EQ(FailureOf([&] { table->Delete(); }), "");
    EXPECT_EQ(table->State(), DataSetState::Browse);
}

TEST_F(PaymentTableTest, recIdsAreNeverReusedWhileOpen) {
    Add("A");
    Add("B");
    Add("C");
    table->Delete();  // C, the highest number
    Add("D");
    EXPECT_EQ(RecIds(), (Ints{1, 2, 4}));
    table->First();
    table->Edit();
    name().SetValueAsText("a");
    table->Post();
    EXPECT_EQ(RecIds(), (Ints{1, 2, 4}));
}

TEST_F(PaymentTableTest, closeAndOpenGiveAnEmptyTableNumberingFromOne) {
    Add("A");
    Add("B");
    table->Append();
    name().SetValueAsText("lost");
    table->Close();
    EXPECT_FALSE(table->Active());
    EXPECT_EQ(table->State(), DataSetState::Inactive);
    EXPECT_EQ(table->RecordTotal(), 0);
    table->Open();
    EXPECT_EQ(table->RecordTotal(), 0);
    EXPECT_TRUE(table->AtStart());
    EXPECT_TRUE(table->AtEnd());
    Add("C");
    EXPECT_EQ(RecIds(), Ints{1});
    EXPECT_EQ(table->TakeBookmark(), 1);
}

TEST_F(PaymentTableTest, activeOpensAndCloses) {
    table->SetActive(false);
    EXPECT_FALSE(table->Active());
    table->SetActive(false);
    table->SetActive(true);
    EXPECT_TRUE(table->Active());
    Add("A");
    table->SetActive(true);  // already open: records stay
    EXPECT_EQ(table->RecordTotal(), 1);
}

TEST_F(PaymentTableTest, movingTheCursorSettlesAPendingRecord) {
    Add("A");
    // Unchanged new record: dropped.
    table->Insert();
    table->First();
    EXPECT_EQ(Names(), Strings{"A"});
    EXPECT_EQ(table->State(), DataSetState::Browse);
    // Assigned new record: stored before the cursor moves.
    table->Insert();
    name().SetValueAsText("N");
    table->First();
    EXPECT_EQ(Names(), (Strings{"N", "A"}));
    EXPECT_EQ(table->RecordTotal(), 2);
    // Changed edit: posted by Next; an unchanged one is cancelled.
    table->Edit();
    name().SetValueAsText("n");
    table->Next();
    EXPECT_EQ(Names(), (Strings{"n", "A"}));
    EXPECT_EQ(CurrentName(), "A");
    table->Edit();
    table->SetRecordPosition(1);
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_EQ(CurrentName(), "n");
}

TEST_F(PaymentTableTest, clearingCountsAsAnAssignment) {
    Add("A");
    table->Edit();
    name().Clear();
    EXPECT_TRUE(table->Altered());
    EXPECT_TRUE(name().HasNoValue());
    table->Next();  // posts the cleared name
    EXPECT_TRUE(name().HasNoValue());
    EXPECT_EQ(CurrentName(), "");
}

TEST_F(PaymentTableTest, nextOnTheLastRecordSetsAtEndAndKeepsIt) {
    Add("A");
    Add("B");
    table->First();
    table->Next();
    EXPECT_EQ(CurrentName(), "B");
    EXPECT_FALSE(table->AtStart());
    EXPECT_FALSE(table->AtEnd());
    table->Next();
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(CurrentName(), "B");
    table->Next();
    EXPECT_TRUE(table->AtEnd());
    EXPECT_EQ(table->RecordPosition(), 2);
}

TEST_F(PaymentTableTest, settingRecordPositionOutOfRangeIsIgnored) {
    Add("A");
    Add("B");
    for (int position : {0, -1, 3, 100}) {
        table->SetRecordPosition(position);
        EXPECT_EQ(table->RecordPosition(), 2) << position;
    }
    table->SetRecordPosition(1);
    EXPECT_EQ(CurrentName(), "A");
}

TEST_F(PaymentTableTest, aRecordWithNoValuesReadsAsEmptyTextDayZeroAndZero) {
    table->Insert();
    table->Post();
    ASSERT_EQ(table->RecordTotal(), 1);
    EXPECT_EQ(name().ValueAsText(), "");
    EXPECT_EQ(date().ValueAsDate(), 0.0);
    EXPECT_EQ(pay().ValueAsReal(), 0.0);
    EXPECT_EQ(pay().ValueAsAmount(), 0);
    EXPECT_TRUE(name().HasNoValue());
    EXPECT_TRUE(date().HasNoValue());
    EXPECT_TRUE(pay().HasNoValue());
    EXPECT_FALSE(recId().HasNoValue());
}

TEST_F(PaymentTableTest, emptyTextIsAPresentValue) {
    table->Insert();
    name().SetValueAsText("");
    EXPECT_TRUE(table->Altered());
    table->Post();
    EXPECT_FALSE(name().HasNoValue());
    EXPECT_EQ(name().ValueAsText(), "");
}

struct NameCase {
    const char* label;
    std::string assigned;
    std::string stored;  // Windows-1251 bytes
    std::string readBack;
};

class NameStorageTest : public PaymentTableTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameStorageTest, storesTheCodePageBytes) {
    const NameCase& c = GetParam();
    table->Insert();
    name().SetValueAsText(c.assigned);
    table->Post();
    EXPECT_EQ(table->RecordAt(0).name, c.stored);
    EXPECT_EQ(name().ValueAsText(), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NameStorageTest,
    ::testing::Values(
        NameCase{"ascii", "Rent", "Rent", "Rent"},
        NameCase{"cyrillic", "Аренда", "\xC0\xF0\xE5\xED\xE4\xE0", "Аренда"},
        NameCase{"bestFit", "caf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D", "cafe \x93x\x94",
                 "cafe \xE2\x80\x9Cx\xE2\x80\x9D"},
        NameCase{"unknownCharacter", "\xE4\xB8\xAD", "?", "?"},
        NameCase{"cutAtZeroByte", std::string("ab\0cd", 5), "ab", "ab"},
        NameCase{"300Ascii", std::string(300, 'x'), std::string(255, 'x'), std::string(255, 'x')},
        NameCase{"cutInBytesOfTheCodePage",
                 [] {
                     std::string s;
                     for (int i = 0; i < 300; ++i) s += "ж";
                     return s;
                 }(),
                 std::string(255, '\xE6'),
                 [] {
                     std::string s;
                     for (int i = 0; i < 255; ++i) s += "ж";
                     return s;
                 }()},
        // TAB, CR and LF would break the record apart in the payment list file.
        NameCase{"lineBreaksAndTabs", "a\tb\r\nc", "a b  c", "a b  c"}),
    [](const auto& info) { return std::string(info.param.label); });

struct DateCase {
    const char* label;
    double assigned;
    double readBack;
};

class DateStorageTest : public PaymentTableTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(DateStorageTest, keepsWholeDaysOnly) {
    const DateCase& c = GetParam();
    table->Insert();
    date().SetValueAsDate(c.assigned);
    EXPECT_EQ(date().ValueAsDate(), c.readBack);
    table->Post();
    EXPECT_EQ(date().ValueAsDate(), c.readBack);
    EXPECT_EQ(table->RecordAt(0).date, static_cast<std::int32_t>(c.readBack));
}

INSTANTIATE_TEST_SUITE_P(
    Values, DateStorageTest,
    ::testing::Values(DateCase{"wholeDay", 45000.0, 45000.0},
                      DateCase{"timeDropped", 45000.75, 45000.0},
                      DateCase{"halfMillisecondBeforeMidnight", 45000.9999999999, 45001.0},
                      DateCase{"justBeforeMidnight", 45000.99999998, 45000.0},
                      DateCase{"zero", 0.0, 0.0},
                      DateCase{"negativeTruncatedTowardZero", -1.25, -1.0},
                      DateCase{"negativeNearWholeDay", -1.9999999999, -2.0},
                      DateCase{"firstDayOfYearOne", -693593.0, -693593.0},
                      DateCase{"lastDayOfYear9999", 2958465.5, 2958465.0}),
    [](const auto& info) { return std::string(info.param.label); });

// A value that is no day of the years 1 to 9999 has no stored form; storing it anyway would
// leave a day the rest of the program cannot show or save.
TEST_F(PaymentTableTest, dateThatCannotBeADayFailsAndStoresNothing) {
    const double inf = std::numeric_limits<double>::infinity();
    table->Insert();
    date().SetValueAsDate(100.0);
    for (double value : {std::nan(""), inf, -inf, 2958466.0, 2958465.9999999999, -693594.0,
                         1e300, -1e300}) {
        EXPECT_THROW(date().SetValueAsDate(value), MathError) << value;
        EXPECT_EQ(date().ValueAsDate(), 100.0) << value;
    }
    table->Cancel();
    table->Insert();
    EXPECT_EQ(FailureOf([&] { date().SetValueAsDate(std::nan("")); }),
              "Invalid floating point operation");
    EXPECT_TRUE(date().HasNoValue());
    EXPECT_FALSE(table->Altered());
}

struct PayCase {
    const char* label;
    double assigned;
    Amount amount;
};

class PayStorageTest : public PaymentTableTest, public ::testing::WithParamInterface<PayCase> {};

TEST_P(PayStorageTest, keepsTheDoubleAndReadsTheAmountRoundedHalfToEven) {
    const PayCase& c = GetParam();
    table->Insert();
    pay().SetValueAsReal(c.assigned);
    table->Post();
    EXPECT_EQ(pay().ValueAsReal(), c.assigned);
    EXPECT_EQ(pay().ValueAsAmount(), c.amount);
    EXPECT_EQ(ScaleToAmount(c.assigned), c.amount);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PayStorageTest,
    ::testing::Values(PayCase{"halfDown", 0.03125, 312}, PayCase{"halfUp", 0.09375, 938},
                      PayCase{"negativeHalf", -0.03125, -312},
                      PayCase{"nearest", 1.23456, 12346}, PayCase{"whole", 10000.0, 100000000},
                      // The double lies a little above the half; only the extended product
                      // shows it.
                      PayCase{"extendedPrecisionSmall", 0.00005, 1},
                      PayCase{"extendedPrecision", 0.12345, 1235},
                      PayCase{"large", 1e14, 1000000000000000000},
                      PayCase{"largeNegative", -1e14, -1000000000000000000}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PaymentTableTest, payBeyondTheAmountRangeIsStoredButCannotBeReadAsAmount) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double value : {1e15, -1e15, 9.3e14, inf, -inf, std::nan("")}) {
        table->Insert();
        pay().SetValueAsReal(value);
        table->Post();
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(pay().ValueAsReal()));
        } else {
            EXPECT_EQ(pay().ValueAsReal(), value);
        }
        EXPECT_EQ(FailureOf([&] { pay().ValueAsAmount(); }), "Invalid floating point operation")
            << value;
        EXPECT_THROW(pay().ValueAsAmount(), MathError);
        EXPECT_FALSE(ScaleToAmount(value));
    }
}

TEST(ScaleToAmountTest, reachesTheEdgesOfTheSignedRange) {
    // Doubles near 2^63 / 10000 lie 0.125 apart: the last ones inside and the first outside.
    EXPECT_EQ(ScaleToAmount(922337203685477.5), 9223372036854775000);
    EXPECT_EQ(ScaleToAmount(-922337203685477.5), -9223372036854775000);
    EXPECT_FALSE(ScaleToAmount(922337203685477.625));
    EXPECT_FALSE(ScaleToAmount(-922337203685477.625));
    EXPECT_EQ(ScaleToAmount(0.0), 0);
    EXPECT_EQ(ScaleToAmount(-0.0), 0);
}

struct FailureCase {
    const char* label;
    std::function<void(TdxMemData&)> action;
    std::string message;
};

class FailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, failsWithTheTableMessage) {
    const FailureCase& c = GetParam();
    auto table = MakePaymentTable();
    EXPECT_EQ(FailureOf([&] { c.action(*table); }), c.message);
}

const std::string kClosed = "dxMemData1: Cannot perform this operation on a closed dataset";
const std::string kNotEditing = "dxMemData1: Dataset not in edit or insert mode";

auto Closed(void (*op)(TdxMemData&)) {
    return [op](TdxMemData& t) {
        t.Close();
        op(t);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FailureTest,
    ::testing::Values(
        FailureCase{"deleteOnEmpty", [](TdxMemData& t) { t.Delete(); },
                    "dxMemData1: Cannot perform this operation on an empty dataset"},
        FailureCase{"postInBrowse", [](TdxMemData& t) { t.Post(); }, kNotEditing},
        FailureCase{"postWhenClosed", Closed([](TdxMemData& t) { t.Post(); }), kNotEditing},
        FailureCase{"assignTextInBrowse",
                    [](TdxMemData& t) { t.FieldNamed("Name").SetValueAsText("x"); }, kNotEditing},
        FailureCase{"assignDateInBrowse",
                    [](TdxMemData& t) { t.FieldNamed("Date").SetValueAsDate(1.0); }, kNotEditing},
        FailureCase{"assignPayInBrowse",
                    [](TdxMemData& t) { t.FieldNamed("Pay").SetValueAsReal(1.0); }, kNotEditing},
        FailureCase{"clearInBrowse", [](TdxMemData& t) { t.FieldNamed("Pay").Clear(); },
                    kNotEditing},
        FailureCase{"unknownField", [](TdxMemData& t) { t.FieldNamed("Amount"); },
                    "dxMemData1: Field 'Amount' not found"},
        FailureCase{"insertWhenClosed", Closed([](TdxMemData& t) { t.Insert(); }), kClosed},
        FailureCase{"appendWhenClosed", Closed([](TdxMemData& t) { t.Append(); }), kClosed},
        FailureCase{"editWhenClosed", Closed([](TdxMemData& t) { t.Edit(); }), kClosed},
        FailureCase{"deleteWhenClosed", Closed([](TdxMemData& t) { t.Delete(); }), kClosed},
        FailureCase{"firstWhenClosed", Closed([](TdxMemData& t) { t.First(); }), kClosed},
        FailureCase{"nextWhenClosed", Closed([](TdxMemData& t) { t.Next(); }), kClosed},
        FailureCase{"positionWhenClosed", Closed([](TdxMemData& t) { t.SetRecordPosition(1); }),
                    kClosed},
        FailureCase{"bookmarkWhenClosed", Closed([](TdxMemData& t) { t.ReturnToBookmark(1); }),
                    kClosed},
        FailureCase{"missingBookmark", [](TdxMemData& t) { t.ReturnToBookmark(7); },
                    "Bookmark not found"},
        FailureCase{"cancelInBrowse", [](TdxMemData& t) { t.Cancel(); }, ""},
        FailureCase{"cancelWhenClosed", Closed([](TdxMemData& t) { t.Cancel(); }), ""},
        FailureCase{"noBookmarkWhenClosed",
                    Closed([](TdxMemData& t) { t.ReturnToBookmark(std::nullopt); }), ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(PaymentTableName, prefixesTheTableMessages) {
    auto table = MakePaymentTable("Payments");
    EXPECT_EQ(FailureOf([&] { table->Delete(); }),
              "Payments: Cannot perform this operation on an empty dataset");
    EXPECT_EQ(FailureOf([&] { table->ReturnToBookmark(3); }), "Bookmark not found");
}

TEST_F(PaymentTableTest, failedOperationsLeaveTheTableUnchanged) {
    Add("A");
    EXPECT_THROW(table->Post(), DatasetError);
    EXPECT_THROW(name().SetValueAsText("B"), DatasetError);
    EXPECT_THROW(table->FieldNamed("x"), DatasetError);
    EXPECT_EQ(Names(), Strings{"A"});
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_FALSE(table->Altered());
}

TEST_F(PaymentTableTest, recIdIsAssignedOnlyByTheTable) {
    table->Insert();
    EXPECT_THROW(recId().Clear(), DatasetError);
    EXPECT_THROW(recId().SetValueAsText("5"), DatasetError);
    EXPECT_FALSE(table->Altered());
}

TEST_F(PaymentTableTest, bookmarksStayWithPositions) {
    Add("A");
    Add("B");
    Add("C");
    auto bookmarkOf = [&](int position) {
        table->SetRecordPosition(position);
        return *table->TakeBookmark();
    };
    EXPECT_EQ(bookmarkOf(1), 1);
    EXPECT_EQ(bookmarkOf(2), 2);
    EXPECT_EQ(bookmarkOf(3), 3);

    table->SetRecordPosition(2);
    table->Insert();
    EXPECT_FALSE(table->TakeBookmark());
    name().SetValueAsText("N");
    table->Post();
    ASSERT_EQ(Names(), (Strings{"A", "N", "B", "C"}));
    EXPECT_EQ(bookmarkOf(1), 1);
    EXPECT_EQ(bookmarkOf(2), 2);
    EXPECT_EQ(bookmarkOf(3), 3);
    EXPECT_EQ(bookmarkOf(4), 4);

    table->SetRecordPosition(3);
    table->Delete();  // B
    ASSERT_EQ(Names(), (Strings{"A", "N", "C"}));
    EXPECT_EQ(bookmarkOf(1), 1);
    EXPECT_EQ(bookmarkOf(2), 2);
    EXPECT_EQ(bookmarkOf(3), 4);
    EXPECT_FALSE(table->BookmarkExists(3));
    EXPECT_TRUE(table->BookmarkExists(4));
}

TEST_F(PaymentTableTest, bookmarkTakenBeforeAnInsertionDesignatesThePosition) {
    Add("A");
    Add("B");
    table->SetRecordPosition(2);
    const auto b = table->TakeBookmark();
    table->Insert();
    name().SetValueAsText("N");
    table->Post();
    table->First();
    table->ReturnToBookmark(b);
    EXPECT_EQ(CurrentName(), "N");
}

TEST_F(PaymentTableTest, returnToBookmarkSettlesFirst) {
    Add("A");
    Add("B");
    table->First();
    const auto a = table->TakeBookmark();
    table->Next();
    table->Edit();
    EXPECT_EQ(table->TakeBookmark(), 2);  // editing keeps the record's bookmark
    name().SetValueAsText("b");
    table->ReturnToBookmark(a);
    EXPECT_EQ(CurrentName(), "A");
    EXPECT_EQ(Names(), (Strings{"A", "b"}));

    // A missing number fails after the pending edit is settled; the cursor stays.
    table->Edit();
    name().SetValueAsText("a");
    EXPECT_EQ(FailureOf([&] { table->ReturnToBookmark(99); }), "Bookmark not found");
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_EQ(Names(), (Strings{"a", "b"}));
    EXPECT_EQ(CurrentName(), "a");

    table->ReturnToBookmark(std::nullopt);
    EXPECT_EQ(CurrentName(), "a");
}

TEST(BookmarkOrderTest, comparesNumbersAbsentLast) {
    auto table = MakePaymentTable();
    struct Case {
        std::optional<std::int32_t> a, b;
        int order;
    };
    const Case cases[] = {
        {1, 1, 0},  {1, 2, -1}, {5, 2, 1},  {std::nullopt, 1, 1}, {1, std::nullopt, -1},
        {std::nullopt, std::nullopt, 0},    {-3, 2, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table->BookmarkOrder(c.a, c.b), c.order)
            << c.a.value_or(-99) << " " << c.b.value_or(-99);
    }
}

TEST_F(PaymentTableTest, displayAccessorsFollowTheCursorAndTheBuffer) {
    Add("A");
    Add("B");
    table->First();
    EXPECT_EQ(table->CurrentIndex(), 0);
    EXPECT_EQ(&table->ActiveRecord(), &table->RecordAt(0));
    EXPECT_FALSE(table->PendingInsertIndex());
    table->Edit();
    name().SetValueAsText("a");
    EXPECT_EQ(table->ActiveRecord().name, "a");
    EXPECT_EQ(table->RecordAt(0).name, "A");
    EXPECT_EQ(table->CurrentIndex(), 0);
    table->Cancel();
    table->Append();
    EXPECT_EQ(table->CurrentIndex(), -1);
    EXPECT_EQ(table->PendingInsertIndex(), 2);
    EXPECT_EQ(table->ActiveRecord().recId, 3);
    EXPECT_FALSE(table->ActiveRecord().hasName);
    EXPECT_THROW(table->RecordAt(2), std::out_of_range);
    table->Close();
    EXPECT_FALSE(table->ActiveRecord().hasName);
    EXPECT_EQ(name().ValueAsText(), "");
}

}  // namespace
}  // namespace talvesa
