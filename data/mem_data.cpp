#include "mem_data.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "code_page.h"
#include "data_source.h"
#include "errors.h"

namespace talvesa {

namespace {

constexpr int kNameSize = 255;
constexpr std::int64_t kMsPerDay = 86400000;
// 1 January 0001 and 31 December 9999: the days a date can be.
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// The bytes a name keeps: cut at a zero byte and at 255 bytes. TAB, CR and LF would split
// the record in the payment list file, so they become spaces.
std::string StoredName(std::string_view utf8) {
    std::string ansi = Utf8ToAnsi(utf8);
    if (const auto zero = ansi.find('\0'); zero != std::string::npos) ansi.resize(zero);
    if (ansi.size() > kNameSize) ansi.resize(kNameSize);
    std::replace_if(
        ansi.begin(), ansi.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; },
        ' ');
    return ansi;
}

// Rounded to the millisecond (ties to even), then the whole days toward zero. A value that
// is no day of the years 1 to 9999 has no stored form.
std::int32_t StoredDay(double dateValue) {
    if (!std::isfinite(dateValue) || dateValue < kFirstDay - 1 || dateValue > kLastDay + 1) {
        throw MathError();
    }
    const long double ms = std::nearbyintl(static_cast<long double>(dateValue) * kMsPerDay);
    const std::int64_t day = static_cast<std::int64_t>(ms) / kMsPerDay;
    if (day < kFirstDay || day > kLastDay) throw MathError();
    return static_cast<std::int32_t>(day);
}

std::string Formatted(std::string_view pattern, std::string_view arg) {
    std::string out(pattern);
    if (const auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

}  // namespace

// ---- TField ----

TField::TField(TdxCustomMemData& table, int index, std::string name, FieldKind kind,
               FieldType type, int size, bool visible)
    : table_(&table),
      index_(index),
      fieldName_(std::move(name)),
      kind_(kind),
      type_(type),
      size_(size),
      visible_(visible) {}

std::string TField::ValueAsText() const {
    const PaymentRecord& rec = table_->ActiveRecord();
    switch (type_) {
        case FieldType::String: return rec.hasName ? AnsiToUtf8(rec.name) : std::string();
        case FieldType::Integer: return rec.hasRecId ? std::to_string(rec.recId) : std::string();
        default: break;
    }
    table_->Fail(Formatted("Field '%s' cannot be read as text", fieldName_));
}

double TField::ValueAsDate() const {
    const PaymentRecord& rec = table_->ActiveRecord();
    switch (type_) {
        case FieldType::Date: return rec.hasDate ? rec.date : 0.0;
        case FieldType::Currency: return rec.hasPay ? rec.pay : 0.0;
        default: break;
    }
    table_->Fail(Formatted("Field '%s' cannot be read as a date", fieldName_));
}

double TField::ValueAsReal() const {
    const PaymentRecord& rec = table_->ActiveRecord();
    switch (type_) {
        case FieldType::Currency: return rec.hasPay ? rec.pay : 0.0;
        case FieldType::Date: return rec.hasDate ? rec.date : 0.0;
        case FieldType::Integer: return rec.hasRecId ? rec.recId : 0.0;
        default: break;
    }
    table_->Fail(Formatted("Field '%s' cannot be read as a number", fieldName_));
}

Amount TField::ValueAsAmount() const {
    const std::optional<Amount> amount = ScaleToAmount(ValueAsReal());
    if (!amount) throw MathError();
    return *amount;
}

std::int32_t TField::ValueAsInteger() const {
    const PaymentRecord& rec = table_->ActiveRecord();
    switch (type_) {
        case FieldType::Integer: return rec.hasRecId ? rec.recId : 0;
        case FieldType::Date: return rec.hasDate ? rec.date : 0;
        default: break;
    }
    table_->Fail(Formatted("Field '%s' cannot be read as an integer", fieldName_));
}

bool TField::HasNoValue() const {
    const PaymentRecord& rec = table_->ActiveRecord();
    switch (type_) {
        case FieldType::Integer: return !rec.hasRecId;
        case FieldType::String: return !rec.hasName;
        case FieldType::Date: return !rec.hasDate;
        case FieldType::Currency: return !rec.hasPay;
    }
    return true;
}

void TField::SetValueAsText(std::string_view utf8) {
    table_->CheckEditing();
    if (type_ != FieldType::String) {
        table_->Fail(Formatted("Field '%s' cannot be assigned text", fieldName_));
    }
    PaymentRecord& rec = table_->Buffer();
    rec.name = StoredName(utf8);
    rec.hasName = true;
    table_->BufferAssigned(*this);
}

void TField::SetValueAsDate(double dateValue) {
    table_->CheckEditing();
    if (type_ != FieldType::Date) {
        if (type_ == FieldType::Currency) return SetValueAsReal(dateValue);
        table_->Fail(Formatted("Field '%s' cannot be assigned a date", fieldName_));
    }
    const std::int32_t day = StoredDay(dateValue);
    PaymentRecord& rec = table_->Buffer();
    rec.date = day;
    rec.hasDate = true;
    table_->BufferAssigned(*this);
}

void TField::SetValueAsReal(double value) {
    table_->CheckEditing();
    if (type_ != FieldType::Currency) {
        if (type_ == FieldType::Date) return SetValueAsDate(value);
        table_->Fail(Formatted("Field '%s' cannot be assigned a number", fieldName_));
    }
    PaymentRecord& rec = table_->Buffer();
    rec.pay = value;
    rec.hasPay = true;
    table_->BufferAssigned(*this);
}

void TField::Clear() {
    table_->CheckEditing();
    PaymentRecord& rec = table_->Buffer();
    switch (type_) {
        case FieldType::Integer:
            table_->Fail(Formatted("Field '%s' cannot be modified", fieldName_));
        case FieldType::String:
            rec.hasName = false;
            rec.name.clear();
            break;
        case FieldType::Date:
            rec.hasDate = false;
            rec.date = 0;
            break;
        case FieldType::Currency:
            rec.hasPay = false;
            rec.pay = 0.0;
            break;
    }
    table_->BufferAssigned(*this);
}

// ---- TdxCustomMemData ----

TdxCustomMemData::TdxCustomMemData(std::string name) : name_(std::move(name)) {
    auto add = [this](std::string fieldName, FieldKind kind, FieldType type, int size,
                      bool visible) {
        fields_.push_back(std::unique_ptr<TField>(new TField(
            *this, static_cast<int>(fields_.size()), std::move(fieldName), kind, type, size,
            visible)));
    };
    add("RecId", FieldKind::fkCalculated, FieldType::Integer, 0, false);
    add("Name", FieldKind::fkData, FieldType::String, kNameSize, true);
    add("Date", FieldKind::fkData, FieldType::Date, 0, true);
    add("Pay", FieldKind::fkData, FieldType::Currency, 0, true);
}

TdxCustomMemData::~TdxCustomMemData() {
    const auto links = links_;
    links_.clear();
    for (TableListener* link : links) link->TableDestroyed();
}

void TdxCustomMemData::Fail(std::string_view message) const {
    throw DatasetError(name_ + ": " + std::string(message));
}

void TdxCustomMemData::CheckActive() const {
    if (state_ == DataSetState::Inactive) {
        Fail("Cannot perform this operation on a closed dataset");
    }
}

void TdxCustomMemData::CheckEditing() const {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        Fail("Dataset not in edit or insert mode");
    }
}

TField& TdxCustomMemData::FieldNamed(std::string_view name) const {
    if (TField* field = SeekField(name)) return *field;
    Fail(Formatted("Field '%s' not found", name));
}

TField* TdxCustomMemData::SeekField(std::string_view name) const {
    for (const auto& field : fields_) {
        if (SameNameIgnoringCase(field->FieldName(), name)) return field.get();
    }
    return nullptr;
}

// ---- open and close ----

void TdxCustomMemData::DiscardRecords() {
    buffer_ = PaymentRecord{};
    records_.clear();
    bookmarks_.clear();
    lastBookmark_ = 0;
    current_ = -1;
    atStart_ = true;
    atEnd_ = true;
}

void TdxCustomMemData::Open() {
    if (state_ != DataSetState::Inactive) return;
    DiscardRecords();
    lastRecId_ = 0;
    SetState(DataSetState::Browse);
}

void TdxCustomMemData::Close() {
    if (state_ == DataSetState::Inactive) return;
    // Emptied before the announcement, so that a control re-reading sees a closed table.
    DiscardRecords();
    SetState(DataSetState::Inactive);
}

bool TdxCustomMemData::Active() const { return state_ != DataSetState::Inactive; }

void TdxCustomMemData::SetActive(bool active) {
    if (active) {
        Open();
    } else {
        Close();
    }
}

void TdxCustomMemData::SetState(DataSetState state) {
    if (state_ == state) return;
    state_ = state;
    altered_ = false;
    Notify(Note::StateChanged);
}

void TdxCustomMemData::ResetCursorFlags() {
    atStart_ = records_.empty();
    atEnd_ = records_.empty();
}

// ---- record operations ----

// Before the cursor moves or another record starts, a pending edit is posted if a field
// was assigned and dropped otherwise.
void TdxCustomMemData::Settle() {
    CheckActive();
    Notify(Note::SettleAhead);
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        Notify(Note::WritePending);
        if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
        if (altered_) {
            Post();
        } else {
            Cancel();
        }
    }
}

