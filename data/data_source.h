#pragma once

#include <vector>

namespace talvesa {

class TdxCustomMemData;
class TField;

// What a table announces to its data links, in the order of the table's operations.
// Every handler defaults to doing nothing.
class TableListener {
public:
    virtual ~TableListener() = default;

    virtual void FieldAssigned(const TField& /*field*/) {}
    virtual void EditBegun() {}
    virtual void TableChanged() {}
    virtual void CursorMoved() {}
    // Write the values still held into the table's edit buffer now; may throw, which
    // ends the table's operation before anything is stored.
    virtual void WritePending() {}
    virtual void StateChanged() {}
    virtual void SettleAhead() {}
    virtual void RebuildNeeded() {}
    virtual void SuspendedStateChange(bool /*open*/) {}
    // The table is being destroyed: it must not be used again, not even to detach.
    virtual void TableDestroyed() {}
};

// A control that shows the table through a data link (the grid, the dialog's editors).
using BoundControl = TableListener;

// The data link `DataSource1`: attached to one table for the table's life, forwards every
// notification to its bound controls in the order they were bound, and lets a control
// start an edit when the user begins to change a value (AutoEdit).
class DataSource : public TableListener {
public:
    explicit DataSource(TdxCustomMemData& table);
    ~DataSource() override;
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    TdxCustomMemData& DataSet() const { return table_; }

    void Bind(BoundControl& control);
    void Unbind(BoundControl& control);

    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    // The table's Edit when AutoEdit is on and the table is in browse state; nothing otherwise.
    void Edit();

    void FieldAssigned(const TField& field) override;
    void EditBegun() override;
    void TableChanged() override;
    void CursorMoved() override;
    void WritePending() override;
    void StateChanged() override;
    void SettleAhead() override;
    void RebuildNeeded() override;
    void SuspendedStateChange(bool open) override;
    void TableDestroyed() override;

private:
    template <typename Call>
    void Forward(const Call& call);

    TdxCustomMemData& table_;
    std::vector<BoundControl*> controls_;
    bool autoEdit_ = true;
    bool attached_ = true;
};

}  // namespace talvesa
