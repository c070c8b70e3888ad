#include "regional_settings.h"

#include <QLocale>

talvesa::FormatSettings FormatSettingsFromLocale(const QLocale& locale)
{
    if (locale.language() == QLocale::C) return talvesa::FormatSettings::russian();

    talvesa::FormatSettings settings;
    const QString pattern = locale.dateFormat(QLocale::ShortFormat);
    settings.shortDatePattern = pattern.toStdString();
    QString separator = QStringLiteral("/");
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c != u'\'' && !c.isLetter() && !c.isSpace()) {
            separator = c;
            break;
        }
    }
    settings.dateSeparator = separator.toStdString();
    settings.decimalSeparator = locale.decimalPoint().toStdString();
    settings.thousandSeparator = locale.groupSeparator().toStdString();
    settings.currencySymbol = locale.currencySymbol().toStdString();

    // Qt names no currency decimals or symbol placement; its own currency text of 1 shows both.
    const QString one = locale.toCurrencyString(1.0);
    const QString symbol = locale.currencySymbol();
    const qsizetype decimalAt = one.indexOf(locale.decimalPoint());
    int decimals = 0;
    if (decimalAt >= 0) {
        for (qsizetype i = decimalAt + locale.decimalPoint().size(); i < one.size(); ++i) {
            if (!one.at(i).isDigit()) break;
            ++decimals;
        }
    }
    settings.currencyDecimals = decimals;
    const qsizetype symbolAt = symbol.isEmpty() ? -1 : one.indexOf(symbol);
    const qsizetype digitAt = one.indexOf(u'1');
    settings.currencyPlacement = 3;
    if (symbolAt >= 0 && digitAt >= 0) {
        const bool before = symbolAt < digitAt;
        const qsizetype numberEnd =
            decimalAt >= 0 ? decimalAt + locale.decimalPoint().size() + decimals : digitAt + 1;
        const QString gap = before ? one.mid(symbolAt + symbol.size(),
                                             digitAt - symbolAt - symbol.size())
                                   : one.mid(numberEnd, symbolAt - numberEnd);
        const bool spaced = !gap.isEmpty() && gap.trimmed().isEmpty();
        settings.currencyPlacement = before ? (spaced ? 2 : 0) : (spaced ? 3 : 1);
    }
    return settings;
}

RegionalSettings& RegionalSettings::instance()
{
    static RegionalSettings settings;
    return settings;
}

RegionalSettings::RegionalSettings() : settings_(FormatSettingsFromLocale(QLocale::system())) {}

void RegionalSettings::setSettings(const talvesa::FormatSettings& settings)
{
    if (settings == settings_) return;
    settings_ = settings;
    emit changed(settings_);
}

void RegionalSettings::reload() { setSettings(FormatSettingsFromLocale(QLocale::system())); }
