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
    // Whether commit() would accept the text.
    bool textReads() const;

    // Whether focus leaving commits (the target field, the dialog). The grid's cell editor
    // turns it off: its delegate decides when the cell's text is read.
    void setCommitOnFocusOut(bool on) { commitOnFocusOut_ = on; }

    // The text the editor shows for a value while it has the focus: a plain number.
    static QString plainText(double value, const talvesa::FormatSettings& settings);
    // Reads what a user may type or paste: the plain number, also with thousand separators
    // or the currency symbol left in. Nothing when it does not read; empty text is not asked.
    static std::optional<double> readText(const QString& text,
                                          const talvesa::FormatSettings& settings);

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
    void userEdited();

    talvesa::FormatSettings settings_;
    std::optional<double> value_;
    QString shownText_;
    bool started_ = false;
    bool commitOnFocusOut_ = true;
};
