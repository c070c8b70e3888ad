#include <string>

#include "amount_text.h"
#include "date_text.h"
#include "find_command.h"
#include "search_run.h"

namespace talvesa {

std::string SolutionHeader(std::size_t count) {
    std::string header = "Найдено решение";
    header += std::to_string(count);
    return header;
}

std::string PaymentLine(const ttempRec& rec, const FormatSettings& settings) {
    std::string line = rec.name;
    line += ' ';
    line += FormatDate(rec.date, settings);
    line += ' ';
    line += FormatAmountGeneral(rec.pay, settings);
    return line;
}

void PrintSolution(ResultsArea& results, const FormatSettings& settings) {
    results.Add(SolutionHeader(Selection.size()));
    for (const ttempRec* rec : Selection) {
        if (rec == nullptr) {
            results.Add(kPointerErrorLine);
        } else {
            results.Add(PaymentLine(*rec, settings));
        }
    }
    results.Add("");
}

}  // namespace talvesa
