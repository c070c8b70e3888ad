// The fast search against the plain one on seeded workloads; one line per workload.
//   search_bench [--plain-seconds S] [--only NAME]
// The plain run stops after S seconds of wall time (default 60); its time and the speed-up
// are then lower bounds, shown with ">". Times are the searching thread's processor
// seconds, which other work on a shared machine disturbs less; the fast run's wall time is
// shown too.

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "find_command.h"

namespace {

using talvesa::Amount;

struct Workload {
    std::string name;
    std::vector<Amount> pays;
    double target = 0;
    std::uint64_t setLimit = 0;  // 0: run to the end
};

// Keeps a digest of the report instead of the lines, and can stop the run after a number
// of sets.
class CountingArea : public talvesa::ResultsArea {
public:
    CountingArea(std::atomic<bool>& cancel, std::uint64_t setLimit)
        : cancel_(cancel), setLimit_(setLimit) {}
    void Clear() override {}
    void Add(std::string_view line) override {
        ++lines;
        // A cheap digest (length, head and tail of each line) keeps the sink from
        // dominating the fast runs; the tests compare full texts.
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
        std::memcpy(&head, line.data(), std::min<std::size_t>(8, line.size()));
        if (line.size() > 8) std::memcpy(&tail, line.data() + line.size() - 8, 8);
        if (line.size() > 16) head ^= static_cast<std::uint64_t>(line[13]) << 7 ^ line[14];
        digest = (digest ^ line.size() ^ head ^ (tail << 1)) * 1099511628211ULL;
        if (setLimit_ != 0 && line.starts_with("Найдено решение") && ++sets_ >= setLimit_) {
            cancel_.store(true);
        }
    }
    std::uint64_t lines = 0;
    std::uint64_t digest = 1469598103934665603ULL;

private:
    std::atomic<bool>& cancel_;
    std::uint64_t setLimit_;
    std::uint64_t sets_ = 0;
};

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Measured {
    double seconds = 0;  // processor time of the searching thread
    double wall = 0;
    bool complete = false;  // ran to the end (or to the set limit)
    talvesa::SearchStats stats;
    std::uint64_t lines = 0;
    std::uint64_t digest = 0;
    std::string error;
};

Measured Measure(const Workload& w, talvesa::SearchEngine engine, double timeLimit) {
    talvesa::Candidates.clear();
    for (std::size_t k = 0; k < w.pays.size(); ++k) {
        auto rec = std::make_unique<talvesa::ttempRec>();
        rec->name = "Платёж " + std::to_string(k + 1);
        rec->date = 40179 + static_cast<double>(k % 365);
        rec->pay = w.pays[k];
        talvesa::Candidates.push_back(std::move(rec));
    }
    std::atomic<bool> cancel{false};
    CountingArea area(cancel, w.setLimit);
    Measured m;
    talvesa::FindOptions options;
    options.engine = engine;
    options.cancel = &cancel;
    options.stats = &m.stats;

    // A watchdog stops runs that would take too long.
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!done.wait_for(lock, std::chrono::duration<double>(timeLimit),
                           [&] { return finished; })) {
            cancel.store(true);
        }
    });
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = ThreadCpuSeconds();
    bool ended = false;
    try {
        ended = talvesa::FinishFind(w.target, area, talvesa::FormatSettings::russian(), options);
    } catch (const std::exception& e) {
        m.error = e.what();
        ended = true;
    }
    m.seconds = ThreadCpuSeconds() - cpu0;
    m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    done.notify_one();
    watchdog.join();
    const bool limitReached = w.setLimit != 0 && m.stats.sets >= w.setLimit;
    m.complete = ended || limitReached;
    m.lines = area.lines;
    m.digest = area.digest;
    return m;
}

Amount Cents(std::mt19937_64& rng, int lo, int hi) {
    return std::uniform_int_distribution<Amount>(lo, hi)(rng) * 100;
}

