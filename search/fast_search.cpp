#include "fast_search.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "errors.h"

// How the walk stays exact while it skips work. The candidates are sorted largest first, so
// they fall into three runs: positive amounts, zeros, negative amounts. Every remainder the
// plain walk carries is non-negative, hence:
//  - only positive amounts (and, at a remainder of zero, zeros) can ever complete a set;
//  - a chain that reaches a zero with a remainder above zero, or any negative amount,
//    reports nothing more; the only thing such a chain can do is overflow, and it
//    overflows exactly when its remainder plus the magnitudes of all negatives after it
//    leaves the Amount range (the chain that takes every one of them gets furthest);
//  - going down through positives and zeros never raises the remainder, so a chain whose
//    remainder is below that limit has no overflowing chain under it.
// A branch that reports nothing may therefore be skipped, provided that it is first checked
// for the overflow it would have raised: when it would, the error is raised at the point
// where the plain walk would have entered it, after the same lines.

namespace talvesa {

void StableSortCandidates() {
    std::stable_sort(Candidates.begin(), Candidates.end(),
                     [](const std::unique_ptr<ttempRec>& a, const std::unique_ptr<ttempRec>& b) {
                         return a->pay > b->pay;
                     });
}

namespace {

constexpr Amount kAmountMax = std::numeric_limits<Amount>::max();

// A sum of magnitudes that may pass what 64 bits hold; past that it only needs to compare
// as larger than any limit.
struct Magnitude {
    std::uint64_t value = 0;
    bool beyond = false;

    void Add(std::uint64_t more) {
        if (value > std::numeric_limits<std::uint64_t>::max() - more) beyond = true;
        value += more;
    }
    bool Exceeds(std::uint64_t limit) const { return beyond || value > limit; }
};

// |a| of a negative amount, for all of them including the most negative.
std::uint64_t MagnitudeOf(Amount a) { return std::uint64_t{0} - static_cast<std::uint64_t>(a); }

// kAmountMax - r as an unsigned number, for any r.
std::uint64_t RoomAbove(Amount r) {
    return static_cast<std::uint64_t>(kAmountMax) - static_cast<std::uint64_t>(r);
}

FastSearchTuning tuning;

// Which sums the positive candidates from a given index on can make, for sums up to a cap.
// Row k holds bit v when some subset of positions k..p-1 sums to v * unit.
class ReachTable {
public:
    bool Covers(std::int32_t k, std::uint64_t units) const {
        if (k < firstRow_ || static_cast<std::size_t>(k - firstRow_) >= width_.size()) {
            return false;
        }
        return units < width_[k - firstRow_];
    }
    // Starts loading the word that Has(k, units) will read.
    void Prefetch(std::int32_t k, std::uint64_t units) const {
        if (k < firstRow_) return;
        const auto row = static_cast<std::size_t>(k - firstRow_);
        if (row >= width_.size() || units >= width_[row]) return;
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(&bits_[offset_[row] + units / 64]);
#endif
    }
    bool Has(std::int32_t k, std::uint64_t units) const {
        const std::size_t row = static_cast<std::size_t>(k - firstRow_);
        return (bits_[offset_[row] + units / 64] >> (units % 64)) & 1U;
    }
    std::size_t Bytes() const { return bits_.size() * sizeof(std::uint64_t); }

    // Rows firstRow..p with the given widths in bits; a row must be at least as wide as the
    // one above it wherever the sums from that row on reach. units[k] is the amount at k.
    void Build(std::int32_t firstRow, const std::vector<std::uint64_t>& units,
               std::vector<std::uint64_t> widths) {
        firstRow_ = firstRow;
        const std::size_t rows = widths.size();
        width_ = std::move(widths);
        offset_.assign(rows + 1, 0);
        for (std::size_t r = 0; r < rows; ++r) {
            offset_[r + 1] = offset_[r] + WordsOf(width_[r]);
        }
        bits_.assign(offset_[rows], 0);
        bits_[offset_[rows - 1]] = 1;  // the empty set, in the row past the last positive
        for (std::size_t r = rows - 1; r-- > 0;) {
            const std::uint64_t* src = &bits_[offset_[r + 1]];
            const std::size_t srcWords = offset_[r + 2] - offset_[r + 1];
            std::uint64_t* dst = &bits_[offset_[r]];
            const std::size_t dstWords = offset_[r + 1] - offset_[r];
            std::copy(src, src + std::min(srcWords, dstWords), dst);
            const std::uint64_t shift = units[firstRow + r];
            if (shift < width_[r]) {
                const std::size_t wordShift = shift / 64;
                const unsigned bitShift = static_cast<unsigned>(shift % 64);
                for (std::size_t d = wordShift; d < dstWords; ++d) {
                    const std::size_t s = d - wordShift;
                    std::uint64_t v = s < srcWords ? src[s] << bitShift : 0;
                    if (bitShift != 0 && s >= 1 && s - 1 < srcWords) {
                        v |= src[s - 1] >> (64 - bitShift);
                    }
                    dst[d] |= v;
                }
            }
            const std::uint64_t tail = width_[r] % 64;
            if (tail != 0) dst[dstWords - 1] &= (std::uint64_t{1} << tail) - 1;
        }
    }

