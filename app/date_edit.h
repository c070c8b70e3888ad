#pragma once

#include <QWidget>
#include <optional>

#include "format_settings.h"

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QPushButton;
class QToolButton;

// A date typed in the regional short date format or picked from a drop-down calendar with
// "Today" and "Clear". Holds a whole-day date value or nothing.
class DateEdit : public QWidget {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    void setFormatSettings(const talvesa::FormatSettings& settings);
    const talvesa::FormatSettings& formatSettings() const { return settings_; }

    std::optional<double> value() const { return value_; }
    void setValue(std::optional<double> value);

    bool hasPendingText() const;
    // Reads the text and accepts it; throws talvesa::ConvertError("Invalid Date") when it
    // does not read.
    void commit();
    void revert();
    bool textReads() const;

    // As for the amount editor: the grid's delegate reads the cell itself.
    void setCommitOnFocusOut(bool on) { commitOnFocusOut_ = on; }

    // A line-edit frame around text and button (on by default; off in grid cells).
    void setFrame(bool frame);
    bool hasFrame() const { return frame_; }
    QSize sizeHint() const override;

    QLineEdit* lineEdit() const { return line_; }
    QToolButton* dropDownButton() const { return dropDown_; }
    // The calendar pop-up; created hidden with the editor.
    QFrame* popup() const { return popup_; }
    QCalendarWidget* calendar() const { return calendar_; }

    // Shows the calendar under the editor, on the editor's date (today when it has none).
    void showPopup();
    // What the pop-up's buttons do: the user's choice of a date, or of none.
    void pick(std::optional<double> value);

    // The year two-digit years are read around; the local clock's by default.
    void setCurrentYear(int year) { currentYear_ = year; }

signals:
    void valueAccepted(std::optional<double> value);
    void editingStarted();
    // The focus left the editor while it does not commit by itself.
    void focusLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showValue();
    void userEdited();

    talvesa::FormatSettings settings_;
    std::optional<double> value_;
    QString shownText_;
    bool started_ = false;
    bool commitOnFocusOut_ = true;
    bool frame_ = true;
    int currentYear_ = 0;
    QLineEdit* line_ = nullptr;
    QToolButton* dropDown_ = nullptr;
    QFrame* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QPushButton* today_ = nullptr;
    QPushButton* clear_ = nullptr;
};
