#pragma once

#include <QLineEdit>
#include <optional>

#include "format_settings.h"

// The one amount editor of the program: the target field, the grid's amount cells and the
// record dialog's amount. It holds an amount or nothing; typed text becomes the value only
// when commit() reads it (Return, focus leaving, or a data link's WritePending).
class AmountEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit AmountEdit(QWidget* parent = nullptr);

    void setFormatSettings(const talvesa::FormatSettings& settings);
    const talvesa::FormatSettings& formatSettings() const { return settings_; }

    // The last accepted value.
    std::optional<double> value() const { return value_; }
    // Accepts a value from outside (initial value, the field's value) and shows it.
    void setValue(std::optional<double> value);

    // True while the text differs from what the accepted value shows.
    bool hasPendingText() const;
    // Reads the text and accepts it; throws talvesa::ConvertError with
    // "Invalid input value. Use escape key to abandon changes" when it does not read.
    void commit();
    // Puts the accepted value back (Esc).
    void revert();

signals:
    void valueAccepted(std::optional<double> value);
    // The user's first change since the value was last shown.
    void editingStarted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showValue();

    talvesa::FormatSettings settings_;
    std::optional<double> value_;
};