    static std::size_t WordsOf(std::uint64_t width) {
        return static_cast<std::size_t>((width + 63) / 64);
    }

private:
    std::int32_t firstRow_ = 0;
    std::vector<std::uint64_t> width_;
    std::vector<std::size_t> offset_;
    std::vector<std::uint64_t> bits_;
};

// States (first usable index, remainder) known to complete no set. Open addressing; it
// grows to a fixed size and then takes no more entries.
class DeadMemo {
public:
    bool Contains(std::int32_t k, Amount r) const {
        if (slots_.empty()) return false;
        for (std::size_t at = Hash(k, r) & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.k == kEmpty) return false;
            if (slot.k == k && slot.r == r) return true;
        }
    }
    void Insert(std::int32_t k, Amount r) {
        if (count_ * 2 >= slots_.size()) {
            if (slots_.size() * 2 > tuning.deadMemoMaxEntries) return;
            Grow();
        }
        for (std::size_t at = Hash(k, r) & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.k == kEmpty) {
                slot = {r, k};
                ++count_;
                return;
            }
            if (slot.k == k && slot.r == r) return;
        }
    }
    std::size_t Bytes() const { return slots_.size() * sizeof(Slot); }

private:
    static constexpr std::int32_t kEmpty = -1;
    struct Slot {
        Amount r = 0;
        std::int32_t k = kEmpty;
    };

    static std::size_t Hash(std::int32_t k, Amount r) {
        std::uint64_t h = static_cast<std::uint64_t>(r) * 0x9E3779B97F4A7C15ULL;
        h ^= static_cast<std::uint64_t>(static_cast<std::uint32_t>(k)) * 0xC2B2AE3D27D4EB4FULL;
        h ^= h >> 29;
        return static_cast<std::size_t>(h);
    }
    void Grow() {
        std::vector<Slot> old = std::move(slots_);
        const std::size_t first = std::min<std::size_t>(
            4096, std::bit_ceil(std::max<std::size_t>(tuning.deadMemoMaxEntries, 2)));
        slots_.assign(old.empty() ? first : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.k != kEmpty) Insert(slot.k, slot.r);
        }
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

class FastWalk {
public:
    FastWalk(Amount target, SearchRun& run) : target_(target), run_(run) {
        n_ = static_cast<std::int32_t>(Candidates.size());
        pay_.resize(static_cast<std::size_t>(n_));
        for (std::int32_t k = 0; k < n_; ++k) pay_[k] = Candidates[k]->pay;
        p_ = static_cast<std::int32_t>(
            std::partition_point(pay_.begin(), pay_.end(), [](Amount a) { return a > 0; }) -
            pay_.begin());
        f_ = static_cast<std::int32_t>(
            std::partition_point(pay_.begin(), pay_.end(), [](Amount a) { return a >= 0; }) -
            pay_.begin());

        Magnitude negatives;
        for (std::int32_t k = f_; k < n_; ++k) negatives.Add(MagnitudeOf(pay_[k]));
        // Every remainder is at least zero, so -1 stands for "every chain overflows".
        hotLimit_ = negatives.Exceeds(static_cast<std::uint64_t>(kAmountMax))
                        ? -1
                        : kAmountMax - static_cast<Amount>(negatives.value);

        // Held up to kAmountMax: beyond it a sum still compares right with any remainder.
        suffix_.assign(static_cast<std::size_t>(p_) + 1, 0);
        for (std::int32_t k = p_; k-- > 0;) {
            suffix_[k] =
                suffix_[k + 1] > kAmountMax - pay_[k] ? kAmountMax : suffix_[k + 1] + pay_[k];
        }
        unit_ = 0;
        for (std::int32_t k = 0; k < p_; ++k) {
            unit_ = std::gcd(unit_, static_cast<std::uint64_t>(pay_[k]));
        }
        if (unit_ == 0) unit_ = 1;  // no positive amounts
        lines_.resize(static_cast<std::size_t>(n_));
        NoteMemory();
    }

