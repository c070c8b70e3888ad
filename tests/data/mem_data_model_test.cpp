// Long random sequences of table operations checked step by step against a plain model of
// the table: the records in order, the cursor, the state, the edit buffer and the numbering.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data_source.h"
#include "errors.h"
#include "listener_test_support.h"
#include "mem_data.h"

namespace talvesa {
namespace {

using testing::NameEditor;

const std::string kClosed = "dxMemData1: Cannot perform this operation on a closed dataset";
const std::string kNotEditing = "dxMemData1: Dataset not in edit or insert mode";
const std::string kEmpty = "dxMemData1: Cannot perform this operation on an empty dataset";
const std::string kNoBookmark = "Bookmark not found";
const std::string kRejected = "rejected";

struct Failure {
    std::string message;
};

struct ModelRecord {
    int recId = 0;
    std::string name;
    double pay = 0.0;
};

// What the table should do, written as directly as possible.
struct Model {
    enum class Place { Before, Start, End };

    bool open = true;
    DataSetState state = DataSetState::Browse;
    std::vector<ModelRecord> records;
    std::vector<int> bookmarks;  // one per position
    int current = -1;
    bool atStart = true;
    bool atEnd = true;
    ModelRecord buffer;
    Place place = Place::End;
    int placeBookmark = 0;  // insert before it, or the record being edited
    bool altered = false;
    int lastRecId = 0;
    int lastBookmark = 0;

    // The bound editors: one that writes a held name, one that refuses once.
    std::optional<std::string> pendingName;
    bool rejectOnce = false;

    int size() const { return static_cast<int>(records.size()); }
    bool editing() const { return state == DataSetState::Edit || state == DataSetState::Insert; }
    int find(int bookmark) const {
        auto it = std::find(bookmarks.begin(), bookmarks.end(), bookmark);
        return it == bookmarks.end() ? -1 : static_cast<int>(it - bookmarks.begin());
    }
    void settledFlags() { atStart = atEnd = records.empty(); }
    void toState(DataSetState s) {
        if (s != state) altered = false;
        state = s;
    }
    int insertPosition() const {
        return place == Place::Start ? 0 : place == Place::End ? size() : find(placeBookmark);
    }

    void writePending() {
        if (pendingName) {
            buffer.name = *pendingName;
            altered = true;
            pendingName.reset();
        }
        if (rejectOnce) {
            rejectOnce = false;
            throw Failure{kRejected};
        }
    }
    void settle() {
        if (!open) throw Failure{kClosed};
        if (editing()) {
            writePending();
            if (altered) {
                post();
            } else {
                cancel();
            }
        }
    }
    void startNew(bool append) {
        settle();
        if (append) {
            place = Place::End;
        } else if (current >= 0) {
            place = Place::Before;
            placeBookmark = bookmarks[current];
        } else {
            place = Place::Start;
        }
        buffer = ModelRecord{lastRecId + 1, "", 0.0};
        atStart = atEnd = false;
        toState(DataSetState::Insert);
    }
    void edit() {
        if (editing()) return;
        if (!open) throw Failure{kClosed};
        if (records.empty()) return startNew(false);
        settle();
        buffer = records[current];
        placeBookmark = bookmarks[current];
        toState(DataSetState::Edit);
    }
    void assignName(const std::string& name) {
        if (!editing()) throw Failure{kNotEditing};
        buffer.name = name;
        altered = true;
    }
    void assignPay(double pay) {
        if (!editing()) throw Failure{kNotEditing};
        buffer.pay = pay;
        altered = true;
    }
    void post() {
        if (!editing()) throw Failure{kNotEditing};
        writePending();
        if (state == DataSetState::Edit) {
            current = find(placeBookmark);
            records[current] = buffer;
        } else {
            const int at = insertPosition();
            lastRecId = buffer.recId;
            records.insert(records.begin() + at, buffer);
            bookmarks.push_back(++lastBookmark);
            current = at;
        }
        settledFlags();
        toState(DataSetState::Browse);
    }
    void cancel() {
        if (!editing()) return;
        if (state == DataSetState::Insert && place == Place::End) current = size() - 1;
        settledFlags();
        toState(DataSetState::Browse);
    }
    void remove() {
        if (!open) throw Failure{kClosed};
        if (state == DataSetState::Insert) return cancel();
        if (records.empty()) throw Failure{kEmpty};
        records.erase(records.begin() + current);
        bookmarks.erase(bookmarks.begin() + current);
        current = std::min(current, size() - 1);
        settledFlags();
        toState(DataSetState::Browse);
    }
    void first() {
        settle();
        current = records.empty() ? -1 : 0;
        atStart = true;
        atEnd = records.empty();
    }
    void next() {
        settle();
        if (atEnd) return;
        atStart = false;
        if (current + 1 < size()) {
            ++current;
        } else {
            atEnd = true;
        }
    }
    void setPosition(int position) {
        settle();
        if (position < 1 || position > size() || position - 1 == current) return;
        current = position - 1;
        settledFlags();
    }
    std::optional<int> takeBookmark() const {
        if (state == DataSetState::Insert || current < 0) return std::nullopt;
        return bookmarks[current];
    }
    void returnTo(std::optional<int> bookmark) {
        if (!bookmark) return;
        settle();
        const int at = find(*bookmark);
        if (at < 0) throw Failure{kNoBookmark};
        current = at;
        settledFlags();
    }
    void close() {
        if (!open) return;
        *this = Model{false, DataSetState::Inactive, {}, {}, -1, true, true, {}, Place::End,
                      0, false, lastRecId, 0, pendingName, rejectOnce};
    }
    void reopen() {
        if (open) return;
        open = true;
        state = DataSetState::Browse;
        lastRecId = 0;
        lastBookmark = 0;
    }
    int recordPosition() const {
        if (state == DataSetState::Insert) {
            if (place == Place::End) return size() + 1;
            if (place == Place::Start) return 0;
            return insertPosition() + 1;
        }
        return current + 1;
    }
    const ModelRecord* active() const {
        if (editing()) return &buffer;
        if (open && current >= 0) return &records[current];
        return nullptr;
    }
};

class RejectingEditor : public BoundControl {
public:
    bool rejectOnce = false;
    void WritePending() override {
        if (rejectOnce) {
            rejectOnce = false;
            throw ConvertError(kRejected);
        }
    }
};

class ModelRun {
public:
    explicit ModelRun(unsigned seed) : random_(seed) {
        link_.Bind(editor_);
        link_.Bind(rejecting_);
    }

