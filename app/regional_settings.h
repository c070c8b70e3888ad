#pragma once

#include <QObject>

#include "format_settings.h"

class QLocale;

// The regional forms as Qt's locale gives them. A locale without regional settings of its
// own (the C locale) stands in with the Russian forms: its dates would not read back.
talvesa::FormatSettings FormatSettingsFromLocale(const QLocale& locale);

// The forms the window layer shows and reads with. Read from the system at start-up and
// again when the system announces a change; every editor follows the change.
class RegionalSettings : public QObject {
    Q_OBJECT
public:
    static RegionalSettings& instance();

    const talvesa::FormatSettings& settings() const { return settings_; }
    void setSettings(const talvesa::FormatSettings& settings);
    // Reads QLocale::system() again.
    void reload();

signals:
    void changed(const talvesa::FormatSettings& settings);

private:
    RegionalSettings();
    talvesa::FormatSettings settings_;
};

inline const talvesa::FormatSettings& CurrentFormatSettings()
{
    return RegionalSettings::instance().settings();
}
