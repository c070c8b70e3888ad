#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "find_command.h"

namespace talvesa::testing {

// A results area that keeps its lines.
class RecordingArea : public ResultsArea {
public:
    void Clear() override {
        lines.clear();
        ++clears;
    }
    void Add(std::string_view line) override { lines.emplace_back(line); }

    std::vector<std::string> lines;
    int clears = 0;
};

struct Payment {
    std::string name;
    Amount pay = 0;
    double date = 40244;  // 7 March 2010
};

// Puts the payments into Candidates in the given order, as the snapshot would.
inline void LoadCandidates(const std::vector<Payment>& payments) {
    Candidates.clear();
    for (const Payment& p : payments) {
        auto rec = std::make_unique<ttempRec>();
        rec->name = p.name;
        rec->date = p.date;
        rec->pay = p.pay;
        Candidates.push_back(std::move(rec));
    }
}

// What a run left behind: its lines, the error it ended with, and whether it finished.
struct RunOutcome {
    std::vector<std::string> lines;
    std::string error;  // empty when none
    bool finished = false;
    SearchStats stats;
};

inline RunOutcome RunOver(const std::vector<Payment>& payments, std::optional<double> target,
                          SearchEngine engine, FindOptions options = {}) {
    LoadCandidates(payments);
    RecordingArea area;
    RunOutcome outcome;
    options.engine = engine;
    options.stats = &outcome.stats;
    try {
        outcome.finished = FinishFind(target, area, FormatSettings::russian(), options);
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    outcome.lines = std::move(area.lines);
    return outcome;
}

// For suites that must hold for both engines: the values and their names in the test list.
inline auto BothEngines() { return ::testing::Values(SearchEngine::Plain, SearchEngine::Fast); }
inline std::string EngineName(const ::testing::TestParamInfo<SearchEngine>& info) {
    return info.param == SearchEngine::Plain ? "Plain" : "Fast";
}

}  // namespace talvesa::testing