void TdxCustomMemData::StartNewRecord(bool append) {
    Settle();
    if (!Active()) return;
    if (append) {
        newPlace_ = NewRecordPlace::AfterLast;
        bufferBookmark_ = 0;
        // Dropping an appended record leaves the last record current.
        if (!records_.empty()) current_ = static_cast<int>(records_.size()) - 1;
    } else if (current_ >= 0) {
        newPlace_ = NewRecordPlace::BeforeBookmark;
        bufferBookmark_ = bookmarks_[current_];
    } else {
        newPlace_ = NewRecordPlace::AtStart;
        bufferBookmark_ = 0;
    }
    buffer_ = PaymentRecord{};
    // Preset only: a new record that is dropped uses up no number.
    buffer_.recId = lastRecId_ + 1;
    buffer_.hasRecId = true;
    atStart_ = false;
    atEnd_ = false;
    SetState(DataSetState::Insert);
    altered_ = false;
    Notify(Note::TableChanged);
}

void TdxCustomMemData::Insert() { StartNewRecord(false); }

void TdxCustomMemData::Append() { StartNewRecord(true); }

void TdxCustomMemData::Edit() {
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return;
    CheckActive();
    if (records_.empty()) return StartNewRecord(false);
    Settle();
    if (state_ != DataSetState::Browse || current_ < 0) return;
    buffer_ = records_[current_];
    bufferBookmark_ = bookmarks_[current_];
    SetState(DataSetState::Edit);
    Notify(Note::EditBegun);
}

