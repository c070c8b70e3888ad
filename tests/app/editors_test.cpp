// The amount and date editors, the regional forms taken from Qt's locale, and the error
// box's text rule.
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include "amount_edit.h"
#include "amount_text.h"
#include "application.h"
#include "date_edit.h"
#include "date_value.h"
#include "errors.h"
#include "message_boxes.h"
#include "regional_settings.h"
#include "us_settings.h"

using talvesa::FormatSettings;

class EditorsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RegionalSettings::instance().setSettings(FormatSettings::russian());
        MessageBoxes::startRecording();
    }

    void amountShowsCurrencyUnfocusedAndPlainNumberFocused()
    {
        QWidget window;
        auto* edit = new AmountEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        other->setFocus();
        edit->setValue(10000.0);
        QCOMPARE(edit->text(),
                 QString::fromStdString(talvesa::FormatCurrency(10000.0, FormatSettings::russian())));
        edit->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("10000"));
        edit->setValue(1234.5);
        QCOMPARE(edit->text(), QStringLiteral("1234,5"));
        other->setFocus();
        QCOMPARE(edit->text(), QString::fromUtf8("1\u00A0234,50\u00A0\u20BD"));
    }

    void amountBothSeparatorKeysTypeTheRegionalOne()
    {
        AmountEdit edit;
        edit.setValue(std::nullopt);
        QTest::keyClicks(&edit, "12.5");
        QCOMPARE(edit.text(), QStringLiteral("12,5"));
        edit.clear();
        QTest::keyClicks(&edit, "7,25");
        QCOMPARE(edit.text(), QStringLiteral("7,25"));
        edit.commit();
        QCOMPARE(edit.value(), std::optional<double>(7.25));
    }

    void amountCommit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("empty");
        QTest::newRow("plain") << "10000" << true << 10000.0 << false;
        QTest::newRow("decimals") << "0,05" << true << 0.05 << false;
        QTest::newRow("negative") << "-3,5" << true << -3.5 << false;
        QTest::newRow("thousands and symbol left in")
            << QString::fromUtf8("1\u00A0500,00 \u20BD") << true << 1500.0 << false;
        QTest::newRow("empty text is no amount") << "" << true << 0.0 << true;
        QTest::newRow("letters") << "abc" << false << 0.0 << false;
        QTest::newRow("wrong separator") << "1.5" << false << 0.0 << false;
    }

    void amountCommit()
    {
        QFETCH(QString, text);
        QFETCH(bool, reads);
        QFETCH(double, value);
        QFETCH(bool, empty);
        AmountEdit edit;
        edit.setValue(99.0);
        QSignalSpy accepted(&edit, &AmountEdit::valueAccepted);
        edit.setText(text);
        QCOMPARE(edit.textReads(), reads);
        if (!reads) {
            try {
                edit.commit();
                QFAIL("no error");
            } catch (const talvesa::ConvertError& error) {
                QCOMPARE(QString::fromUtf8(error.what()),
                         QStringLiteral("Invalid input value. Use escape key to abandon changes"));
            }
            QCOMPARE(edit.value(), std::optional<double>(99.0));
            QCOMPARE(edit.text(), text);  // kept for mending
            QCOMPARE(accepted.count(), 0);
            return;
        }
        edit.commit();
        QCOMPARE(accepted.count(), 1);
        if (empty)
            QVERIFY(!edit.value());
        else
            QCOMPARE(*edit.value(), value);
    }

    void amountEscapeRevertsAndFirstChangeIsAnnouncedOnce()
    {
        AmountEdit edit;
        edit.setValue(5.0);
        QSignalSpy started(&edit, &AmountEdit::editingStarted);
        edit.selectAll();
        QTest::keyClicks(&edit, "12");
        QCOMPARE(started.count(), 1);
        QVERIFY(edit.hasPendingText());
        QTest::keyClick(&edit, Qt::Key_Escape);
        QVERIFY(!edit.hasPendingText());
        QCOMPARE(edit.value(), std::optional<double>(5.0));
        QTest::keyClicks(&edit, "3");
        QCOMPARE(started.count(), 2);
    }

    void amountReturnWithBadTextThrowsToTheHandler()
    {
        AmountEdit edit;
        edit.setValue(1.0);
        edit.setText("x1");
        MessageBoxes::takeShown();
        QTest::keyClick(&edit, Qt::Key_Return);
        const auto shown = MessageBoxes::takeShown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text,
                 QStringLiteral("Invalid input value. Use escape key to abandon changes."));
        QCOMPARE(edit.value(), std::optional<double>(1.0));
        QCOMPARE(edit.text(), QStringLiteral("x1"));
    }

    void dateCommit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("full") << "03.02.2024" << true << 2024 << 2 << 3;
        QTest::newRow("two-digit year") << "1.12.25" << true << 2025 << 12 << 1;
        QTest::newRow("day and month, current year") << "5.6" << true << 2026 << 6 << 5;
        QTest::newRow("no such day") << "31.02.2024" << false << 0 << 0 << 0;
        QTest::newRow("words") << "tomorrow" << false << 0 << 0 << 0;
    }

    void dateCommit()
    {
        QFETCH(QString, text);
        QFETCH(bool, reads);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        DateEdit edit;
        edit.setCurrentYear(2026);
        edit.setValue(100.0);
        edit.lineEdit()->setText(text);
        QCOMPARE(edit.textReads(), reads);
        if (!reads) {
            try {
                edit.commit();
                QFAIL("no error");
            } catch (const talvesa::ConvertError& error) {
                QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Invalid Date"));
            }
            QCOMPARE(edit.value(), std::optional<double>(100.0));
            return;
        }
        edit.commit();
        QCOMPARE(edit.value(), talvesa::EncodeDate(year, month, day));
    }

    void datePopupPicksTodayAndClears()
    {
        QWidget window;
        auto* edit = new DateEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy started(edit, &DateEdit::editingStarted);
        QSignalSpy accepted(edit, &DateEdit::valueAccepted);
        edit->setValue(talvesa::EncodeDate(2024, 2, 3));
        QCOMPARE(edit->lineEdit()->text(), QStringLiteral("03.02.2024"));

        edit->showPopup();
        QVERIFY(edit->popup()->isVisible());
        QCOMPARE(edit->calendar()->selectedDate(), QDate(2024, 2, 3));
        QTest::mouseClick(edit->popup()->findChild<QPushButton*>("dateClear"), Qt::LeftButton);
        QVERIFY(!edit->popup()->isVisible());
        QVERIFY(!edit->value());
        QCOMPARE(edit->lineEdit()->text(), QString());

        edit->showPopup();
        QTest::mouseClick(edit->popup()->findChild<QPushButton*>("dateToday"), Qt::LeftButton);
        const QDate today = QDate::currentDate();
        QCOMPARE(edit->value(), talvesa::EncodeDate(today.year(), today.month(), today.day()));
        QCOMPARE(started.count(), 2);
        QCOMPARE(accepted.count(), 2);
    }

    void editorsFollowAChangeOfRegionalSettings()
    {
        AmountEdit amount;
        amount.setValue(1.5);
        DateEdit date;
        date.setValue(talvesa::EncodeDate(2024, 2, 3));
        const FormatSettings us = UsFormatSettings();
        RegionalSettings::instance().setSettings(us);
        QCOMPARE(amount.text(), QStringLiteral("$1.50"));
        QCOMPARE(date.lineEdit()->text(), QStringLiteral("2/3/24"));
        RegionalSettings::instance().setSettings(FormatSettings::russian());
        QCOMPARE(date.lineEdit()->text(), QStringLiteral("03.02.2024"));
    }

    void settingsFromLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("dateSeparator");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<int>("placement");
        QTest::newRow("C stands in with Russian") << QLocale::c() << "dd.MM.yyyy" << "." << "," << 3;
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << "dd.MM.yyyy"
                                 << "." << "," << 3;
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << "M/d/yy" << "/"
                            << "." << 0;
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "dd.MM.yy" << "."
                                << "," << 3;
    }

    void settingsFromLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, pattern);
        QFETCH(QString, dateSeparator);
        QFETCH(QString, decimal);
        QFETCH(int, placement);
        const FormatSettings settings = FormatSettingsFromLocale(locale);
        QCOMPARE(QString::fromStdString(settings.shortDatePattern), pattern);
        QCOMPARE(QString::fromStdString(settings.dateSeparator), dateSeparator);
        QCOMPARE(QString::fromStdString(settings.decimalSeparator), decimal);
        QCOMPARE(settings.currencyDecimals, 2);
        QCOMPARE(settings.currencyPlacement, placement);
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Invalid Date" << "Invalid Date.";
        QTest::newRow("digit") << "Line 3" << "Line 3.";
        QTest::newRow("question mark") << "Why?" << "Why?.";
        QTest::newRow("Cyrillic") << "Ошибка" << "Ошибка.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("parenthesis") << "Failed (5)" << "Failed (5)";
        QTest::newRow("apostrophe") << "Field 'x'" << "Field 'x'";
        QTest::newRow("empty") << "" << "";
    }

    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(TalvesaApplication::errorBoxText(message), shown);
    }

    void titleFromExecutableName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("program") << "/usr/bin/talvesa" << "talvesa";
        QTest::newRow("capitals and extension") << "C:/Apps/TALVESA.EXE" << "Talvesa";
        QTest::newRow("first letter kept as it is") << "C:/Apps/tALVESA.exe" << "talvesa";
        QTest::newRow("up to the first full stop") << "My.Tool.exe" << "My";
    }

    void titleFromExecutableName()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TalvesaApplication::titleFromPath(path), title);
    }
};

int main(int argc, char** argv)
{
    TalvesaApplication app(argc, argv);
    EditorsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editors_test.moc"
