#include "find_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "find_command.h"
#include "search_progress.h"

namespace {

constexpr int kFlushIntervalMs = 50;
constexpr int kProgressDelayMs = 500;
// Text goes to the results area in pieces of about this size, and one flush stops after
// about this long, so that the window answers the user while a dense report streams in.
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;
constexpr qint64 kFlushBudgetMs = 30;
// Beyond this much unshown text the search waits for the window to catch up, so that a
// report faster than the results area can take it does not pile up in memory.
constexpr std::size_t kMaxPendingBytes = std::size_t{4} << 20;

// The results area as the worker sees it: lines are gathered under a lock and appended to
// the text editor in batches on the window's thread.
class BufferedResults : public talvesa::ResultsArea {
public:
    BufferedResults(QPlainTextEdit& edit, QObject& uiContext, const std::atomic<bool>& cancel)
        : edit_(edit), uiContext_(uiContext), cancel_(cancel)
    {
    }

    void Clear() override
    {
        std::lock_guard lock(mutex_);
        pieces_.clear();
        pendingBytes_ = 0;
        clear_ = true;
    }

    void Add(std::string_view line) override
    {
        std::unique_lock lock(mutex_);
        if (pendingBytes_ >= kMaxPendingBytes) {
            askFlush();
            room_.wait(lock, [this] {
                return pendingBytes_ < kMaxPendingBytes || cancel_.load(std::memory_order_relaxed);
            });
        }
        if (pieces_.empty() || pieces_.back().size() >= kPieceBytes) pieces_.emplace_back();
        pieces_.back().append(line);
        pieces_.back().push_back('\n');
        pendingBytes_ += line.size() + 1;
    }

    // Window thread only. Appends what is pending, for about kFlushBudgetMs unless told to
    // take everything; what is left is flushed again as soon as the window has answered
    // its other events.
    void Flush(bool everything = false)
    {
        QElapsedTimer spent;
        spent.start();
        for (;;) {
            std::string piece;
            bool clear = false;
            bool more = false;
            {
                std::lock_guard lock(mutex_);
                clear = std::exchange(clear_, false);
                if (!pieces_.empty()) {
                    piece = std::move(pieces_.front());
                    pieces_.pop_front();
                    pendingBytes_ -= piece.size();
                }
                more = !pieces_.empty();
                if (!more) flushAsked_ = false;
            }
            room_.notify_all();
            if (clear) edit_.clear();
            if (!piece.empty()) {
                piece.pop_back();  // each paragraph appended ends its line itself
                edit_.appendPlainText(QString::fromStdString(piece));
            }
            if (!more) return;
            if (!everything && spent.elapsed() >= kFlushBudgetMs) {
                QTimer::singleShot(0, &uiContext_, [this] { Flush(); });
                return;
            }
        }
    }

    // Lets a worker waiting for room see the cancel flag.
    void Wake()
    {
        { std::lock_guard lock(mutex_); }
        room_.notify_all();
    }

private:
    // Under the lock, worker thread.
    void askFlush()
    {
        if (flushAsked_) return;
        flushAsked_ = true;
        QMetaObject::invokeMethod(&uiContext_, [this] { Flush(); }, Qt::QueuedConnection);
    }

    QPlainTextEdit& edit_;
    QObject& uiContext_;
    const std::atomic<bool>& cancel_;
    std::mutex mutex_;
    std::condition_variable room_;
    std::deque<std::string> pieces_;
    std::size_t pendingBytes_ = 0;
    bool clear_ = false;
    bool flushAsked_ = false;
};

// Stops and joins the worker however RunFind is left.
class WorkerGuard {
public:
    WorkerGuard(std::thread& worker, std::atomic<bool>& cancel, BufferedResults& results)
        : worker_(worker), cancel_(cancel), results_(results)
    {
    }
    WorkerGuard(const WorkerGuard&) = delete;
    WorkerGuard& operator=(const WorkerGuard&) = delete;
    ~WorkerGuard() { join(); }

    void join()
    {
        if (!worker_.joinable()) return;
        cancel_.store(true);
        results_.Wake();
        worker_.join();
    }

private:
    std::thread& worker_;
    std::atomic<bool>& cancel_;
    BufferedResults& results_;
};

}  // namespace

void RunFind(QWidget* owner, talvesa::TdxCustomMemData& table, std::optional<double> target,
             QPlainTextEdit& results, const talvesa::FormatSettings& settings)
{
    QObject uiContext;
    QEventLoop wait;
    QPointer<SearchProgress> progress;
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::atomic<std::uint64_t> setsFound{0};
    std::exception_ptr error;
    BufferedResults area(results, uiContext, cancel);

    // The table belongs to the window's thread: the snapshot is taken here.
    try {
        talvesa::BeginFind(table, area);
    } catch (...) {
        area.Flush();  // the results area is emptied before the table can fail
        throw;
    }
    area.Flush();

    QElapsedTimer clock;
    clock.start();
    talvesa::FindOptions options;
    options.engine = talvesa::SearchEngine::Fast;
    options.cancel = &cancel;
    options.setsFound = &setsFound;
    std::thread worker;
    WorkerGuard guard(worker, cancel, area);
    worker = std::thread([&] {
        try {
            talvesa::FinishFind(target, area, settings, options);
        } catch (...) {
            error = std::current_exception();
        }
        finished.store(true);
        QMetaObject::invokeMethod(
            &uiContext,
            [&] {
                wait.quit();
                if (progress) progress->accept();
            },
            Qt::QueuedConnection);
    });

    QTimer flushTimer;
    QObject::connect(&flushTimer, &QTimer::timeout, &uiContext, [&] {
        area.Flush();
        if (progress) progress->setProgress(setsFound.load(), clock.elapsed());
    });
    flushTimer.start(kFlushIntervalMs);

    // Closing the program mid-run: stop the search and let the application end.
    bool quitting = false;
    QObject::connect(qGuiApp, &QGuiApplication::lastWindowClosed, &uiContext, [&] {
        quitting = true;
        cancel.store(true);
        area.Wake();
        wait.quit();
        if (progress) progress->reject();
    });

    // Input waits until a short run is over, as it would under a run on this thread.
    QTimer::singleShot(kProgressDelayMs, &wait, &QEventLoop::quit);
    if (!finished.load()) wait.exec(QEventLoop::ExcludeUserInputEvents);

    if (!finished.load() && !quitting) {
        SearchProgress window(owner);
        progress = &window;
        window.setProgress(setsFound.load(), clock.elapsed());
        if (!finished.load() && window.exec() != QDialog::Accepted) {
            cancel.store(true);
            area.Wake();
        }
        progress = nullptr;
    }
    // After a cancel the search stops at its next check; keep painting meanwhile.
    if (!finished.load()) wait.exec(QEventLoop::ExcludeUserInputEvents);

    guard.join();
    flushTimer.stop();
    area.Flush(true);
    if (quitting) QCoreApplication::quit();
    if (error) std::rethrow_exception(error);
}