void TdxCustomMemData::Post() {
    CheckEditing();
    Notify(Note::WritePending);
    CheckEditing();
    Notify(Note::SettleAhead);
    // A control may have settled the record itself while answering.
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;

    if (state_ == DataSetState::Edit) {
        const int position = PositionOfBookmark(bufferBookmark_);
        if (position < 0) Fail("Record not found");
        records_[position] = buffer_;
        current_ = position;
    } else {
        const int position = PendingPosition();
        ++lastBookmark_;
        PaymentRecord record = buffer_;
        if (record.hasRecId && record.recId > lastRecId_) {
            lastRecId_ = record.recId;
        } else {
            ++lastRecId_;
            if (!(loading_ && record.hasRecId)) {
                record.recId = lastRecId_;
                record.hasRecId = true;
            }
        }
        records_.insert(records_.begin() + position, std::move(record));
        bookmarks_.push_back(lastBookmark_);
        current_ = position;
    }
    buffer_ = PaymentRecord{};
    ResetCursorFlags();
    SetState(DataSetState::Browse);
    Notify(Note::TableChanged);
}

void TdxCustomMemData::Cancel() {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
    Notify(Note::SettleAhead);
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
    buffer_ = PaymentRecord{};
    if (current_ >= static_cast<int>(records_.size())) current_ = -1;
    ResetCursorFlags();
    SetState(DataSetState::Browse);
    Notify(Note::TableChanged);
}

