#pragma once

#include <QWidget>
#include <optional>

#include "format_settings.h"

class QLineEdit;
class QToolButton;

// A date typed in the regional short date format or picked from a drop-down calendar with
// "Today" and "Clear". Holds a whole-day date value or nothing.
class DateEdit : public QWidget {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    void setFormatSettings(const talvesa::FormatSettings& settings);

    std::optional<double> value() const { return value_; }
    void setValue(std::optional<double> value);

    bool hasPendingText() const;
    // Reads the text and accepts it; throws talvesa::ConvertError("Invalid Date") when it
    // does not read.
    void commit();
    void revert();

    QLineEdit* lineEdit() const { return line_; }

signals:
    void valueAccepted(std::optional<double> value);
    void editingStarted();

private:
    talvesa::FormatSettings settings_;
    std::optional<double> value_;
    QLineEdit* line_ = nullptr;
    QToolButton* dropDown_ = nullptr;
};
