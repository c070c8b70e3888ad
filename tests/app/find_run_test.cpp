// The window's Find run: a worker thread, the "Поиск" window of a long run and its "Отмена".
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "errors.h"
#include "find_command.h"
#include "find_run.h"
#include "mem_data.h"
#include "search_progress.h"

namespace {

struct Row {
    const char* name;
    double pay;
};

std::unique_ptr<talvesa::TdxMemData> TableOf(const std::vector<Row>& rows)
{
    auto table = talvesa::MakePaymentTable();
    for (const Row& row : rows) {
        table->Append();
        table->FieldNamed("Name").SetValueAsText(row.name);
        table->FieldNamed("Date").SetValueAsDate(40244);
        table->FieldNamed("Pay").SetValueAsReal(row.pay);
        table->Post();
    }
    table->First();
    return table;
}

// A run that would outlast any test: every half of 24 payments of 1 is a set. The search
// cannot go faster than it reports, so no cleverness of the engine shortens it.
std::vector<Row> EndlessWorkload()
{
    return std::vector<Row>(24, Row{"Платеж", 1});
}

double HalfTheSum(const std::vector<Row>& rows)
{
    double sum = 0;
    for (const Row& row : rows) sum += row.pay;
    return std::floor(sum / 2);
}

// The report as the results area shows it.
class JoinedLines : public talvesa::ResultsArea {
public:
    void Clear() override { lines_.clear(); }
    void Add(std::string_view line) override
    {
        lines_.append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    }
    QString text() const { return lines_.join(u'\n'); }

private:
    QStringList lines_;
};

SearchProgress* ShownProgress()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* progress = qobject_cast<SearchProgress*>(widget); progress && progress->isVisible())
            return progress;
    }
    return nullptr;
}

}  // namespace

class FindRunTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        owner_ = std::make_unique<QWidget>();
        owner_->resize(650, 390);
        results_ = new QPlainTextEdit(owner_.get());
        owner_->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner_.get()));
    }
    void cleanup() { owner_.reset(); }

    void shouldStopLongRunAndKeepItsLinesWhenCancelled_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Отмена") << "button";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("close button") << "close";
    }

    void shouldStopLongRunAndKeepItsLinesWhenCancelled()
    {
        QFETCH(QString, how);
        const std::vector<Row> rows = EndlessWorkload();
        auto table = TableOf(rows);
        results_->setPlainText(QStringLiteral("old report"));

        bool shown = false;
        quint64 setsWhenShown = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (SearchProgress* progress = ShownProgress()) {
                poll.stop();
                shown = true;
                setsWhenShown = progress->setsLabel()
                                    ->text()
                                    .remove(QRegularExpression(QStringLiteral("\\D")))
                                    .toULongLong();
                if (how == "button") {
                    QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
                } else if (how == "escape") {
                    QTest::keyClick(progress, Qt::Key_Escape);
                } else {
                    progress->close();
                }
            } else if (clock.elapsed() > 20000) {
                // Never shown: stop the run rather than hang the test.
                poll.stop();
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            }
        });
        poll.start(20);

        RunFind(owner_.get(), *table, HalfTheSum(rows), *results_,
                talvesa::FormatSettings::russian());

        QVERIFY2(shown, "the \"Поиск\" window did not appear");
        const QTextDocument& report = *results_->document();
        QCOMPARE(report.lastBlock().text(), QStringLiteral("Поиск прерван"));
        // The blocks written before the cancel stay, beginning with a whole one.
        QVERIFY(setsWhenShown > 0);
        QVERIFY(report.blockCount() > 14);
        QCOMPARE(report.firstBlock().text(), QStringLiteral("Найдено решение12"));
        QCOMPARE(report.findBlockByNumber(13).text(), QString());
        QVERIFY(talvesa::Candidates.empty());
        QVERIFY(talvesa::Selection.empty());
        QCOMPARE(table->RecordPosition(), table->RecordTotal());
        QVERIFY(ShownProgress() == nullptr);
    }

    void shouldShowNoWindowForShortRun()
    {
        auto table = TableOf({{"A", 600}, {"B", 400}, {"C", 1000}, {"D", 0}});
        bool shown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] { shown = shown || ShownProgress(); });
        poll.start(5);

        RunFind(owner_.get(), *table, 1000, *results_, talvesa::FormatSettings::russian());
        QTest::qWait(700);  // past the moment a long run would show its window

        QVERIFY(!shown);
        JoinedLines expected;
        auto same = TableOf({{"A", 600}, {"B", 400}, {"C", 1000}, {"D", 0}});
        talvesa::FindCommand(*same, 1000, expected, talvesa::FormatSettings::russian());
        QCOMPARE(results_->toPlainText(), expected.text());
        QCOMPARE(table->RecordPosition(), 4);
    }

    void shouldRethrowWorkerErrorOnWindowThread()
    {
        auto table = TableOf({{"A", 1}});
        results_->setPlainText(QStringLiteral("old report"));
        try {
            RunFind(owner_.get(), *table, 1e16, *results_, talvesa::FormatSettings::russian());
            QFAIL("no error");
        } catch (const talvesa::ConvertError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Overflow while converting variant of type (Double) into "
                                    "type (Currency)"));
        }
        QCOMPARE(results_->toPlainText(), QString());
        QVERIFY(talvesa::Candidates.empty());
    }

    // Last: the application stays in its ending state afterwards.
    void shouldStopAndJoinWhenApplicationEndsMidRun()
    {
        const std::vector<Row> rows = EndlessWorkload();
        auto table = TableOf(rows);
        bool shown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (ShownProgress()) {
                poll.stop();
                shown = true;
                QCoreApplication::exit(0);
            }
        });
        poll.start(20);
        QTimer::singleShot(20000, &poll, [] { QCoreApplication::exit(0); });

        RunFind(owner_.get(), *table, HalfTheSum(rows), *results_,
                talvesa::FormatSettings::russian());

        QVERIFY(shown);
        QCOMPARE(results_->document()->lastBlock().text(), QStringLiteral("Поиск прерван"));
        QVERIFY(talvesa::Candidates.empty());
        QVERIFY(ShownProgress() == nullptr);
    }

private:
    std::unique_ptr<QWidget> owner_;
    QPlainTextEdit* results_ = nullptr;
};

QTEST_MAIN(FindRunTest)
#include "find_run_test.moc"
