#include "find_run.h"

#include <QPlainTextEdit>

#include "find_command.h"

namespace {

class PlainTextResults : public talvesa::ResultsArea {
public:
    explicit PlainTextResults(QPlainTextEdit& edit) : edit_(edit) {}
    void Clear() override { edit_.clear(); }
    void Add(std::string_view line) override
    {
        edit_.appendPlainText(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    }

private:
    QPlainTextEdit& edit_;
};

}  // namespace

void RunFind(QWidget* /*owner*/, talvesa::TdxCustomMemData& table, std::optional<double> target,
             QPlainTextEdit& results, const talvesa::FormatSettings& settings)
{
    PlainTextResults area(results);
    talvesa::FindCommand(table, target, area, settings);
}
