// The record dialog with Add and Edit, driven for real: each test arms a timer before the
// command opens the modal dialog, and acts inside it while the command waits.
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "Unit1.h"
#include "Unit2.h"
#include "amount_edit.h"
#include "application.h"
#include "date_edit.h"
#include "mem_data.h"
#include "message_boxes.h"
#include "payment_grid.h"
#include "regional_settings.h"
#include "startup.h"

namespace {

constexpr double k7March2010 = 40244;
const QString kInvalidDate = QStringLiteral("Invalid Date.");
const QString kInvalidAmount =
    QStringLiteral("Invalid input value. Use escape key to abandon changes.");

talvesa::TdxMemData& Table() { return *Form1->dxMemData1; }
talvesa::TField& Field(const char* name) { return Table().FieldNamed(name); }

// Fixture rows go in the way a file load puts them: the grid hears of them once, after.
void AddPayment(const char* name, double pay)
{
    Table().SuspendNotifications();
    Table().Append();
    Field("Name").SetValueAsText(name);
    Field("Date").SetValueAsDate(k7March2010);
    Field("Pay").SetValueAsReal(pay);
    Table().Post();
    Table().ResumeNotifications();
}

// Runs the command, which opens the dialog modally, and `inside` once the dialog is up.
// Whatever `inside` leaves open is closed, and a dialog that never appears fails the test
// after a few seconds instead of hanging it.
bool WhileDialogOpen(const std::function<void()>& command, const std::function<void()>& inside)
{
    bool appeared = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Form2->isVisible()) {
            poll.stop();
            appeared = true;
            if (QTest::qWaitForWindowActive(Form2)) inside();
            if (Form2->isVisible()) Form2->done(TForm2::mrCancel);
        } else if (clock.elapsed() > 5000) {
            poll.stop();
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    poll.start(10);
    command();
    return appeared;
}

void Add() { Form1->ToolButton2->click(); }
void Edit() { Form1->ToolButton4->click(); }

// Key presses that carry the text, Cyrillic letters too.
void Type(QWidget* editor, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(editor, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Clicks into the editor, selects what it shows and types over it.
void TypeInto(QWidget* editor, const QString& text)
{
    QTest::mouseClick(editor, Qt::LeftButton);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    Type(editor, text);
}

QLineEdit* DateText() { return Form2->cxDBDateEdit1->lineEdit(); }

QStringList ShownBoxes()
{
    QStringList texts;
    for (const MessageBoxes::Shown& shown : MessageBoxes::takeShown()) texts << shown.text;
    return texts;
}

int GridRow() { return Form1->cxGrid1->currentIndex().row(); }

}  // namespace

class RecordDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        RegionalSettings::instance().setSettings(talvesa::FormatSettings::russian());
        MessageBoxes::startRecording();
        InitApplication();
    }

