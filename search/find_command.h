#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "amount.h"
#include "format_settings.h"

namespace talvesa {

class TdxCustomMemData;

// The results area as the Find command sees it.
class ResultsArea {
public:
    virtual ~ResultsArea() = default;
    virtual void Clear() = 0;
    virtual void Add(std::string_view line) = 0;
};

// The search's work record: one per payment of the snapshot.
struct ttempRec {
    std::string name;  // UTF-8
    double date = 0.0;
    Amount pay = 0;
};

// The run's work arrays. Only the run touches them; they are empty between runs.
extern std::vector<std::unique_ptr<ttempRec>> Candidates;
extern std::vector<ttempRec*> Selection;

enum class SearchEngine { Plain, Fast };

// What a run did, for the benchmark and the tests.
struct SearchStats {
    std::uint64_t nodes = 0;      // chains entered (starts and descents)
    std::uint64_t sets = 0;       // sets reported
    std::size_t peakBytes = 0;    // the engine's own working memory at its largest
};

struct FindOptions {
    SearchEngine engine = SearchEngine::Fast;
    // Polled while the search runs; when it becomes true the run ends early and
    // "Поиск прерван" is appended after the lines written so far.
    const std::atomic<bool>* cancel = nullptr;
    // Raised by one for every set reported, for a progress display.
    std::atomic<std::uint64_t>* setsFound = nullptr;
    // When non-zero, the run stops as if cancelled once it has entered this many chains.
    std::uint64_t nodeLimit = 0;
    // Filled in when the run ends, also after an error or a cancel.
    SearchStats* stats = nullptr;
};

// Steps that touch the table: empty the results area and Candidates, move to the first
// record, and snapshot every record into Candidates. Runs on the table's thread.
void BeginFind(TdxCustomMemData& table, ResultsArea& results);

// The rest of the run over Candidates: sort, search, report, release. Touches no table, so
// it may run on another thread. Candidates and Selection are empty afterwards, also after an
// error. Returns false when the run was cancelled.
bool FinishFind(std::optional<double> target, ResultsArea& results,
                const FormatSettings& settings, const FindOptions& options = {});

// The whole Find command: BeginFind, then FinishFind.
bool FindCommand(TdxCustomMemData& table, std::optional<double> target, ResultsArea& results,
                 const FormatSettings& settings, const FindOptions& options = {});

// Writes the chain in Selection as one block of the report.
void PrintSolution(ResultsArea& results, const FormatSettings& settings);

}  // namespace talvesa
