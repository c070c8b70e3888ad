#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data_source.h"
#include "errors.h"
#include "listener_test_support.h"
#include "mem_data.h"

namespace talvesa {
namespace {

using testing::Log;
using testing::NameEditor;
using testing::Recorder;

// An editor whose text does not read as a value.
class RejectingEditor : public BoundControl {
public:
    bool reject = true;
    void WritePending() override {
        if (reject) throw ConvertError("'abc' is not a valid floating point value");
    }
};

class NotificationTest : public ::testing::Test {
protected:
    NotificationTest() { link.Bind(recorder); }

    TField& name() { return table->FieldNamed("Name"); }

    void Add(const std::string& text) {
        table->Append();
        name().SetValueAsText(text);
        table->Post();
    }
    void AddThree() {
        Add("A");
        Add("B");
        Add("C");
        table->First();
    }
    Log Take() {
        Log out;
        out.swap(log);
        return out;
    }

    std::unique_ptr<TdxMemData> table = MakePaymentTable();
    DataSource link{*table};
    Log log;
    Recorder recorder{log};
};

struct SequenceCase {
    const char* label;
    std::function<void(TdxMemData&)> setup;
    std::function<void(TdxMemData&)> action;
    Log expected;
};

class SequenceTest : public NotificationTest, public ::testing::WithParamInterface<SequenceCase> {
};

TEST_P(SequenceTest, sendsNotificationsInOrder) {
    const SequenceCase& c = GetParam();
    if (c.setup) c.setup(*table);
    Take();
    c.action(*table);
    EXPECT_EQ(Take(), c.expected);
}

void Three(TdxMemData& t) {
    for (const char* n : {"A", "B", "C"}) {
        t.Append();
        t.FieldNamed("Name").SetValueAsText(n);
        t.Post();
    }
    t.First();
}
void ThreeAtLast(TdxMemData& t) {
    Three(t);
    t.SetRecordPosition(3);
}
void ThreeEditing(TdxMemData& t) {
    Three(t);
    t.Edit();
}
void ThreeEditingChanged(TdxMemData& t) {
    ThreeEditing(t);
    t.FieldNamed("Name").SetValueAsText("a");
}
void ThreeInserting(TdxMemData& t) {
    Three(t);
    t.Insert();
}
void ThreeInsertingChanged(TdxMemData& t) {
    ThreeInserting(t);
    t.FieldNamed("Name").SetValueAsText("n");
}

const Log kPostSequence = {"WritePending", "SettleAhead", "StateChanged", "TableChanged"};
const Log kCancelSequence = {"SettleAhead", "StateChanged", "TableChanged"};

Log Join(std::initializer_list<Log> parts) {
    Log out;
    for (const Log& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, SequenceTest,
    ::testing::Values(
        SequenceCase{"open", [](TdxMemData& t) { t.Close(); }, [](TdxMemData& t) { t.Open(); },
                     {"StateChanged"}},
        SequenceCase{"close", Three, [](TdxMemData& t) { t.Close(); }, {"StateChanged"}},
        SequenceCase{"closeWhileInserting", ThreeInsertingChanged,
                     [](TdxMemData& t) { t.Close(); }, {"StateChanged"}},
        SequenceCase{"openWhenOpen", nullptr, [](TdxMemData& t) { t.Open(); }, {}},
        SequenceCase{"insert", Three, [](TdxMemData& t) { t.Insert(); },
                     {"SettleAhead", "StateChanged", "TableChanged"}},
        SequenceCase{"append", Three, [](TdxMemData& t) { t.Append(); },
                     {"SettleAhead", "StateChanged", "TableChanged"}},
        SequenceCase{"edit", Three, [](TdxMemData& t) { t.Edit(); },
                     {"SettleAhead", "StateChanged", "EditBegun"}},
        SequenceCase{"editOnEmpty", nullptr, [](TdxMemData& t) { t.Edit(); },
                     {"SettleAhead", "StateChanged", "TableChanged"}},
        SequenceCase{"editWhileEditing", ThreeEditing, [](TdxMemData& t) { t.Edit(); }, {}},
        SequenceCase{"assign", ThreeEditing,
                     [](TdxMemData& t) { t.FieldNamed("pay").SetValueAsReal(1.5); },
                     {"FieldAssigned:Pay"}},
        SequenceCase{"clear", ThreeEditing, [](TdxMemData& t) { t.FieldNamed("date").Clear(); },
                     {"FieldAssigned:Date"}},
        SequenceCase{"postEdit", ThreeEditingChanged, [](TdxMemData& t) { t.Post(); },
                     kPostSequence},
        SequenceCase{"postInsert", ThreeInserting, [](TdxMemData& t) { t.Post(); },
                     kPostSequence},
        SequenceCase{"cancelEdit", ThreeEditingChanged, [](TdxMemData& t) { t.Cancel(); },
                     kCancelSequence},
        SequenceCase{"cancelInsert", ThreeInsertingChanged, [](TdxMemData& t) { t.Cancel(); },
                     kCancelSequence},
        SequenceCase{"cancelInBrowse", Three, [](TdxMemData& t) { t.Cancel(); }, {}},
        SequenceCase{"deleteInBrowse", Three, [](TdxMemData& t) { t.Delete(); },
                     {"SettleAhead", "TableChanged"}},
        SequenceCase{"deleteWhileEditing", ThreeEditingChanged,
                     [](TdxMemData& t) { t.Delete(); },
                     {"SettleAhead", "StateChanged", "TableChanged"}},
        SequenceCase{"deleteWhileInserting", ThreeInsertingChanged,
                     [](TdxMemData& t) { t.Delete(); }, kCancelSequence},
        SequenceCase{"first", Three, [](TdxMemData& t) { t.First(); },
                     {"SettleAhead", "TableChanged"}},
        SequenceCase{"next", Three, [](TdxMemData& t) { t.Next(); },
                     {"SettleAhead", "CursorMoved"}},
        SequenceCase{"nextOnLast", ThreeAtLast, [](TdxMemData& t) { t.Next(); },
                     {"SettleAhead", "CursorMoved"}},
        SequenceCase{"nextPastTheEnd",
                     [](TdxMemData& t) {
                         ThreeAtLast(t);
                         t.Next();
                     },
                     [](TdxMemData& t) { t.Next(); }, {"SettleAhead"}},
        SequenceCase{"nextOnEmpty", nullptr, [](TdxMemData& t) { t.Next(); }, {"SettleAhead"}},
        // Settling a changed record runs a whole Post, which asks for pending values again.
        SequenceCase{"nextPostsChangedEdit", ThreeEditingChanged,
                     [](TdxMemData& t) { t.Next(); },
                     Join({{"SettleAhead", "WritePending"}, kPostSequence, {"CursorMoved"}})},
        SequenceCase{"nextCancelsUnchangedInsert", ThreeInserting,
                     [](TdxMemData& t) { t.Next(); },
                     Join({{"SettleAhead", "WritePending"}, kCancelSequence, {"CursorMoved"}})},
        SequenceCase{"insertPostsChangedInsert", ThreeInsertingChanged,
                     [](TdxMemData& t) { t.Insert(); },
                     Join({{"SettleAhead", "WritePending"}, kPostSequence,
                           {"StateChanged", "TableChanged"}})},
        SequenceCase{"firstCancelsUnchangedInsert", ThreeInserting,
                     [](TdxMemData& t) { t.First(); },
                     Join({{"SettleAhead", "WritePending"}, kCancelSequence, {"TableChanged"}})},
        SequenceCase{"setPosition", Three, [](TdxMemData& t) { t.SetRecordPosition(2); },
                     {"SettleAhead", "TableChanged"}},
        SequenceCase{"setPositionToCurrent", Three,
                     [](TdxMemData& t) { t.SetRecordPosition(1); }, {"SettleAhead"}},
        SequenceCase{"setPositionOutOfRange", Three,
                     [](TdxMemData& t) { t.SetRecordPosition(9); }, {"SettleAhead"}},
        SequenceCase{"returnToBookmark", Three, [](TdxMemData& t) { t.ReturnToBookmark(1); },
                     {"SettleAhead", "TableChanged"}},
        SequenceCase{"returnToNoBookmark", ThreeEditingChanged,
                     [](TdxMemData& t) { t.ReturnToBookmark(std::nullopt); }, {}},
        SequenceCase{"returnToMissingBookmark", Three,
                     [](TdxMemData& t) { EXPECT_THROW(t.ReturnToBookmark(9), DatasetError); },
                     {"SettleAhead"}},
        SequenceCase{"failingPost", Three, [](TdxMemData& t) { EXPECT_ANY_THROW(t.Post()); },
                     {}},
        SequenceCase{"failingDelete", nullptr,
                     [](TdxMemData& t) { EXPECT_ANY_THROW(t.Delete()); }, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(NotificationTest, suspensionNestsAndEndsWithTableChanged) {
    AddThree();
    Take();
    table->SuspendNotifications();
    table->SuspendNotifications();
    table->Next();
    table->ResumeNotifications();
    EXPECT_EQ(Take(), Log{});
    table->ResumeNotifications();
    EXPECT_EQ(Take(), Log{"TableChanged"});
    table->ResumeNotifications();  // unbalanced: ignored
    EXPECT_EQ(Take(), Log{});
}

TEST_F(NotificationTest, suspendedWalkDeliversNothingUntilTheEnd) {
    AddThree();
    table->SetRecordPosition(2);
    Take();
    table->SuspendNotifications();
    const auto bookmark = table->TakeBookmark();
    table->First();
    while (!table->AtEnd()) table->Next();
    table->ReturnToBookmark(bookmark);
    EXPECT_EQ(Take(), Log{});
    table->ResumeNotifications();
    EXPECT_EQ(Take(), Log{"TableChanged"});
    EXPECT_EQ(table->RecordPosition(), 2);
}

TEST_F(NotificationTest, reopeningWhileSuspendedEndsWithRebuild) {
    AddThree();
    Take();
    table->SuspendNotifications();
    table->Close();
    table->Open();
    Add("X");
    table->First();
    table->ResumeNotifications();
    EXPECT_EQ(Take(),
              (Log{"SuspendedStateChange:closed", "SuspendedStateChange:open",
                   "SuspendedStateChange:open", "SuspendedStateChange:open", "RebuildNeeded"}));
}

TEST_F(NotificationTest, stateDifferingAtTheEndOfSuspensionIsAnnounced) {
    AddThree();
    table->Edit();
    name().SetValueAsText("a");
    Take();
    table->SuspendNotifications();
    table->First();  // posts the edit
    table->ResumeNotifications();
    EXPECT_EQ(Take(), (Log{"SuspendedStateChange:open", "StateChanged", "RebuildNeeded"}));
}

TEST_F(NotificationTest, tableClosedAtEitherEndOfSuspensionGetsNoEndNotification) {
    Take();
    table->SuspendNotifications();
    table->Close();
    table->ResumeNotifications();
    EXPECT_EQ(Take(), (Log{"SuspendedStateChange:closed", "StateChanged"}));

    table->SuspendNotifications();
    table->Open();
    table->ResumeNotifications();
    EXPECT_EQ(Take(), (Log{"SuspendedStateChange:open", "StateChanged"}));
}

TEST_F(NotificationTest, assignmentsWhileSuspendedStillAlterTheRecord) {
    AddThree();
    table->SuspendNotifications();
    table->Edit();
    Take();
    name().SetValueAsText("a");
    EXPECT_TRUE(table->Altered());
    EXPECT_EQ(Take(), Log{});
    table->ResumeNotifications();
}

TEST_F(NotificationTest, linksHearInAttachmentOrderAndControlsInBindOrder) {
    Log shared;
    Recorder first(shared, "1:");
    Recorder second(shared, "2:");
    Recorder third(shared, "3:");
    link.Unbind(recorder);
    link.Bind(first);
    link.Bind(second);
    link.Bind(first);  // bound once only
    DataSource other(*table);
    other.Bind(third);
    table->Insert();
    EXPECT_EQ(shared, (Log{"1:SettleAhead", "2:SettleAhead", "3:SettleAhead", "1:StateChanged",
                           "2:StateChanged", "3:StateChanged", "1:TableChanged",
                           "2:TableChanged", "3:TableChanged"}));
}

TEST_F(NotificationTest, pendingValuesAreWrittenDuringPost) {
    NameEditor editor(*table);
    link.Bind(editor);
    table->Insert();
    editor.pending = "Аренда";
    Take();
    table->Post();
    EXPECT_EQ(Take(), (Log{"WritePending", "FieldAssigned:Name", "SettleAhead", "StateChanged",
                           "TableChanged"}));
    ASSERT_EQ(table->RecordTotal(), 1);
    EXPECT_EQ(name().ValueAsText(), "Аренда");
}

TEST_F(NotificationTest, pendingValueMakesSettlingPostTheRecord) {
    AddThree();
    NameEditor editor(*table);
    link.Bind(editor);
    table->Insert();
    EXPECT_FALSE(table->Altered());
    editor.pending = "N";
    table->Next();  // the written value alters the record, so it is posted, not dropped
    EXPECT_EQ(table->RecordTotal(), 4);
    EXPECT_EQ(table->RecordAt(0).name, "N");
    EXPECT_EQ(name().ValueAsText(), "A");
}

TEST_F(NotificationTest, controlFailingToWriteEndsPostBeforeAnythingIsStored) {
    AddThree();
    NameEditor editor(*table);
    RejectingEditor rejecting;
    link.Bind(editor);
    link.Bind(rejecting);
    table->Append();
    editor.pending = "N";
    Take();
    EXPECT_THROW(table->Post(), ConvertError);
    EXPECT_EQ(Take(), (Log{"WritePending", "FieldAssigned:Name"}));
    EXPECT_EQ(table->State(), DataSetState::Insert);
    EXPECT_EQ(table->RecordTotal(), 3);
    EXPECT_EQ(name().ValueAsText(), "N");  // written before the failure, kept

    // Settling fails the same way and the cursor does not move.
    EXPECT_THROW(table->First(), ConvertError);
    EXPECT_EQ(table->State(), DataSetState::Insert);
    EXPECT_EQ(table->RecordPosition(), 4);

    rejecting.reject = false;
    table->Post();
    EXPECT_EQ(table->RecordTotal(), 4);
    EXPECT_EQ(table->RecordAt(3).name, "N");
}

TEST_F(NotificationTest, controlFailingWhileEditingKeepsTheEdit) {
    AddThree();
    RejectingEditor rejecting;
    link.Bind(rejecting);
    table->Edit();
    name().SetValueAsText("a");
    EXPECT_THROW(table->Next(), ConvertError);
    EXPECT_EQ(table->State(), DataSetState::Edit);
    EXPECT_EQ(table->RecordAt(0).name, "A");
    EXPECT_EQ(table->RecordPosition(), 1);
    rejecting.reject = false;
    table->Next();
    EXPECT_EQ(table->RecordAt(0).name, "a");
    EXPECT_EQ(table->RecordPosition(), 2);
}

// Unbinds itself, or another control, when it hears a notification.
class Unbinder : public BoundControl {
public:
    Unbinder(DataSource& link, BoundControl* victim) : link_(link), victim_(victim) {}
    void TableChanged() override {
        link_.Unbind(victim_ ? *victim_ : *this);
        ++heard;
    }
    int heard = 0;

private:
    DataSource& link_;
    BoundControl* victim_;
};

TEST_F(NotificationTest, controlsMayUnbindWhileNotified) {
    Log other;
    Recorder later(other);
    Unbinder self(link, nullptr);
    link.Unbind(recorder);
    link.Bind(self);
    link.Bind(later);
    table->Insert();
    EXPECT_EQ(self.heard, 1);
    EXPECT_EQ(other.back(), "TableChanged");  // the one after it still hears
    table->Cancel();
    EXPECT_EQ(self.heard, 1);

    // A control unbound by an earlier one is not called any more.
    other.clear();
    Unbinder killer(link, &later);
    link.Unbind(later);
    link.Bind(killer);
    link.Bind(later);
    table->Insert();
    EXPECT_EQ(other, (Log{"SettleAhead", "StateChanged"}));
}

TEST_F(NotificationTest, linkMayDetachWhileNotified) {
    auto second = std::make_unique<DataSource>(*table);
    Log secondLog;
    Recorder secondRecorder(secondLog);
    second->Bind(secondRecorder);

    struct Dropper : BoundControl {
        std::unique_ptr<DataSource>* victim;
        void SettleAhead() override { victim->reset(); }
    } dropper;
    dropper.victim = &second;
    link.Bind(dropper);
    table->Insert();
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(secondLog, Log{});
    EXPECT_EQ(log.back(), "TableChanged");
}

TEST(DataSourceLife, tableMayGoFirst) {
    auto table = MakePaymentTable();
    Log log;
    Recorder recorder(log);
    DataSource link(*table);
    link.Bind(recorder);
    table->Insert();
    table.reset();
    // The link's destructor must not touch the table.
}

TEST(DataSourceLife, detachedLinkHearsNothing) {
    auto table = MakePaymentTable();
    Log log;
    Recorder recorder(log);
    {
        DataSource link(*table);
        link.Bind(recorder);
        table->Insert();
        EXPECT_FALSE(log.empty());
    }
    log.clear();
    table->Cancel();
    table->Append();
    EXPECT_EQ(log, Log{});
}

TEST_F(NotificationTest, autoEditStartsAnEditOnlyFromBrowse) {
    AddThree();
    EXPECT_TRUE(link.AutoEdit());
    EXPECT_EQ(&link.DataSet(), table.get());
    link.Edit();
    EXPECT_EQ(table->State(), DataSetState::Edit);
    table->Cancel();

    table->Insert();
    link.Edit();
    EXPECT_EQ(table->State(), DataSetState::Insert);
    table->Cancel();

    link.SetAutoEdit(false);
    link.Edit();
    EXPECT_EQ(table->State(), DataSetState::Browse);

    link.SetAutoEdit(true);
    table->Close();
    link.Edit();  // closed: nothing to edit
    EXPECT_EQ(table->State(), DataSetState::Inactive);
}

}  // namespace
}  // namespace talvesa