void TdxCustomMemData::Delete() {
    CheckActive();
    if (state_ == DataSetState::Insert) return Cancel();
    if (records_.empty()) Fail("Cannot perform this operation on an empty dataset");
    Notify(Note::SettleAhead);
    if (!Active() || state_ == DataSetState::Insert || current_ < 0) return;

    records_.erase(records_.begin() + current_);
    bookmarks_.erase(bookmarks_.begin() + current_);
    if (current_ >= static_cast<int>(records_.size())) {
        current_ = static_cast<int>(records_.size()) - 1;
    }
    buffer_ = PaymentRecord{};
    ResetCursorFlags();
    SetState(DataSetState::Browse);
    Notify(Note::TableChanged);
}

// ---- cursor ----

void TdxCustomMemData::First() {
    Settle();
    if (!Active()) return;
    current_ = records_.empty() ? -1 : 0;
    atStart_ = true;
    atEnd_ = records_.empty();
    Notify(Note::TableChanged);
}

void TdxCustomMemData::Next() {
    Settle();
    if (!Active() || atEnd_) return;
    atStart_ = false;
    if (current_ + 1 < static_cast<int>(records_.size())) {
        ++current_;
    } else {
        atEnd_ = true;
    }
    Notify(Note::CursorMoved);
}

bool TdxCustomMemData::AtStart() const { return atStart_; }

bool TdxCustomMemData::AtEnd() const { return atEnd_; }

int TdxCustomMemData::RecordTotal() const {
    return Active() ? static_cast<int>(records_.size()) : 0;
}

int TdxCustomMemData::RecordPosition() const {
    if (state_ == DataSetState::Insert) {
        switch (newPlace_) {
            case NewRecordPlace::AfterLast: return static_cast<int>(records_.size()) + 1;
            case NewRecordPlace::AtStart: return 0;
            case NewRecordPlace::BeforeBookmark: return PendingPosition() + 1;
        }
    }
    return current_ + 1;
}

void TdxCustomMemData::SetRecordPosition(int position) {
    Settle();
    if (!Active() || position < 1 || position > static_cast<int>(records_.size())) return;
    if (position - 1 == current_) return;
    current_ = position - 1;
    ResetCursorFlags();
    Notify(Note::TableChanged);
}

bool TdxCustomMemData::Altered() const { return altered_; }

void TdxCustomMemData::BufferAssigned(const TField& field) {
    if (field.Kind() == FieldKind::fkData) altered_ = true;
    Notify(Note::FieldAssigned, &field);
}

// ---- bookmarks ----

int TdxCustomMemData::PositionOfBookmark(std::int32_t bookmark) const {
    const auto it = std::find(bookmarks_.begin(), bookmarks_.end(), bookmark);
    return it == bookmarks_.end() ? -1 : static_cast<int>(it - bookmarks_.begin());
}

int TdxCustomMemData::PendingPosition() const {
    switch (newPlace_) {
        case NewRecordPlace::AtStart: return 0;
        case NewRecordPlace::AfterLast: return static_cast<int>(records_.size());
        case NewRecordPlace::BeforeBookmark: {
            const int position = PositionOfBookmark(bufferBookmark_);
            return position < 0 ? static_cast<int>(records_.size()) : position;
        }
    }
    return static_cast<int>(records_.size());
}

