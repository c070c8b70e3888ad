#pragma once

// Bound controls for the tests of the table's notifications: one that writes down what it
// hears, one that holds a name to write when the table asks for pending values.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data_source.h"
#include "mem_data.h"

namespace talvesa::testing {

using Log = std::vector<std::string>;

// Each entry after the tag, so that several recorders can share one log.
class Recorder : public BoundControl {
public:
    explicit Recorder(Log& log, std::string tag = "") : log_(log), tag_(std::move(tag)) {}

    void FieldAssigned(const TField& field) override { Add("FieldAssigned:" + field.FieldName()); }
    void EditBegun() override { Add("EditBegun"); }
    void TableChanged() override { Add("TableChanged"); }
    void CursorMoved() override { Add("CursorMoved"); }
    void WritePending() override { Add("WritePending"); }
    void StateChanged() override { Add("StateChanged"); }
    void SettleAhead() override { Add("SettleAhead"); }
    void RebuildNeeded() override { Add("RebuildNeeded"); }
    void SuspendedStateChange(bool open) override {
        Add(open ? "SuspendedStateChange:open" : "SuspendedStateChange:closed");
    }

private:
    void Add(const std::string& what) { log_.push_back(tag_ + what); }
    Log& log_;
    std::string tag_;
};

// Like the record dialog's editors: the text is written into Name once, when asked for.
class NameEditor : public BoundControl {
public:
    explicit NameEditor(TdxCustomMemData& table) : table_(table) {}
    std::optional<std::string> pending;

    void WritePending() override {
        if (pending) {
            const std::string text = std::move(*pending);
            pending.reset();
            table_.FieldNamed("Name").SetValueAsText(text);
        }
    }

private:
    TdxCustomMemData& table_;
};

}  // namespace talvesa::testing
