#include "find_command.h"

#include "errors.h"
#include "fast_search.h"
#include "mem_data.h"
#include "plain_search.h"
#include "search_run.h"

namespace talvesa {

std::vector<std::unique_ptr<ttempRec>> Candidates;
std::vector<ttempRec*> Selection;

namespace {

// Emptied with their memory, so that a large run leaves nothing behind.
void ReleaseWorkArrays() {
    std::vector<ttempRec*>().swap(Selection);
    std::vector<std::unique_ptr<ttempRec>>().swap(Candidates);
}

// Empties both work arrays when a run ends, however it ends.
class WorkArraysRelease {
public:
    WorkArraysRelease() = default;
    WorkArraysRelease(const WorkArraysRelease&) = delete;
    WorkArraysRelease& operator=(const WorkArraysRelease&) = delete;
    ~WorkArraysRelease() {
        if (armed_) ReleaseWorkArrays();
    }
    void Dismiss() { armed_ = false; }

private:
    bool armed_ = true;
};

}  // namespace

SearchRun::~SearchRun() {
    if (options_.stats != nullptr) {
        options_.stats->nodes = nodes_;
        options_.stats->sets = sets_;
        options_.stats->peakBytes = peakBytes_;
    }
}

void SearchRun::CountSet() {
    ++sets_;
    if (options_.setsFound != nullptr) options_.setsFound->fetch_add(1, std::memory_order_relaxed);
    Poll();
}

void SearchRun::Poll() const {
    if (options_.cancel != nullptr && options_.cancel->load(std::memory_order_relaxed)) {
        throw SearchCancelled{};
    }
    if (options_.nodeLimit != 0 && nodes_ >= options_.nodeLimit) throw SearchCancelled{};
}

void BeginFind(TdxCustomMemData& table, ResultsArea& results) {
    results.Clear();
    ReleaseWorkArrays();
    table.First();
    const int total = table.RecordTotal();
    if (total <= 0) return;

    // A snapshot that fails half way is released, not left for the next run.
    WorkArraysRelease release;
    const TField& name = table.FieldNamed("name");
    const TField& date = table.FieldNamed("date");
    const TField& pay = table.FieldNamed("pay");
    Candidates.reserve(static_cast<std::size_t>(total));
    // The count alone decides how many records are read.
    for (int k = 0; k < total; ++k) {
        auto rec = std::make_unique<ttempRec>();
        rec->name = name.ValueAsText();
        rec->date = date.ValueAsDate();
        rec->pay = pay.ValueAsAmount();
        Candidates.push_back(std::move(rec));
        table.Next();
    }
    release.Dismiss();
}

bool FinishFind(std::optional<double> target, ResultsArea& results, const FormatSettings& settings,
                const FindOptions& options) {
    WorkArraysRelease release;
    SearchRun run(results, settings, options);
    try {
        if (options.engine == SearchEngine::Plain) {
            BubbleSortCandidates(run);
        } else {
            StableSortCandidates();
        }
        run.Poll();
        // With no target every amount counts as greater than it: no start, no comparison.
        if (target.has_value() && !Candidates.empty()) {
            // Halfway values round to even, as the table's amounts do.
            const std::optional<Amount> scaled = ScaleToAmount(*target);
            if (!scaled.has_value()) {
                throw ConvertError(
                    "Overflow while converting variant of type (Double) into type (Currency)");
            }
            if (options.engine == SearchEngine::Plain) {
                PlainSearch(*scaled, run);
            } else {
                FastSearch(*scaled, run);
            }
        }
    } catch (const SearchCancelled&) {
        results.Add(kCancelledLine);
        return false;
    }
    return true;
}

bool FindCommand(TdxCustomMemData& table, std::optional<double> target, ResultsArea& results,
                 const FormatSettings& settings, const FindOptions& options) {
    BeginFind(table, results);
    return FinishFind(target, results, settings, options);
}

}  // namespace talvesa