std::optional<std::int32_t> TdxCustomMemData::TakeBookmark() const {
    if (state_ == DataSetState::Insert || current_ < 0 ||
        current_ >= static_cast<int>(bookmarks_.size())) {
        return std::nullopt;
    }
    return bookmarks_[current_];
}

void TdxCustomMemData::ReturnToBookmark(std::optional<std::int32_t> bookmark) {
    if (!bookmark) return;
    Settle();
    if (!Active()) return;
    const int position = PositionOfBookmark(*bookmark);
    if (position < 0) throw DatasetError("Bookmark not found");
    current_ = position;
    ResetCursorFlags();
    Notify(Note::TableChanged);
}

bool TdxCustomMemData::BookmarkExists(std::int32_t bookmark) const {
    return PositionOfBookmark(bookmark) >= 0;
}

int TdxCustomMemData::BookmarkOrder(std::optional<std::int32_t> a,
                                    std::optional<std::int32_t> b) const {
    if (!a || !b) return (!a && !b) ? 0 : (!a ? 1 : -1);
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

// ---- notifications ----

void TdxCustomMemData::SuspendNotifications() {
    if (suspendCount_++ == 0) {
        suspendedFrom_ = state_;
        rebuildAtResume_ = false;
    }
}

void TdxCustomMemData::ResumeNotifications() {
    if (suspendCount_ == 0 || --suspendCount_ > 0) return;
    if (state_ != suspendedFrom_) Notify(Note::StateChanged);
    if (suspendedFrom_ != DataSetState::Inactive && Active()) {
        Notify(rebuildAtResume_ ? Note::RebuildNeeded : Note::TableChanged);
    }
}

void TdxCustomMemData::AttachLink(TableListener& link) {
    if (std::find(links_.begin(), links_.end(), &link) == links_.end()) links_.push_back(&link);
}

void TdxCustomMemData::DetachLink(TableListener& link) {
    links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
}

void TdxCustomMemData::Notify(Note note, const TField* field) {
    bool suspendedChange = false;
    if (suspendCount_ > 0) {
        if (note == Note::RebuildNeeded) rebuildAtResume_ = true;
        if (note != Note::StateChanged) return;
        rebuildAtResume_ = true;
        suspendedChange = true;
    }
    const bool open = Active();
    // Links may detach (or be destroyed) while a notification is delivered; those are skipped.
    const auto links = links_;
    for (TableListener* link : links) {
        if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
        if (suspendedChange) {
            link->SuspendedStateChange(open);
            continue;
        }
        switch (note) {
            case Note::FieldAssigned: link->FieldAssigned(*field); break;
            case Note::EditBegun: link->EditBegun(); break;
            case Note::TableChanged: link->TableChanged(); break;
            case Note::CursorMoved: link->CursorMoved(); break;
            case Note::WritePending: link->WritePending(); break;
            case Note::StateChanged: link->StateChanged(); break;
            case Note::SettleAhead: link->SettleAhead(); break;
            case Note::RebuildNeeded: link->RebuildNeeded(); break;
        }
    }
}

// ---- display access ----

const PaymentRecord& TdxCustomMemData::RecordAt(int index) const {
    return records_.at(static_cast<std::size_t>(index));
}

const PaymentRecord& TdxCustomMemData::ActiveRecord() const {
    static const PaymentRecord kEmpty{};
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return buffer_;
    if (state_ == DataSetState::Browse && current_ >= 0 &&
        current_ < static_cast<int>(records_.size())) {
        return records_[current_];
    }
    return kEmpty;
}

int TdxCustomMemData::CurrentIndex() const {
    return state_ == DataSetState::Insert ? -1 : current_;
}

std::optional<int> TdxCustomMemData::PendingInsertIndex() const {
    if (state_ != DataSetState::Insert) return std::nullopt;
    return PendingPosition();
}

std::unique_ptr<TdxMemData> MakePaymentTable(std::string name) {
    auto table = std::make_unique<TdxMemData>(std::move(name));
    table->Open();
    return table;
}

}  // namespace talvesa