    void init()
    {
        CreateForms();
        ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form1));
        MessageBoxes::takeShown();
    }

    void cleanup()
    {
        QCOMPARE(ShownBoxes(), QStringList());
        DestroyForms();
    }

    void shouldBuildTheDialogAsLaidOut()
    {
        QCOMPARE(Form2->windowTitle(), QStringLiteral("Запись"));
        QCOMPARE(Form2->Button1->text(), QStringLiteral("\u041E\u041A"));
        QCOMPARE(Form2->Button2->text(), QStringLiteral("Отмена"));
        QCOMPARE(Form2->cxLabel2->text(), QStringLiteral("Платеж"));
        QVERIFY(Form2->cxLabel1->font().bold());
        QVERIFY(!Form2->Button1->autoDefault() && !Form2->Button2->autoDefault());
        QVERIFY(!(Form2->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Form2->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(Form2->minimumSize(), Form2->maximumSize());
        QCOMPARE(Form2->cxDBTextEdit1->maxLength(), 255);
        QCOMPARE(Form2->findChild<QPushButton*>(QStringLiteral("Button1")), Form2->Button1);
        QCOMPARE(Form2->findChild<AmountEdit*>(QStringLiteral("cxDBCurrencyEdit1")),
                 Form2->cxDBCurrencyEdit1);
    }

    void shouldAddTypedPaymentBeforeFocusedRow()
    {
        AddPayment("A", 100);
        AddPayment("B", 200);  // current, focused in the grid
        QCOMPARE(GridRow(), 1);

        QVERIFY(WhileDialogOpen(Add, [] {
            QCOMPARE(QApplication::focusWidget(), Form2->cxDBTextEdit1);
            Type(Form2->cxDBTextEdit1, QStringLiteral("Аренда"));
            QTest::keyClick(Form2->cxDBTextEdit1, Qt::Key_Tab);
            Type(DateText(), QStringLiteral("07.03.2010"));
            QTest::keyClick(DateText(), Qt::Key_Tab);
            Type(Form2->cxDBCurrencyEdit1, QStringLiteral("1234.5"));  // "." types ","
            QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        }));

        QCOMPARE(Table().State(), talvesa::DataSetState::Browse);
        QCOMPARE(Table().RecordTotal(), 3);
        QCOMPARE(Table().CurrentIndex(), 1);
        QCOMPARE(GridRow(), 1);
        QCOMPARE(Field("Name").ValueAsText(), std::string("Аренда"));
        QCOMPARE(Field("Date").ValueAsDate(), k7March2010);
        QCOMPARE(Field("Pay").ValueAsReal(), 1234.5);
        QCOMPARE(Table().RecordAt(2).name, std::string("B"));
    }

    void shouldStoreEmptyPaymentWhenNothingTyped()
    {
        QVERIFY(WhileDialogOpen(Add, [] { QTest::mouseClick(Form2->Button1, Qt::LeftButton); }));
        QCOMPARE(Table().RecordTotal(), 1);
        QVERIFY(Field("Name").HasNoValue());
        QVERIFY(Field("Date").HasNoValue());
        QVERIFY(Field("Pay").HasNoValue());
    }

    void shouldAddNothingWhenNotClosedByOk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Отмена") << "cancel";
        QTest::newRow("Отмена over an unreadable amount") << "cancel-unreadable";
        QTest::newRow("close button") << "close";
        QTest::newRow("Esc") << "escape";
    }

    void shouldAddNothingWhenNotClosedByOk()
    {
        QFETCH(QString, how);
        AddPayment("A", 100);
        AddPayment("B", 200);
        Table().First();

        QVERIFY(WhileDialogOpen(Add, [&] {
            Type(Form2->cxDBTextEdit1, QStringLiteral("X"));
            if (how == "cancel-unreadable") TypeInto(Form2->cxDBCurrencyEdit1, QStringLiteral("-"));
            if (how == "escape") {
                // Esc only puts the text back; a second one still does not close.
                QTest::keyClick(Form2->cxDBTextEdit1, Qt::Key_Escape);
                QTest::keyClick(Form2->cxDBTextEdit1, Qt::Key_Escape);
                QVERIFY(Form2->isVisible());
                QCOMPARE(Form2->cxDBTextEdit1->text(), QString());
                Form2->close();
            } else if (how == "close") {
                Form2->close();
            } else {
                QTest::mouseClick(Form2->Button2, Qt::LeftButton);
            }
            QVERIFY(!Form2->isVisible());
        }));

        QCOMPARE(Table().State(), talvesa::DataSetState::Browse);
        QCOMPARE(Table().RecordTotal(), 2);
        QCOMPARE(Table().CurrentIndex(), 0);
        QCOMPARE(GridRow(), 0);
        QCOMPARE(Form2->cxDBTextEdit1->text(), QStringLiteral("A"));
    }

    void shouldStoreEditOnlyAfterOk_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("ОК") << true;
        QTest::newRow("Отмена") << false;
    }

    void shouldStoreEditOnlyAfterOk()
    {
        QFETCH(bool, ok);
        AddPayment("A", 100);
        AddPayment("B", 200);
        Table().First();

        QVERIFY(WhileDialogOpen(Edit, [&] {
            QCOMPARE(Form2->cxDBTextEdit1->text(), QStringLiteral("A"));
            TypeInto(Form2->cxDBCurrencyEdit1, QStringLiteral("555"));
            QTest::mouseClick(ok ? Form2->Button1 : Form2->Button2, Qt::LeftButton);
        }));

        QCOMPARE(Table().State(), talvesa::DataSetState::Browse);
        QCOMPARE(Table().RecordTotal(), 2);
        QCOMPARE(Table().CurrentIndex(), 0);
        QCOMPARE(Field("Pay").ValueAsReal(), ok ? 555.0 : 100.0);
        QCOMPARE(Form2->cxDBCurrencyEdit1->value(), std::optional(ok ? 555.0 : 100.0));
    }

    void shouldAddOnEditWithEmptyTable()
    {
        QVERIFY(WhileDialogOpen(Edit, [] {
            QCOMPARE(Form2->cxDBTextEdit1->text(), QString());
            QCOMPARE(DateText()->text(), QString());
            QCOMPARE(Form2->cxDBCurrencyEdit1->text(), QString());
            Type(Form2->cxDBTextEdit1, QStringLiteral("Первый"));
            QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        }));
        QCOMPARE(Table().RecordTotal(), 1);
        QCOMPARE(Field("Name").ValueAsText(), std::string("Первый"));
    }

    void shouldContinueAndDropChangeBegunInGrid()
    {
        AddPayment("A", 100);
        // What a changed grid cell leaves: the record in edit state, the value assigned.
        Table().Edit();
        Field("Pay").SetValueAsReal(999);

        QVERIFY(WhileDialogOpen(Edit, [] {
            QCOMPARE(Form2->cxDBCurrencyEdit1->value(), std::optional(999.0));
            QTest::mouseClick(Form2->Button2, Qt::LeftButton);
        }));
        QCOMPARE(Table().State(), talvesa::DataSetState::Browse);
        QCOMPARE(Field("Pay").ValueAsReal(), 100.0);
    }

    void shouldRefuseUnreadableTextAndKeepDialogOpen_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<QString>("box");
        QTest::newRow("date, click on ОК") << "date" << "32.13.2010" << "ok" << kInvalidDate;
        QTest::newRow("date, Return") << "date" << "завтра" << "return" << kInvalidDate;
        QTest::newRow("date, Tab") << "date" << "1.2.3.4" << "tab" << kInvalidDate;
        QTest::newRow("lone minus, Tab") << "amount" << "-" << "tab" << kInvalidAmount;
        QTest::newRow("lone minus, click on ОК") << "amount" << "-" << "ok" << kInvalidAmount;
        QTest::newRow("amount, Return") << "amount" << "12,3,4" << "return" << kInvalidAmount;
    }

    void shouldRefuseUnreadableTextAndKeepDialogOpen()
    {
        QFETCH(QString, editor);
        QFETCH(QString, text);
        QFETCH(QString, leave);
        QFETCH(QString, box);
        AddPayment("A", 100);

        QVERIFY(WhileDialogOpen(Edit, [&] {
            QWidget* typed = editor == "date" ? static_cast<QWidget*>(DateText())
                                              : Form2->cxDBCurrencyEdit1;
            TypeInto(typed, text);
            if (leave == "ok") {
                QTest::mouseClick(Form2->Button1, Qt::LeftButton);
            } else {
                QTest::keyClick(typed, leave == "tab" ? Qt::Key_Tab : Qt::Key_Return);
            }
            QCOMPARE(ShownBoxes(), QStringList{box});
            QVERIFY(Form2->isVisible());
            QCOMPARE(QApplication::focusWidget(), typed);
            // Nothing was written.
            QCOMPARE(Field("Date").ValueAsDate(), k7March2010);
            QCOMPARE(Field("Pay").ValueAsReal(), 100.0);
            // Esc puts the stored value back; then the editor leaves without complaint.
            QTest::keyClick(typed, Qt::Key_Escape);
            QVERIFY(Form2->isVisible());
            if (editor == "date") {
                QCOMPARE(DateText()->text(), QStringLiteral("07.03.2010"));
            } else {
                QVERIFY(!Form2->cxDBCurrencyEdit1->hasPendingText());
                QCOMPARE(Form2->cxDBCurrencyEdit1->value(), std::optional(100.0));
            }
            QTest::mouseClick(Form2->Button1, Qt::LeftButton);
            QVERIFY(!Form2->isVisible());
        }));
        QCOMPARE(Table().State(), talvesa::DataSetState::Browse);
        QCOMPARE(Field("Pay").ValueAsReal(), 100.0);
    }

    void shouldShowStoreErrorAfterDialogClosedAndKeepRecordPending()
    {
        AddPayment("A", 100);
        QVERIFY(WhileDialogOpen(Add, [] {
            TypeInto(DateText(), QStringLiteral("99.99.9999"));
            QTest::mouseClick(Form2->cxDBTextEdit1, Qt::LeftButton);
            QCOMPARE(ShownBoxes(), QStringList{kInvalidDate});
            QCOMPARE(QApplication::focusWidget(), DateText());
            // A click that takes no focus with it: the store finds the unread date.
            Form2->Button1->click();
        }));
        QCOMPARE(ShownBoxes(), QStringList{kInvalidDate});
        QCOMPARE(Table().State(), talvesa::DataSetState::Insert);
        QCOMPARE(Table().RecordTotal(), 1);
        QVERIFY(Field("Date").HasNoValue());
        // The grid can still store or drop the record; the dialog holds nothing back.
        QVERIFY(!Form2->cxDBDateEdit1->hasPendingText());
        Table().Post();
        QCOMPARE(Table().RecordTotal(), 2);
    }

    void shouldWriteOnReturnAndNeverCloseOnReturnOrEsc()
    {
        QVERIFY(WhileDialogOpen(Add, [] {
            QLineEdit* name = Form2->cxDBTextEdit1;
            Type(name, QString(300, u'ж'));
            QCOMPARE(name->text().size(), 255);
            QTest::keyClick(name, Qt::Key_Return);
            QVERIFY(Form2->isVisible());
            QVERIFY(Field("Name").HasNoValue());  // Return in the description writes nothing
            QTest::keyClick(name, Qt::Key_Escape);
            QCOMPARE(name->text(), QString());

            QTest::keyClick(name, Qt::Key_Tab);
            Type(DateText(), QStringLiteral("7.3.10"));
            QTest::keyClick(DateText(), Qt::Key_Return);
            QCOMPARE(Field("Date").ValueAsDate(), k7March2010);
            QCOMPARE(QApplication::focusWidget(), DateText());

            QTest::keyClick(DateText(), Qt::Key_Tab);
            Type(Form2->cxDBCurrencyEdit1, QStringLiteral("5"));
            QTest::keyClick(Form2->cxDBCurrencyEdit1, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(Field("Pay").ValueAsReal(), 5.0);

            QTest::keyClick(Form2->cxDBCurrencyEdit1, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), Form2->Button1);
            QTest::keyClick(Form2->Button1, Qt::Key_Return);
            QTest::keyClick(Form2->Button1, Qt::Key_Escape);
            QVERIFY(Form2->isVisible());
            QTest::keyClick(Form2->Button1, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), Form2->Button2);
            QTest::keyClick(Form2->Button2, Qt::Key_Space);
        }));
        QCOMPARE(Table().RecordTotal(), 0);
        QCOMPARE(Table().State(), talvesa::DataSetState::Browse);
    }

    void shouldReopenWhereLeftWithFocusWhereLeft()
    {
        QPoint moved;
        QVERIFY(WhileDialogOpen(Add, [&] {
            const QRect owner = Form1->frameGeometry();
            const QRect desktop = Form1->screen()->virtualGeometry();
            const QSize size = Form2->frameGeometry().size();
            QCOMPARE(Form2->pos(),
                     QPoint(std::max(desktop.left(), owner.left() + (owner.width() - size.width()) / 2),
                            std::max(desktop.top(), owner.top() + (owner.height() - size.height()) / 2)));
            moved = Form2->pos() + QPoint(31, 17);
            Form2->move(moved);
            QTest::mouseClick(Form2->cxDBCurrencyEdit1, Qt::LeftButton);
            Form2->close();
        }));
        QVERIFY(WhileDialogOpen(Add, [&] {
            QCOMPARE(Form2->pos(), moved);
            QCOMPARE(QApplication::focusWidget(), Form2->cxDBCurrencyEdit1);
            QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        }));
        QVERIFY(WhileDialogOpen(Edit, [&] {
            QCOMPARE(Form2->pos(), moved);
            QCOMPARE(QApplication::focusWidget(), Form2->Button1);
        }));
        QCOMPARE(Table().RecordTotal(), 1);
    }

    void shouldNeverFirstAppearLeftOfOrAboveDesktop()
    {
        const QRect desktop = Form1->screen()->virtualGeometry();
        Form1->move(desktop.left() - 600, desktop.top() - 400);
        QVERIFY(WhileDialogOpen(Add, [&] {
            QCOMPARE(Form2->frameGeometry().topLeft(), desktop.topLeft());
        }));
    }

    void shouldFollowCurrentRecordWhileHidden()
    {
        AddPayment("A", 100);
        AddPayment("B", 200);
        QCOMPARE(Form2->cxDBTextEdit1->text(), QStringLiteral("B"));
        Table().First();
        QCOMPARE(Form2->cxDBTextEdit1->text(), QStringLiteral("A"));
        QCOMPARE(Form2->cxDBCurrencyEdit1->value(), std::optional(100.0));
        QCOMPARE(Form2->cxDBDateEdit1->value(), std::optional(k7March2010));
    }
};

int main(int argc, char* argv[])
{
    TalvesaApplication app(argc, argv);
    RecordDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "record_dialog_test.moc"