    void Run() {
        std::int32_t i = FirstAtMost(0, target_);
        for (; i < p_; ++i) {
            run_.CountStep();
            if (i + kLookAhead < p_) {
                PrefetchCompletes(i + kLookAhead + 1, target_ - pay_[i + kLookAhead]);
            }
            const Amount r = target_ - pay_[i];
            if (r == 0) {
                StartAt(i);
                ZeroRemainder(i);
                EndStart();
                continue;
            }
            if (suffix_[i + 1] < r) {
                // Later starts only leave larger remainders over fewer candidates.
                if (target_ - pay_[p_ - 1] > hotLimit_) throw MathError();
                break;
            }
            if (Completes(i + 1, r)) {
                StartAt(i);
                Walk(i, r);
                EndStart();
            } else if (r > hotLimit_) {
                throw MathError();
            }
        }
        if (target_ >= 0 && p_ < f_) {
            if (target_ == 0) {
                for (std::int32_t z = p_; z < f_; ++z) {
                    StartAt(z);
                    ZeroRemainder(z);
                    EndStart();
                }
            } else if (target_ > hotLimit_) {
                throw MathError();
            }
        }
        // A start on a negative amount reports nothing; it overflows when the target plus
        // the magnitudes from there on does, and the first such start gets furthest.
        const std::int32_t firstNegative = FirstAtMost(f_, target_);
        if (firstNegative < n_) {
            Magnitude reach;
            for (std::int32_t k = firstNegative; k < n_; ++k) reach.Add(MagnitudeOf(pay_[k]));
            if (reach.Exceeds(RoomAbove(target_))) throw MathError();
        }
    }

private:
    struct Frame {
        Amount r;
        std::int32_t first;  // first index whose amount fits under r
        std::int32_t next;   // next index to try
        std::uint64_t setsAtEntry;
        std::uint64_t nodesAtEntry;
        bool restKnown;  // whether the candidates from `next` on are known to complete r
    };

    // First index in [from, n) whose amount does not exceed r (amounts only fall).
    std::int32_t FirstAtMost(std::int32_t from, Amount r) const {
        return static_cast<std::int32_t>(
            std::partition_point(pay_.begin() + from, pay_.end(), [r](Amount a) { return a > r; }) -
            pay_.begin());
    }

    void StartAt(std::int32_t i) {
        EndStart();
        Extend(i);
    }
    void EndStart() {
        chain_.clear();
        Selection.clear();
    }

    // A chain that has met the target exactly: only the zeros after it complete it.
    void ZeroRemainder(std::int32_t node) {
        run_.CountNode();
        for (std::int32_t z = std::max(node + 1, p_); z < f_; ++z) Report(z);
        if (0 > hotLimit_) throw MathError();
    }

    static constexpr std::int32_t kLookAhead = 6;

    void PrefetchCompletes(std::int32_t k, Amount r) const {
        reach_.Prefetch(k, RemainderUnits(r));
    }

    // Whether some positives from index k on sum to exactly r (r > 0). lastExact_ tells
    // whether the answer was decided or only not ruled out.
    bool Completes(std::int32_t k, Amount r) {
        lastExact_ = true;
        if (k >= p_ || suffix_[k] < r || r < pay_[p_ - 1]) return false;
        auto ur = static_cast<std::uint64_t>(r);
        if (unit_ != 1) {
            if (ur % unit_ != 0) return false;
            ur /= unit_;
        }
        const bool sumKnown = suffix_[k] < kAmountMax;
        if (sumKnown && suffix_[k] == r) return true;
        if (reach_.Covers(k, ur)) return reach_.Has(k, ur);
        // The complement of a subset is a subset: small gaps to the whole sum are decided too.
        if (sumKnown) {
            auto gap = static_cast<std::uint64_t>(suffix_[k] - r);
            if (unit_ != 1) gap /= unit_;
            if (reach_.Covers(k, gap)) return reach_.Has(k, gap);
        }
        lastExact_ = false;
        return !IsDead(FirstAtMost(k, r), r);
    }

