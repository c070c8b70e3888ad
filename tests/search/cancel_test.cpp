// Stopping a run early: the closing line after the sets written so far, arrays released.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "search_test_support.h"

namespace talvesa::testing {
namespace {

// Sixty round amounts with a target met in millions of ways: no run ends on its own soon.
std::vector<Payment> ManySets() {
    std::vector<Payment> payments;
    for (int k = 0; k < 60; ++k) {
        payments.push_back({"p" + std::to_string(k), Amount{500} * 10000 * (1 + k % 40)});
    }
    return payments;
}

// Complete blocks, then the closing line.
void ExpectBlocksThenClosingLine(const std::vector<std::string>& lines) {
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Поиск прерван");
    for (std::size_t k = 0; k + 1 < lines.size();) {
        ASSERT_TRUE(lines[k].starts_with("Найдено решение")) << k;
        const std::size_t count =
            std::stoul(lines[k].substr(std::string("Найдено решение").size()));
        k += count + 1;
        ASSERT_LT(k, lines.size());
        EXPECT_EQ(lines[k], "");
        ++k;
    }
    EXPECT_TRUE(Candidates.empty());
    EXPECT_TRUE(Selection.empty());
}

class Cancel : public ::testing::TestWithParam<SearchEngine> {};

// Stops the run from inside the report, after a given number of sets.
class StoppingArea : public RecordingArea {
public:
    StoppingArea(std::atomic<bool>& cancel, int afterSets) : cancel_(cancel), left_(afterSets) {}
    void Add(std::string_view line) override {
        RecordingArea::Add(line);
        if (line.starts_with("Найдено решение") && --left_ == 0) cancel_.store(true);
    }

private:
    std::atomic<bool>& cancel_;
    int left_;
};

TEST_P(Cancel, AfterSomeSetsStopsAtOnce) {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> found{0};
    StoppingArea area(cancel, 3);
    LoadCandidates(ManySets());
    FindOptions options;
    options.engine = GetParam();
    options.cancel = &cancel;
    options.setsFound = &found;
    EXPECT_FALSE(FinishFind(2000.0, area, FormatSettings::russian(), options));
    ExpectBlocksThenClosingLine(area.lines);
    // The flag is seen at the set that raised it.
    EXPECT_EQ(found.load(), 3U);
    EXPECT_EQ(std::count(area.lines.begin(), area.lines.end(), ""), 3);
}

TEST_P(Cancel, FromAnotherThread) {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> found{0};
    RecordingArea area;
    LoadCandidates(ManySets());
    FindOptions options;
    options.engine = GetParam();
    options.cancel = &cancel;
    options.setsFound = &found;
    bool finished = true;
    std::thread worker(
        [&] { finished = FinishFind(40000.0, area, FormatSettings::russian(), options); });
    while (found.load() < 10) std::this_thread::yield();
    cancel.store(true);
    worker.join();
    EXPECT_FALSE(finished);
    ExpectBlocksThenClosingLine(area.lines);
}

TEST_P(Cancel, BeforeTheStartWritesOnlyTheClosingLine) {
    std::atomic<bool> cancel{true};
    RecordingArea area;
    LoadCandidates(ManySets());
    FindOptions options;
    options.engine = GetParam();
    options.cancel = &cancel;
    EXPECT_FALSE(FinishFind(2000.0, area, FormatSettings::russian(), options));
    EXPECT_EQ(area.lines, std::vector<std::string>{"Поиск прерван"});
    EXPECT_TRUE(Candidates.empty());
}

TEST_P(Cancel, NodeLimitStopsLikeACancel) {
    RecordingArea area;
    LoadCandidates(ManySets());
    FindOptions options;
    options.engine = GetParam();
    options.nodeLimit = 10000;
    EXPECT_FALSE(FinishFind(40000.0, area, FormatSettings::russian(), options));
    ExpectBlocksThenClosingLine(area.lines);
}

INSTANTIATE_TEST_SUITE_P(Engines, Cancel, BothEngines(), EngineName);

}  // namespace
}  // namespace talvesa::testing
