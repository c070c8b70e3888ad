#pragma once

#include <optional>

#include "format_settings.h"

class QPlainTextEdit;
class QWidget;

namespace talvesa {
class TdxCustomMemData;
}

// The Find command as the window runs it: the report goes into the results area.
void RunFind(QWidget* owner, talvesa::TdxCustomMemData& table, std::optional<double> target,
             QPlainTextEdit& results, const talvesa::FormatSettings& settings);
