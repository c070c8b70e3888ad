#include "payment_grid_model.h"

#include "amount_text.h"
#include "code_page.h"
#include "date_text.h"
#include "mem_data.h"
#include "regional_settings.h"

using talvesa::DataSetState;

namespace {

const char* const kFieldNames[] = {"Name", "Date", "Pay"};

}  // namespace

PaymentGridModel::PaymentGridModel(talvesa::DataSource& dataSource, QObject* parent)
    : QAbstractTableModel(parent), dataSource_(dataSource), settings_(CurrentFormatSettings())
{
    rows_ = tableRows();
    pendingRow_ = pendingRow();
    currentRow_ = currentRow();
    dataSource_.Bind(*this);
    connect(&RegionalSettings::instance(), &RegionalSettings::changed, this,
            &PaymentGridModel::setFormatSettings);
}

PaymentGridModel::~PaymentGridModel()
{
    if (!tableGone_) dataSource_.Unbind(*this);
}

void PaymentGridModel::setFormatSettings(const talvesa::FormatSettings& settings)
{
    settings_ = settings;
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
}

QString PaymentGridModel::headerText(int column)
{
    switch (column) {
    case NameColumn: return QStringLiteral("Платеж");
    case DateColumn: return QStringLiteral("Дата");
    case PayColumn: return QStringLiteral("Сумма");
    default: return {};
    }
}

int PaymentGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int PaymentGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int PaymentGridModel::tableRows() const
{
    if (tableGone_ || !table().Active()) return 0;
    return table().RecordTotal() + (table().State() == DataSetState::Insert ? 1 : 0);
}

int PaymentGridModel::pendingRow() const
{
    if (tableGone_ || table().State() != DataSetState::Insert) return -1;
    return table().PendingInsertIndex().value_or(-1);
}

int PaymentGridModel::currentRow() const
{
    if (tableGone_ || !table().Active()) return -1;
    const int pending = pendingRow();
    return pending >= 0 ? pending : table().CurrentIndex();
}

bool PaymentGridModel::hasUnstoredChanges() const
{
    if (tableGone_) return false;
    const DataSetState state = table().State();
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

const talvesa::PaymentRecord* PaymentGridModel::recordOfRow(int row) const
{
    if (insertingAt_ >= 0 && row >= insertingAt_) ++row;
    if (removingAt_ >= 0 && row >= removingAt_) {
        if (row == removingAt_) return nullptr;
        --row;
    }
    if (row < 0 || row >= tableRows()) return nullptr;
    const talvesa::TdxCustomMemData& data = table();
    const int pending = pendingRow();
    if (pending >= 0) {
        if (row == pending) return &data.ActiveRecord();
        return &data.RecordAt(row > pending ? row - 1 : row);
    }
    if (data.State() == DataSetState::Edit && row == data.CurrentIndex())
        return &data.ActiveRecord();
    return &data.RecordAt(row);
}

QVariant PaymentGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= ColumnCount) return {};
    const talvesa::PaymentRecord* record = recordOfRow(index.row());
    if (!record) return {};
    const int column = index.column();

    if (role == Qt::TextAlignmentRole)
        return column == PayColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == RecIdRole) return record->recId;

    if (role == Qt::DisplayRole) {
        switch (column) {
        case NameColumn:
            return record->hasName ? QString::fromStdString(talvesa::AnsiToUtf8(record->name))
                                   : QString();
        case DateColumn:
            return record->hasDate
                       ? QString::fromStdString(talvesa::FormatDate(record->date, settings_))
                       : QString();
        case PayColumn:
            return record->hasPay
                       ? QString::fromStdString(talvesa::FormatCurrency(record->pay, settings_))
                       : QString();
        }
    }
    if (role == Qt::EditRole || role == SortRole) {
        switch (column) {
        case NameColumn:
            if (!record->hasName) return role == SortRole ? QVariant(QString()) : QVariant();
            return QString::fromStdString(talvesa::AnsiToUtf8(record->name));
        case DateColumn:
            return record->hasDate ? QVariant(static_cast<double>(record->date)) : QVariant();
        case PayColumn:
            return record->hasPay ? QVariant(record->pay) : QVariant();
        }
    }
    return {};
}