    // One random step; returns what it did, for the failure report.
    std::string Step() {
        std::ostringstream what;
        const int pick = Uniform(0, 99);
        auto both = [&](auto&& onModel, auto&& onTable) {
            std::string expected, actual;
            try {
                onModel();
            } catch (const Failure& f) {
                expected = f.message;
            }
            try {
                onTable();
            } catch (const std::exception& e) {
                actual = e.what();
            }
            EXPECT_EQ(actual, expected) << what.str();
        };
        // Bias: grow while small, delete more while large.
        const bool large = model_.size() > 25;
        if (pick < 8) {
            what << "Insert";
            both([&] { model_.startNew(false); }, [&] { table_->Insert(); });
        } else if (pick < 16) {
            what << "Append";
            both([&] { model_.startNew(true); }, [&] { table_->Append(); });
        } else if (pick < 24) {
            what << "Edit";
            both([&] { model_.edit(); }, [&] { table_->Edit(); });
        } else if (pick < 36) {
            const std::string name = RandomName();
            what << "Name := " << name;
            both([&] { model_.assignName(name); },
                 [&] { table_->FieldNamed("name").SetValueAsText(name); });
        } else if (pick < 42) {
            const double pay = Uniform(-1000, 100000) / 100.0;
            what << "Pay := " << pay;
            both([&] { model_.assignPay(pay); },
                 [&] { table_->FieldNamed("pay").SetValueAsReal(pay); });
        } else if (pick < 52) {
            what << "Post";
            both([&] { model_.post(); }, [&] { table_->Post(); });
        } else if (pick < 57) {
            what << "Cancel";
            both([&] { model_.cancel(); }, [&] { table_->Cancel(); });
        } else if (pick < (large ? 72 : 62)) {
            what << "Delete";
            both([&] { model_.remove(); }, [&] { table_->Delete(); });
        } else if (pick < 74) {
            what << "First";
            both([&] { model_.first(); }, [&] { table_->First(); });
        } else if (pick < 80) {
            what << "Next";
            both([&] { model_.next(); }, [&] { table_->Next(); });
        } else if (pick < 85) {
            const int position = Uniform(-1, model_.size() + 2);
            what << "RecordPosition := " << position;
            both([&] { model_.setPosition(position); },
                 [&] { table_->SetRecordPosition(position); });
        } else if (pick < 88) {
            what << "TakeBookmark";
            const auto taken = table_->TakeBookmark();
            EXPECT_EQ(taken, model_.takeBookmark()) << what.str();
            if (taken) held_.push_back(*taken);
        } else if (pick < 91) {
            std::optional<int> bookmark;
            const int kind = Uniform(0, 9);
            if (kind < 6 && !held_.empty()) {
                bookmark = held_[Uniform(0, static_cast<int>(held_.size()) - 1)];
            } else if (kind < 9) {
                bookmark = Uniform(0, model_.lastBookmark + 2);
            }
            what << "ReturnToBookmark " << (bookmark ? std::to_string(*bookmark) : "none");
            both([&] { model_.returnTo(bookmark); }, [&] { table_->ReturnToBookmark(bookmark); });
        } else if (pick < 95) {
            const std::string name = RandomName();
            what << "editor holds " << name;
            model_.pendingName = name;
            editor_.pending = name;
        } else if (pick < 97) {
            what << "editor refuses once";
            model_.rejectOnce = true;
            rejecting_.rejectOnce = true;
        } else if (pick < 98) {
            what << "Close";
            both([&] { model_.close(); }, [&] { table_->Close(); });
            held_.clear();
        } else {
            what << "Open";
            both([&] { model_.reopen(); }, [&] { table_->Open(); });
        }
        return what.str();
    }

