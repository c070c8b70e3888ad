#include "plain_search.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "errors.h"

namespace talvesa {

void BubbleSortCandidates(SearchRun& run) {
    const std::size_t n = Candidates.size();
    if (n < 2) return;
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (Candidates[i + 1]->pay > Candidates[i]->pay) {
                std::swap(Candidates[i], Candidates[i + 1]);
                swapped = true;
            }
        }
        run.Poll();
    }
}

namespace {

Amount Subtract(Amount remainder, Amount amount) {
    constexpr Amount kMax = std::numeric_limits<Amount>::max();
    constexpr Amount kMin = std::numeric_limits<Amount>::min();
    if (amount < 0 ? remainder > kMax + amount : remainder < kMin + amount) throw MathError();
    return remainder - amount;
}

void SearchSet(std::int32_t start, Amount remainder, SearchRun& run) {
    run.CountNode();
    const auto n = static_cast<std::int32_t>(Candidates.size());
    Selection.push_back(nullptr);
    for (std::int32_t j = start + 1; j < n; ++j) {
        run.CountStep();
        ttempRec* rec = Candidates[j].get();
        Selection.back() = rec;
        if (rec->pay > remainder) continue;
        if (rec->pay == remainder) {
            PrintSolution(run.Results(), run.Settings());
            run.CountSet();
            continue;
        }
        SearchSet(j, Subtract(remainder, rec->pay), run);
    }
    Selection.pop_back();
}

}  // namespace

void PlainSearch(Amount target, SearchRun& run) {
    const auto n = static_cast<std::int32_t>(Candidates.size());
    for (std::int32_t i = 0; i < n; ++i) {
        const Amount amount = Candidates[i]->pay;
        if (amount > target) continue;
        Selection.assign(1, Candidates[i].get());
        SearchSet(i, Subtract(target, amount), run);
        Selection.clear();
    }
}

}  // namespace talvesa