// The target as the sum of `count` distinct payments of the list.
double SumOf(const std::vector<Amount>& pays, int count, std::mt19937_64& rng) {
    std::vector<std::size_t> order(pays.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::shuffle(order.begin(), order.end(), rng);
    Amount sum = 0;
    for (int k = 0; k < count; ++k) sum += pays[order[k]];
    return static_cast<double>(sum) / 10000.0;
}

std::vector<Workload> MakeWorkloads() {
    std::vector<Workload> all;
    std::mt19937_64 rng(20100307);
    {
        Workload w{"invoices-30", {}, 0, 0};
        for (int k = 0; k < 30; ++k) w.pays.push_back(Cents(rng, 10000, 999999));
        w.target = SumOf(w.pays, 5, rng);
        all.push_back(w);
    }
    {
        Workload w{"round-60", {}, 0, 0};
        for (int k = 0; k < 60; ++k) {
            w.pays.push_back(std::uniform_int_distribution<Amount>(1, 40)(rng) * 500 * 10000);
        }
        w.target = SumOf(w.pays, 4, rng);
        all.push_back(w);
    }
    {
        Workload w{"small-40", {}, 0, 0};
        for (int k = 0; k < 40; ++k) w.pays.push_back(Cents(rng, 100, 99999));
        w.target = SumOf(w.pays, 8, rng);
        all.push_back(w);
    }
    {
        Workload w{"mixed-26", {}, 0, 0};
        for (int k = 0; k < 18; ++k) w.pays.push_back(Cents(rng, 1000, 500000));
        for (int k = 0; k < 4; ++k) w.pays.push_back(0);
        for (int k = 0; k < 4; ++k) w.pays.push_back(-Cents(rng, 100, 50000));
        std::shuffle(w.pays.begin(), w.pays.end(), rng);
        std::vector<Amount> positives;
        for (const Amount a : w.pays) {
            if (a > 0) positives.push_back(a);
        }
        w.target = SumOf(positives, 5, rng);
        all.push_back(w);
    }
    {
        // Few distinct amounts with four decimals: the same remainders come back again and
        // again, and the target is too large for the reach table to cover.
        Workload w{"repeats-40", {}, 0, 0};
        std::vector<Amount> kinds;
        for (int k = 0; k < 10; ++k) {
            kinds.push_back(std::uniform_int_distribution<Amount>(10000000, 500000000)(rng));
        }
        for (int k = 0; k < 40; ++k) w.pays.push_back(kinds[k % kinds.size()]);
        w.target = SumOf(w.pays, 7, rng);
        all.push_back(w);
    }
    {
        Workload w{"fine-400", {}, 23753.2570, 10000};
        for (int k = 0; k < 400; ++k) {
            w.pays.push_back(std::uniform_int_distribution<Amount>(14000, 230007840)(rng));
        }
        all.push_back(w);
    }
    return all;
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    double plainSeconds = 60;
    std::string only;
    for (int k = 1; k + 1 < argc; k += 2) {
        if (std::strcmp(argv[k], "--plain-seconds") == 0) plainSeconds = std::atof(argv[k + 1]);
        if (std::strcmp(argv[k], "--only") == 0) only = argv[k + 1];
    }
    std::printf("%-12s %4s %10s %10s %10s %10s %10s %10s %12s %12s %9s %9s %s\n", "workload", "n",
                "sets", "plain sets", "plain s", "fast s", "fast wall", "speed-up", "nodes/set",
                "plain n/set", "fast MiB", "RSS MiB", "same");
    for (const Workload& w : MakeWorkloads()) {
        if (!only.empty() && w.name != only) continue;
        const Measured fast = Measure(w, talvesa::SearchEngine::Fast, 600);
        const Measured plain = Measure(w, talvesa::SearchEngine::Plain, plainSeconds);
        const bool plainCut = !plain.complete;
        char plainText[32];
        char speedText[32];
        std::snprintf(plainText, sizeof plainText, "%s%.3f", plainCut ? ">" : "", plain.seconds);
        std::snprintf(speedText, sizeof speedText, "%s%.0fx", plainCut ? ">" : "",
                      plain.seconds / std::max(fast.seconds, 1e-9));
        const char* same = plainCut ? "n/a (plain cut)"
                           : (plain.digest == fast.digest && plain.lines == fast.lines &&
                              plain.error == fast.error)
                               ? "yes"
                               : "NO";
        std::printf(
            "%-12s %4zu %10llu %10llu %10s %10.4f %10.4f %10s %12.1f %12.1f %9.1f %9.1f %s%s%s\n",
            w.name.c_str(), w.pays.size(), static_cast<unsigned long long>(fast.stats.sets),
            static_cast<unsigned long long>(plain.stats.sets), plainText, fast.seconds, fast.wall,
            speedText,
            static_cast<double>(fast.stats.nodes) /
                static_cast<double>(std::max<std::uint64_t>(fast.stats.sets, 1)),
            static_cast<double>(plain.stats.nodes) /
                static_cast<double>(std::max<std::uint64_t>(plain.stats.sets, 1)),
            static_cast<double>(fast.stats.peakBytes) / (1 << 20), PeakRssMiB(), same,
            fast.error.empty() ? "" : "  error: ", fast.error.c_str());
        std::fflush(stdout);
    }
    return 0;
}