    // The memo pays where remainders repeat (few distinct amounts); with many distinct
    // amounts it hardly ever hits, and then it is switched off rather than left to cost
    // a cache miss per question.
    bool IsDead(std::int32_t first, Amount r) {
        if (!memoOn_) return false;
        ++memoLookups_;
        if (dead_.Contains(first, r)) {
            ++memoHits_;
            return true;
        }
        if (memoLookups_ >= (std::uint64_t{1} << 16) && memoHits_ * 256 < memoLookups_) {
            memoOn_ = false;
            dead_ = DeadMemo{};
        }
        return false;
    }

    void Walk(std::int32_t start, Amount r) {
        frames_.clear();
        Push(start, r, lastExact_);
        while (!frames_.empty()) {
            Frame& top = frames_.back();
            bool descended = false;
            while (top.next < p_) {
                const std::int32_t j = top.next++;
                run_.CountStep();
                if (suffix_[j] < top.r) {
                    top.next = p_;
                    break;
                }
                // A chain entered on hope: once the table reaches its remainder, one look
                // tells whether any of the candidates left can still complete it.
                if (!top.restKnown && reach_.Covers(j, RemainderUnits(top.r))) {
                    top.restKnown = true;
                    if (!Completes(j, top.r)) {
                        top.next = p_;
                        break;
                    }
                }
                // The questions for the next children go to far-apart rows; loading their
                // words ahead hides most of the wait.
                if (j + kLookAhead < p_ && pay_[j + kLookAhead] < top.r) {
                    PrefetchCompletes(j + kLookAhead + 1, top.r - pay_[j + kLookAhead]);
                }
                const Amount amount = pay_[j];
                if (amount == top.r) {
                    Report(j);
                    continue;
                }
                const Amount rest = top.r - amount;
                if (Completes(j + 1, rest)) {
                    Extend(j);
                    Push(j, rest, lastExact_);
                    descended = true;
                    break;
                }
                if (rest > hotLimit_) throw MathError();
            }
            if (descended) continue;
            // The zeros and negatives after this chain report nothing; they may overflow.
            if (top.r > hotLimit_) throw MathError();
            // A dead end is worth remembering once it took more than one look.
            if (run_.Sets() == top.setsAtEntry && run_.Nodes() - top.nodesAtEntry >= 1) {
                Remember(top.first, top.r);
            }
            frames_.pop_back();
            if (!frames_.empty()) Shorten();
        }
        NoteMemory();
    }

    // Only states the table cannot decide are worth a slot.
    void Remember(std::int32_t first, Amount r) {
        if (memoOn_ && !reach_.Covers(first, RemainderUnits(r))) dead_.Insert(first, r);
    }

    void Push(std::int32_t node, Amount r, bool known) {
        run_.CountNode();
        MaybeGrowReach();
        const std::int32_t first = FirstAtMost(node + 1, r);
        frames_.push_back({r, first, first, run_.Sets(), run_.Nodes(), known});
    }

    // r (at least zero) in table units, rounded down; exact wherever a frame holds r.
    std::uint64_t RemainderUnits(Amount r) const {
        const auto ur = static_cast<std::uint64_t>(r);
        return unit_ == 1 ? ur : ur / unit_;
    }

