#include "data_source.h"

#include <algorithm>

#include "mem_data.h"

namespace talvesa {

DataSource::DataSource(TdxCustomMemData& table) : table_(table) { table_.AttachLink(*this); }

DataSource::~DataSource() {
    if (attached_) table_.DetachLink(*this);
}

void DataSource::Bind(BoundControl& control) {
    if (std::find(controls_.begin(), controls_.end(), &control) == controls_.end()) {
        controls_.push_back(&control);
    }
}

void DataSource::Unbind(BoundControl& control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), &control), controls_.end());
}

void DataSource::Edit() {
    if (attached_ && autoEdit_ && table_.State() == DataSetState::Browse) table_.Edit();
}

// Controls may unbind themselves or others, or bind new ones, while they answer; a control
// unbound meanwhile is skipped, one bound meanwhile hears from the next notification on.
template <typename Call>
void DataSource::Forward(const Call& call) {
    const auto controls = controls_;
    for (BoundControl* control : controls) {
        if (std::find(controls_.begin(), controls_.end(), control) == controls_.end()) continue;
        call(*control);
    }
}

void DataSource::FieldAssigned(const TField& field) {
    Forward([&](BoundControl& c) { c.FieldAssigned(field); });
}
void DataSource::EditBegun() {
    Forward([](BoundControl& c) { c.EditBegun(); });
}
void DataSource::TableChanged() {
    Forward([](BoundControl& c) { c.TableChanged(); });
}
void DataSource::CursorMoved() {
    Forward([](BoundControl& c) { c.CursorMoved(); });
}
void DataSource::WritePending() {
    Forward([](BoundControl& c) { c.WritePending(); });
}
void DataSource::StateChanged() {
    Forward([](BoundControl& c) { c.StateChanged(); });
}
void DataSource::SettleAhead() {
    Forward([](BoundControl& c) { c.SettleAhead(); });
}
void DataSource::RebuildNeeded() {
    Forward([](BoundControl& c) { c.RebuildNeeded(); });
}
void DataSource::SuspendedStateChange(bool open) {
    Forward([&](BoundControl& c) { c.SuspendedStateChange(open); });
}

void DataSource::TableDestroyed() {
    attached_ = false;
    Forward([](BoundControl& c) { c.TableDestroyed(); });
}

}  // namespace talvesa