QVariant PaymentGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return headerText(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags PaymentGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool PaymentGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() >= ColumnCount) return false;
    if (index.row() != currentRow()) return false;
    if (table().State() == DataSetState::Browse) dataSource_.Edit();
    if (!hasUnstoredChanges()) return false;

    talvesa::TField& field = table().FieldNamed(kFieldNames[index.column()]);
    if (index.column() == NameColumn) {
        field.SetValueAsText(value.toString().toStdString());
    } else if (!value.isValid() || value.isNull()) {
        field.Clear();
    } else if (index.column() == DateColumn) {
        field.SetValueAsDate(value.toDouble());
    } else {
        field.SetValueAsReal(value.toDouble());
    }
    return true;
}

bool PaymentGridModel::submit()
{
    if (!hasUnstoredChanges()) return true;
    if (writePending_) writePending_();
    if (table().Altered())
        table().Post();
    else
        table().Cancel();
    return true;
}

void PaymentGridModel::revert()
{
    if (hasUnstoredChanges()) table().Cancel();
}

void PaymentGridModel::moveToRow(int row)
{
    if (row == currentRow() || row < 0 || row >= tableRows()) return;
    if (row == pendingRow()) return;
    const std::int32_t recId = recordOfRow(row)->recId;
    submit();
    const talvesa::TdxCustomMemData& data = table();
    for (int i = 0; i < data.RecordTotal(); ++i) {
        if (data.RecordAt(i).recId == recId) {
            table().SetRecordPosition(i + 1);
            break;
        }
    }
    announceCurrent();
}

void PaymentGridModel::beginEdit() { dataSource_.Edit(); }

void PaymentGridModel::insertBeforeCurrent() { table().Insert(); }

void PaymentGridModel::reset()
{
    beginResetModel();
    rows_ = tableRows();
    pendingRow_ = pendingRow();
    currentRow_ = currentRow();
    bufferRow_ = bufferRow();
    endResetModel();
}

void PaymentGridModel::sync()
{
    const int rows = tableRows();
    const int pending = pendingRow();
    if (rows == rows_ + 1 && pending >= 0 && pendingRow_ < 0) {
        insertingAt_ = pending;
        beginInsertRows({}, pending, pending);
        insertingAt_ = -1;
        rows_ = rows;
        pendingRow_ = pending;
        endInsertRows();
    } else if (rows == rows_ - 1 && pending < 0) {
        const int removed = pendingRow_ >= 0 ? pendingRow_ : currentRow_;
        if (removed < 0 || removed >= rows_) {
            reset();
        } else {
            removingAt_ = removed;
            beginRemoveRows({}, removed, removed);
            removingAt_ = -1;
            rows_ = rows;
            pendingRow_ = -1;
            endRemoveRows();
        }
    } else if (rows != rows_ || (pending >= 0 && pendingRow_ >= 0 && pending != pendingRow_)) {
        reset();
    }
    pendingRow_ = pending;
    // Only the rows that showed or now show the edit buffer can read differently.
    const int buffer = bufferRow();
    if (bufferRow_ != buffer) rowChanged(bufferRow_);
    rowChanged(buffer);
    bufferRow_ = buffer;
    announceCurrent();
}

int PaymentGridModel::bufferRow() const
{
    if (tableGone_) return -1;
    if (table().State() == DataSetState::Insert) return pendingRow();
    if (table().State() == DataSetState::Edit) return table().CurrentIndex();
    return -1;
}

void PaymentGridModel::rowChanged(int row)
{
    if (row >= 0 && row < rows_) emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void PaymentGridModel::announceCurrent()
{
    currentRow_ = currentRow();
    emit currentRecordChanged(currentRow_);
}

void PaymentGridModel::FieldAssigned(const talvesa::TField& /*field*/) { rowChanged(currentRow()); }

void PaymentGridModel::EditBegun()
{
    FieldAssigned(*table().Fields().front());
}

void PaymentGridModel::TableChanged() { sync(); }

void PaymentGridModel::CursorMoved() { announceCurrent(); }

void PaymentGridModel::WritePending()
{
    if (writePending_) writePending_();
}

void PaymentGridModel::StateChanged() { sync(); }

void PaymentGridModel::RebuildNeeded()
{
    reset();
    announceCurrent();
}

void PaymentGridModel::TableDestroyed()
{
    beginResetModel();
    tableGone_ = true;
    rows_ = 0;
    pendingRow_ = -1;
    currentRow_ = -1;
    endResetModel();
}
