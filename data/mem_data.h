#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "amount.h"
#include "format_settings.h"

namespace talvesa {

class TableListener;
class TdxCustomMemData;

enum class DataSetState { Inactive, Browse, Edit, Insert };
enum class FieldKind { fkData, fkCalculated, fkLookup };
enum class FieldType { Integer, String, Date, Currency };

// One stored payment: a has-value flag per field and the values in their storage forms.
struct PaymentRecord {
    std::int32_t recId = 0;
    std::string name;       // Windows-1251 bytes, at most 255, no zero byte
    std::int32_t date = 0;  // whole days since 30 December 1899
    double pay = 0.0;
    bool hasRecId = false;
    bool hasName = false;
    bool hasDate = false;
    bool hasPay = false;
};

// A column of the table. Accessors read the current record (browse) or the edit buffer
// (edit, insert); assignments need edit or insert state.
class TField {
public:
    const std::string& FieldName() const { return fieldName_; }
    FieldKind Kind() const { return kind_; }
    FieldType DataType() const { return type_; }
    int Size() const { return size_; }
    bool Visible() const { return visible_; }
    int Index() const { return index_; }
    TdxCustomMemData& DataSet() const { return *table_; }

    std::string ValueAsText() const;  // String fields; UTF-8
    double ValueAsDate() const;       // Date fields; 0 when empty
    double ValueAsReal() const;       // Currency fields; 0 when empty
    Amount ValueAsAmount() const;     // Currency fields; MathError on overflow
    std::int32_t ValueAsInteger() const;
    bool HasNoValue() const;

    // Converted to the code page and cut at a zero byte and at 255 bytes; TAB, CR and LF
    // become spaces, since they would split the record in the payment list file.
    void SetValueAsText(std::string_view utf8);
    // Keeps the whole day after rounding to the millisecond; MathError, storing nothing,
    // for a value that is no day of the years 1 to 9999 (NaN and infinities included).
    void SetValueAsDate(double dateValue);
    void SetValueAsReal(double value);
    void Clear();

private:
    friend class TdxCustomMemData;
    TField(TdxCustomMemData& table, int index, std::string name, FieldKind kind, FieldType type,
           int size, bool visible);

    TdxCustomMemData* table_;
    int index_;
    std::string fieldName_;
    FieldKind kind_;
    FieldType type_;
    int size_;
    bool visible_;
};

// The in-memory payment table: ordered records, a cursor, a one-record edit buffer and
// the notifications that keep bound controls in step. Single-threaded.
class TdxCustomMemData {
public:
    explicit TdxCustomMemData(std::string name);
    virtual ~TdxCustomMemData();
    TdxCustomMemData(const TdxCustomMemData&) = delete;
    TdxCustomMemData& operator=(const TdxCustomMemData&) = delete;

    const std::string& Name() const { return name_; }

    // Fields in field order: RecId (calculated, hidden), Name (255), Date, Pay.
    const std::vector<std::unique_ptr<TField>>& Fields() const { return fields_; }
    TField& FieldNamed(std::string_view name) const;        // DatasetError when none
    TField* SeekField(std::string_view name) const;          // nullptr when none

    void Open();
    void Close();
    bool Active() const;
    void SetActive(bool active);
    DataSetState State() const { return state_; }

    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void First();
    void Next();
    bool AtStart() const;
    bool AtEnd() const;
    int RecordTotal() const;
    int RecordPosition() const;
    void SetRecordPosition(int position);
    bool Altered() const;

    std::optional<std::int32_t> TakeBookmark() const;
    void ReturnToBookmark(std::optional<std::int32_t> bookmark);
    bool BookmarkExists(std::int32_t bookmark) const;
    int BookmarkOrder(std::optional<std::int32_t> a, std::optional<std::int32_t> b) const;

    void SuspendNotifications();
    void ResumeNotifications();

    // Data links, notified in the order attached.
    void AttachLink(TableListener& link);
    void DetachLink(TableListener& link);

    // The payment list file.
    char16_t Delimiter() const { return delimiter_; }
    void SetDelimiter(char16_t delimiter) { delimiter_ = delimiter; }
    void SaveToDelimitedFile(const std::string& fileName, const FormatSettings& settings);
    void LoadFromDelimitedFile(const std::string& fileName, const FormatSettings& settings,
                               int currentYear);
    bool Loading() const { return loading_; }

    // Read-only access for display: stored records by 0-based index, and what the cursor
    // designates (the edit buffer while editing or inserting).
    const PaymentRecord& RecordAt(int index) const;
    const PaymentRecord& ActiveRecord() const;
    // 0-based index of the current stored record, -1 when none (also while inserting:
    // the current record is then the new one, at PendingInsertIndex).
    int CurrentIndex() const;
    // While inserting: the 0-based index the new record will take when posted.
    std::optional<int> PendingInsertIndex() const;

private:
    friend class TField;

    // Where a new record goes when it is posted.
    enum class NewRecordPlace { BeforeBookmark, AtStart, AfterLast };
    enum class Note {
        FieldAssigned, EditBegun, TableChanged, CursorMoved, WritePending, StateChanged,
        SettleAhead, RebuildNeeded
    };

    [[noreturn]] void Fail(std::string_view message) const;
    void CheckActive() const;
    void CheckEditing() const;
    void Settle();
    void StartNewRecord(bool append);
    void SetState(DataSetState state);
    void ResetCursorFlags();
    void DiscardRecords();  // records, edit buffer and cursor; the numbering stays
    void Notify(Note note, const TField* field = nullptr);
    int PositionOfBookmark(std::int32_t bookmark) const;  // -1 when absent
    int PendingPosition() const;                          // 0-based, insert state
    PaymentRecord& Buffer() { return buffer_; }
    void BufferAssigned(const TField& field);

    std::string name_;
    std::vector<std::unique_ptr<TField>> fields_;
    DataSetState state_ = DataSetState::Inactive;
    char16_t delimiter_ = u'\t';
    bool loading_ = false;

    std::vector<PaymentRecord> records_;
    std::vector<std::int32_t> bookmarks_;  // one per position, ascending
    std::int32_t lastBookmark_ = 0;
    std::int32_t lastRecId_ = 0;
    int current_ = -1;  // index of the current stored record, -1 when none
    bool atStart_ = true;
    bool atEnd_ = true;

    PaymentRecord buffer_;
    std::int32_t bufferBookmark_ = 0;  // edit: the record read; insert: the record it precedes
    NewRecordPlace newPlace_ = NewRecordPlace::AfterLast;
    bool altered_ = false;

    std::vector<TableListener*> links_;
    int suspendCount_ = 0;
    DataSetState suspendedFrom_ = DataSetState::Inactive;
    bool rebuildAtResume_ = false;
};

// The published form of the table that the main window owns as `dxMemData1`.
class TdxMemData : public TdxCustomMemData {
public:
    using TdxCustomMemData::TdxCustomMemData;
};

// The payment table as the main window's layout builds it, open and empty.
std::unique_ptr<TdxMemData> MakePaymentTable(std::string name = "dxMemData1");

}  // namespace talvesa
