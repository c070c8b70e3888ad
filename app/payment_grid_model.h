#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <optional>

#include "data_source.h"
#include "format_settings.h"

namespace talvesa {
class TdxCustomMemData;
struct PaymentRecord;
}  // namespace talvesa

// The payment grid's view of the table, bound to DataSource1. It holds no payments of its
// own: it reads the table for every cell and turns the table's notifications into model
// signals. Rows are the stored records in table order, plus the new record while one is
// being inserted, at the place it will take.
class PaymentGridModel : public QAbstractTableModel, public talvesa::BoundControl {
    Q_OBJECT
public:
    enum Column { NameColumn, DateColumn, PayColumn, ColumnCount };
    // The raw value for sorting: text, day number or amount; empty fields sort first.
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int RecIdRole = Qt::UserRole + 2;

    explicit PaymentGridModel(talvesa::DataSource& dataSource, QObject* parent = nullptr);
    ~PaymentGridModel() override;

    talvesa::TdxCustomMemData& table() const { return dataSource_.DataSet(); }
    talvesa::DataSource& dataSource() const { return dataSource_; }

    void setFormatSettings(const talvesa::FormatSettings& settings);
    const talvesa::FormatSettings& formatSettings() const { return settings_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Assigns the field of the current record, starting an edit first when the table browses.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Leaving a row: a changed row is stored, an untouched new or edited one dropped.
    bool submit() override;
    // Esc with no cell editor open: every change of the row is dropped.
    void revert() override;

    // The row of the table's current record, -1 when there is none.
    int currentRow() const;
    // The row of the record being inserted, -1 when none.
    int pendingRow() const;
    bool hasUnstoredChanges() const;
    // Makes the record shown at this row the table's current one, settling a pending edit
    // first as the table does; the row counts before the settling.
    void moveToRow(int row);
    // The user's first change in a cell editor: the table's edit state (AutoEdit).
    void beginEdit();
    // Ins: a new record before the current one.
    void insertBeforeCurrent();

    // The cell editor's value is written from here when the table asks for pending values.
    void setWritePendingHandler(std::function<void()> handler) { writePending_ = std::move(handler); }

    static QString headerText(int column);

signals:
    // The table's current record is now shown at this row (-1: none).
    void currentRecordChanged(int row);

private:
    // BoundControl
    void FieldAssigned(const talvesa::TField& field) override;
    void EditBegun() override;
    void TableChanged() override;
    void CursorMoved() override;
    void WritePending() override;
    void StateChanged() override;
    void RebuildNeeded() override;
    void TableDestroyed() override;

    int tableRows() const;
    const talvesa::PaymentRecord* recordOfRow(int row) const;
    // Brings the reported rows in step with the table and announces the current record.
    void sync();
    void reset();
    void announceCurrent();
    int bufferRow() const;
    void rowChanged(int row);

    talvesa::DataSource& dataSource_;
    talvesa::FormatSettings settings_;
    std::function<void()> writePending_;
    bool tableGone_ = false;
    // What the views were last told; needed to name the rows that went away.
    int rows_ = 0;
    // Between the begin and end of an insertion or removal the views must still see the
    // rows as they were; the table has already changed.
    int insertingAt_ = -1;
    int removingAt_ = -1;
    int pendingRow_ = -1;
    int currentRow_ = -1;
    // The row that shows the edit buffer (edit or insert state), -1 when none.
    int bufferRow_ = -1;
};
