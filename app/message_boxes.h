#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

// Every message box of the window goes through here, so that a test can answer in advance
// and read what was shown instead of waiting on a modal box.
class MessageBoxes {
public:
    struct Shown {
        enum class Kind { Error, Confirm } kind;
        QString title;
        QString text;
    };

    // The default error box: stop icon, one OK button.
    static void showError(QWidget* parent, const QString& title, const QString& text);
    // A question with OK and Cancel; true for OK.
    static bool confirm(QWidget* parent, const QString& title, const QString& text);

    // Tests: from now on no box is shown; each is recorded and questions take the queued
    // answers (OK when none is queued).
    static void startRecording();
    static void stopRecording();
    static void queueAnswer(bool ok);
    static std::vector<Shown> takeShown();
};