    // The table pays for itself only on long runs: a small one comes once the walk has
    // shown some length, larger ones as it goes on.
    void MaybeGrowReach() {
        const std::uint64_t nodes = run_.Nodes();
        if (nodes < nextReachAt_ || reachComplete_) return;
        nextReachAt_ = std::max<std::uint64_t>(nodes, 1) * 8;
        const std::size_t budgetWords =
            std::min<std::size_t>(tuning.reachBudgetBytes,
                                  static_cast<std::size_t>(nodes) * tuning.reachBytesPerNode) /
            sizeof(std::uint64_t);

        const std::int32_t firstRow = std::min(FirstAtMost(0, target_) + 1, p_);
        const auto rows = static_cast<std::size_t>(p_ - firstRow + 1);
        std::vector<std::uint64_t> units(static_cast<std::size_t>(p_));
        for (std::int32_t k = 0; k < p_; ++k) {
            units[k] = static_cast<std::uint64_t>(pay_[k]) / unit_;
        }
        // Sums beyond the target are never asked for, nor beyond what a row can make.
        const auto targetUnits = static_cast<std::uint64_t>(std::max<Amount>(target_, 0)) / unit_;
        std::vector<std::uint64_t> reachable(rows);
        for (std::size_t r = 0; r < rows; ++r) {
            const auto sum = static_cast<std::uint64_t>(suffix_[firstRow + r]) / unit_;
            reachable[r] = std::min(sum, targetUnits);
        }
        // Whole rows for the smallest amounts decide every remainder that reaches them (on
        // lists of many distinct amounts they beat a cap spread over all rows by far); what
        // is left of the budget covers small remainders in the rows above.
        std::size_t words = 0;
        std::size_t fullFrom = rows;
        while (fullFrom > 0) {
            const std::size_t more = ReachTable::WordsOf(reachable[fullFrom - 1] + 1);
            if (words + more > budgetWords && fullFrom != rows) break;
            words += more;
            --fullFrom;
        }
        std::uint64_t lo = 0;
        std::uint64_t hi = fullFrom == 0 ? 0 : reachable[0];
        const auto upperWords = [&](std::uint64_t cap) {
            std::size_t total = 0;
            for (std::size_t r = 0; r < fullFrom; ++r) {
                total += ReachTable::WordsOf(std::min(cap, reachable[r]) + 1);
            }
            return total;
        };
        while (lo < hi) {
            const std::uint64_t mid = lo + (hi - lo + 1) / 2;
            if (words + upperWords(mid) <= budgetWords) {
                lo = mid;
            } else {
                hi = mid - 1;
            }
        }
        words += upperWords(lo);
        if (words <= reachWords_) return;
        std::vector<std::uint64_t> widths(rows);
        for (std::size_t r = 0; r < rows; ++r) {
            widths[r] = (r < fullFrom ? std::min(lo, reachable[r]) : reachable[r]) + 1;
        }
        reachComplete_ = fullFrom == 0 || lo == reachable[0];
        reach_ = ReachTable{};
        reach_.Build(firstRow, units, std::move(widths));
        reachWords_ = words;
        NoteMemory();
    }

    void Report(std::int32_t j) {
        Extend(j);
        ResultsArea& results = run_.Results();
        if (headers_.size() <= chain_.size()) headers_.resize(chain_.size() + 1);
        std::string& header = headers_[chain_.size()];
        if (header.empty()) header = SolutionHeader(chain_.size());
        results.Add(header);
        for (const std::int32_t k : chain_) results.Add(LineOf(k));
        results.Add("");
        Shorten();
        run_.CountSet();
    }

    // The chain as indices, with Selection kept in step for anyone who reads it.
    void Extend(std::int32_t j) {
        chain_.push_back(j);
        Selection.push_back(Candidates[j].get());
    }
    void Shorten() {
        chain_.pop_back();
        Selection.pop_back();
    }

    // Written on first use; no payment's line is empty.
    const std::string& LineOf(std::int32_t index) {
        std::string& line = lines_[index];
        if (line.empty()) line = PaymentLine(*Candidates[index], run_.Settings());
        return line;
    }

    void NoteMemory() {
        const std::size_t bytes =
            reach_.Bytes() + dead_.Bytes() + frames_.capacity() * sizeof(Frame) +
            pay_.capacity() * sizeof(Amount) + suffix_.capacity() * sizeof(Amount) +
            lines_.capacity() * sizeof(std::string);
        run_.NoteMemory(bytes);
    }

    const Amount target_;
    SearchRun& run_;
    std::int32_t n_ = 0;
    std::int32_t p_ = 0;  // first zero
    std::int32_t f_ = 0;  // first negative
    std::vector<Amount> pay_;
    std::vector<Amount> suffix_;  // sum of the positives from k on, at most kAmountMax
    std::uint64_t unit_ = 1;      // every positive amount is a multiple of it
    Amount hotLimit_ = 0;         // a chain with a larger remainder overflows in the negatives
    ReachTable reach_;
    bool reachComplete_ = false;
    std::size_t reachWords_ = 0;
    std::uint64_t nextReachAt_ = tuning.reachAfterNodes;
    DeadMemo dead_;
    bool memoOn_ = true;
    bool lastExact_ = true;
    std::uint64_t memoLookups_ = 0;
    std::uint64_t memoHits_ = 0;
    std::vector<Frame> frames_;
    std::vector<std::int32_t> chain_;
    std::vector<std::string> lines_;
    std::vector<std::string> headers_;  // by number of payments
};

}  // namespace

void SetFastSearchTuning(const FastSearchTuning& newTuning) { tuning = newTuning; }

void FastSearch(Amount target, SearchRun& run) {
    FastWalk walk(target, run);
    walk.Run();
}

}  // namespace talvesa
