#pragma once

#include <QDialog>

// The about box: the program's name and version, the rights holder, the web address, the
// icon, and the versions of the toolkit and the system.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    static QString applicationText() { return QStringLiteral("Тальвеса 1.0"); }
    static QString secondText();
    static QString versionText();
};
