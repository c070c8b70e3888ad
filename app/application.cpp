#include "application.h"

#include <QFileInfo>

#include "message_boxes.h"
#include "regional_settings.h"

TalvesaApplication::TalvesaApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString TalvesaApplication::titleFromPath(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    // The first letter stays as the file has it.
    if (name.isEmpty()) return name;
    return name.left(1) + name.mid(1).toLower();
}

QString TalvesaApplication::title()
{
    static const QString title = titleFromPath(QCoreApplication::applicationFilePath());
    return title;
}

QString TalvesaApplication::errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.at(message.size() - 1).unicode() > u'.')
        return message + u'.';
    return message;
}

void TalvesaApplication::showException(const std::exception& error)
{
    MessageBoxes::showError(QApplication::activeWindow(), title(),
                            errorBoxText(QString::fromUtf8(error.what())));
}

void TalvesaApplication::showCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        showException(error);
    } catch (...) {
        MessageBoxes::showError(QApplication::activeWindow(), title(),
                                errorBoxText(QStringLiteral("Unknown error")));
    }
}

bool TalvesaApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentException();
        return false;
    }
}

bool TalvesaApplication::event(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange) RegionalSettings::instance().reload();
    return QApplication::event(event);
}
