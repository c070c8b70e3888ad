#pragma once

#include "amount.h"
#include "search_run.h"

namespace talvesa {

// The search exactly as first described: a bubble sort and a walk over every chain whose
// running sum stays within the target. Kept as the reference for the fast engine and as
// the baseline of the benchmark.

// Orders Candidates by amount, largest first; equal amounts keep their order.
void BubbleSortCandidates(SearchRun& run);

// Every start and every chain over the sorted Candidates, reporting through PrintSolution.
void PlainSearch(Amount target, SearchRun& run);

}  // namespace talvesa
