#pragma once

#include <cstddef>
#include <cstdint>

#include "amount.h"
#include "search_run.h"

namespace talvesa {

// The same report as the plain search, reached without walking chains that cannot meet
// the target.

// The order of BubbleSortCandidates in n log n.
void StableSortCandidates();

void FastSearch(Amount target, SearchRun& run);

// When the engine's helpers come into play and how large they may grow. The defaults keep
// the working memory under 200 MiB; tests shrink them to reach every path on small lists.
struct FastSearchTuning {
    std::uint64_t reachAfterNodes = std::uint64_t{1} << 10;
    std::size_t reachBytesPerNode = 256;
    std::size_t reachBudgetBytes = std::size_t{128} << 20;
    std::size_t deadMemoMaxEntries = std::size_t{1} << 22;
};

// Not for use while a search runs.
void SetFastSearchTuning(const FastSearchTuning& tuning);

}  // namespace talvesa