    // Everything the table shows agrees with the model.
    void Check(const std::string& context) {
        SCOPED_TRACE(context);
        ASSERT_EQ(table_->State(), model_.state);
        ASSERT_EQ(table_->Active(), model_.open);
        ASSERT_EQ(table_->RecordTotal(), model_.size());
        ASSERT_EQ(table_->RecordPosition(), model_.recordPosition());
        ASSERT_EQ(table_->AtStart(), model_.atStart);
        ASSERT_EQ(table_->AtEnd(), model_.atEnd);
        ASSERT_EQ(table_->Altered(), model_.altered);
        ASSERT_EQ(table_->TakeBookmark(), model_.takeBookmark());
        ASSERT_EQ(table_->CurrentIndex(),
                  model_.state == DataSetState::Insert ? -1 : model_.current);
        if (model_.state == DataSetState::Insert) {
            ASSERT_EQ(table_->PendingInsertIndex(), model_.insertPosition());
        } else {
            ASSERT_FALSE(table_->PendingInsertIndex());
        }
        for (int i = 0; i < model_.size(); ++i) {
            const PaymentRecord& stored = table_->RecordAt(i);
            ASSERT_EQ(stored.recId, model_.records[i].recId) << "at " << i;
            ASSERT_EQ(stored.name, model_.records[i].name) << "at " << i;
            ASSERT_EQ(stored.hasPay ? stored.pay : 0.0, model_.records[i].pay) << "at " << i;
        }
        for (int bookmark : held_) {
            ASSERT_EQ(table_->BookmarkExists(bookmark), model_.find(bookmark) >= 0) << bookmark;
        }
        const ModelRecord* active = model_.active();
        ASSERT_EQ(table_->FieldNamed("Name").ValueAsText(), active ? active->name : "");
        ASSERT_EQ(table_->FieldNamed("Pay").ValueAsReal(), active ? active->pay : 0.0);
        ASSERT_EQ(table_->FieldNamed("RecId").ValueAsInteger(), active ? active->recId : 0);
    }

private:
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::string RandomName() {
        std::string name;
        const int length = Uniform(0, 6);
        for (int i = 0; i < length; ++i) name += static_cast<char>('a' + Uniform(0, 25));
        return name;
    }

    std::mt19937 random_;
    std::unique_ptr<TdxMemData> table_ = MakePaymentTable();
    DataSource link_{*table_};
    NameEditor editor_{*table_};
    RejectingEditor rejecting_;
    Model model_;
    std::vector<int> held_;
};

TEST(PaymentTableModel, randomOperationSequencesAgreeWithTheModel) {
    constexpr unsigned kSeeds = 40;
    constexpr int kSteps = 2000;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        ModelRun run(seed);
        std::vector<std::string> recent;
        for (int step = 0; step < kSteps; ++step) {
            const std::string what = run.Step();
            recent.push_back(what);
            if (recent.size() > 12) recent.erase(recent.begin());
            std::ostringstream context;
            context << "seed " << seed << " step " << step << ", last steps:";
            for (const auto& r : recent) context << " | " << r;
            run.Check(context.str());
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace talvesa
