#pragma once

#include <cstdint>

#include "find_command.h"

namespace talvesa {

// Thrown through the search when the run is to stop early; FinishFind turns it into the
// closing line. Not an Error: it never reaches the user's error box.
struct SearchCancelled {};

// The state one run shares between its engine and FinishFind: where the report goes, and
// the polling of the cancel flag and the node limit.
class SearchRun {
public:
    SearchRun(ResultsArea& results, const FormatSettings& settings, const FindOptions& options)
        : results_(results), settings_(settings), options_(options) {}
    ~SearchRun();
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    ResultsArea& Results() const { return results_; }
    const FormatSettings& Settings() const { return settings_; }

    // Cheap enough for every chain; looks at the flag only now and then.
    void CountNode() {
        ++nodes_;
        if ((nodes_ & kPollMask) == 0) Poll();
    }
    // For loops that test many candidates without entering any.
    void CountStep() {
        if ((++steps_ & kPollMask) == 0) Poll();
    }
    void CountSet();
    void Poll() const;
    void NoteMemory(std::size_t bytes) {
        if (bytes > peakBytes_) peakBytes_ = bytes;
    }

    std::uint64_t Nodes() const { return nodes_; }
    std::uint64_t Sets() const { return sets_; }

private:
    static constexpr std::uint64_t kPollMask = 4095;

    ResultsArea& results_;
    const FormatSettings& settings_;
    const FindOptions& options_;
    std::uint64_t nodes_ = 0;
    std::uint64_t steps_ = 0;
    std::uint64_t sets_ = 0;
    std::size_t peakBytes_ = 0;
};

// The report's texts, shared by PrintSolution and the fast engine's line cache.
std::string SolutionHeader(std::size_t count);
std::string PaymentLine(const ttempRec& rec, const FormatSettings& settings);
inline constexpr std::string_view kPointerErrorLine = "ошибка указателя";
inline constexpr std::string_view kCancelledLine = "Поиск прерван";

}  // namespace talvesa
