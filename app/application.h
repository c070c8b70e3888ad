#pragma once

#include <QApplication>
#include <exception>

// The application object: its default error handler shows what a command raised, and it
// reads the regional settings again when the system announces a change.
class TalvesaApplication : public QApplication {
    Q_OBJECT
public:
    TalvesaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The executable's file name up to the first full stop, first letter kept, the rest
    // lower case.
    static QString title();
    static QString titleFromPath(const QString& executablePath);

    // The default error box: the message, a full stop added when its last character's code
    // is greater than that of the full stop.
    static void showException(const std::exception& error);
    static void showCurrentException();
    static QString errorBoxText(const QString& message);

protected:
    bool event(QEvent* event) override;
};

// Runs a command the way the default handler expects: what it raises ends it and is shown.
template <typename Command>
void RunCommand(Command&& command)
{
    try {
        command();
    } catch (...) {
        TalvesaApplication::showCurrentException();
    }
}
