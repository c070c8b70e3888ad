// The main window as the program builds it: start-up state, commands, the payment grid
// against the table's states, the target field, the toolbar and the about box. Modal boxes
// and file dialogs are answered in advance through their seams.
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "about_box.h"
#include "amount_edit.h"
#include "amount_text.h"
#include "application.h"
#include "date_edit.h"
#include "date_value.h"
#include "file_dialog.h"
#include "flow_toolbar.h"
#include "message_boxes.h"
#include "payment_grid.h"
#include "payment_grid_model.h"
#include "regional_settings.h"
#include "startup.h"
#include "Unit1.h"
#include "Unit2.h"
#include "us_settings.h"

using talvesa::DataSetState;
using talvesa::FormatSettings;

namespace {

struct Payment {
    const char* name;
    const char* date;  // dd.MM.yyyy
    double pay;
};

void Fill(const std::vector<Payment>& payments)
{
    auto& table = *Form1->dxMemData1;
    for (const Payment& p : payments) {
        table.Append();
        table.FieldNamed("Name").SetValueAsText(p.name);
        const QDate d = QDate::fromString(QString::fromLatin1(p.date), "dd.MM.yyyy");
        table.FieldNamed("Date").SetValueAsDate(*talvesa::EncodeDate(d.year(), d.month(), d.day()));
        table.FieldNamed("Pay").SetValueAsReal(p.pay);
        table.Post();
    }
    table.First();
}

QStringList TableNames()
{
    QStringList names;
    const auto& table = *Form1->dxMemData1;
    for (int i = 0; i < table.RecordTotal(); ++i)
        names << QString::fromStdString(table.RecordAt(i).name);
    return names;
}

QStringList GridNames()
{
    QStringList names;
    const QAbstractItemModel* shown = Form1->cxGrid1->model();
    for (int row = 0; row < shown->rowCount(); ++row) names << shown->index(row, 0).data().toString();
    return names;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString ShownErrors()
{
    QStringList texts;
    for (const auto& shown : MessageBoxes::takeShown()) texts << shown.text;
    return texts.join(u'|');
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RegionalSettings::instance().setSettings(FormatSettings::russian());
        InitApplication();
    }

    void init()
    {
        MessageBoxes::startRecording();
        CreateForms();
        ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        grid()->setFocus();
    }

    void cleanup()
    {
        DestroyForms();
        MessageBoxes::stopRecording();
        QGuiApplication::clipboard()->clear();
    }

    void shouldStartEmptyWithTheDesignedState()
    {
        DestroyForms();
        CreateForms();
        ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Тальвеса"));
        QVERIFY(Form2 && Form2->parent() == Form1 && !Form2->isVisible());
        QVERIFY(Form1->dxMemData1->Active());
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(Form1->dxMemData1->RecordTotal(), 0);
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(PaymentGrid::emptyText(), QStringLiteral("<No data to display>"));
        QCOMPARE(Form1->cxCurrencyEdit1->value(), std::optional<double>(10000.0));
        QCOMPARE(Form1->cxCurrencyEdit1->text(),
                 QString::fromStdString(talvesa::FormatCurrency(10000.0, FormatSettings::russian())));
        QVERIFY(Form1->cxMemo1->toPlainText().isEmpty());
        QCOMPARE(Form1->cxMemo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(Form1->cxMemo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(Form1->cxMemo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(!Form1->cxMemo1->isReadOnly());
        QVERIFY(Form1->StatusBar1->currentMessage().isEmpty());
        QVERIFY(Form1->StatusBar1->isSizeGripEnabled());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->cxMemo1));

        // Names the tests and the record dialog rely on.
        for (const char* name : {"ToolBar1", "ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4",
                                 "ToolButton5", "ToolButton6", "ToolButton7", "ToolButton8",
                                 "StatusBar1", "Panel1", "Panel2", "Panel3", "Splitter1", "cxLabel1",
                                 "cxLabel2", "cxLabel3", "cxLabel4", "cxCurrencyEdit1", "cxGrid1",
                                 "cxMemo1", "MainMenu1"})
            QVERIFY2(Form1->findChild<QWidget*>(name), name);
        for (const char* name : {"N2", "N4", "N5", "N6", "N7", "N9", "N10", "N11", "OD1", "SD1",
                                 "cxGrid1DBTableView1"})
            QVERIFY2(Form1->findChild<QObject*>(name), name);

        const QList<std::pair<QToolButton*, QString>> buttons = {
            {Form1->ToolButton5, "Открыть"}, {Form1->ToolButton6, "Сохранить"},
            {Form1->ToolButton2, "Добавить"}, {Form1->ToolButton4, "Изменить"},
            {Form1->ToolButton3, "Удалить"}, {Form1->ToolButton1, "Найти"}};
        int lastX = -1;
        for (const auto& [button, caption] : buttons) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!button->icon().isNull());
            QVERIFY(button->x() > lastX);
            lastX = button->x();
        }
        QCOMPARE(Form1->N1->title(), QStringLiteral("Файл"));
        QCOMPARE(Form1->N8->title(), QStringLiteral("Список платежей"));
        QCOMPARE(Form1->N3->title(), QStringLiteral("Помощь"));
        QCOMPARE(Form1->N4->text(), QStringLiteral("О программе"));
        QVERIFY(Form1->N7->isSeparator());
        QCOMPARE(Form1->ImageList32.size(), 6);
    }

    void shouldMoveFocusFromResultsToGridToTarget()
    {
        Form1->cxMemo1->setFocus();
        QTest::keyClick(Form1->cxMemo1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid()));
        QTest::keyClick(grid(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->cxCurrencyEdit1));
    }

    void shouldShowTheEmptyTableErrorOnDelete()
    {
        QTest::mouseClick(Form1->ToolButton3, Qt::LeftButton);
        const auto shown = MessageBoxes::takeShown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].kind, MessageBoxes::Shown::Kind::Error);
        QCOMPARE(shown[0].title, TalvesaApplication::title());
        QCOMPARE(shown[0].text,
                 QStringLiteral("dxMemData1: Cannot perform this operation on an empty dataset."));
        QCOMPARE(Form1->dxMemData1->RecordTotal(), 0);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
    }

    void shouldDeleteTheFocusedRowWithoutAsking()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}, {"C", "03.01.2024", 3}});
        grid()->setCurrentIndex(grid()->model()->index(2, 0));
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 2);
        Form1->N11->trigger();
        QVERIFY(MessageBoxes::takeShown().empty());
        QCOMPARE(TableNames(), QStringList({"A", "B"}));
        QCOMPARE(grid()->currentIndex().row(), 1);
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 1);
    }

    void shouldOpenAndSaveThroughTheDialogs()
    {
        QTemporaryDir dir;
        const QString saved = dir.filePath("payments");  // no extension is added
        Fill({{"Rent", "01.02.2024", 6000}, {"Books", "11.02.2024", 4000}});
        Form1->SD1->setNextFileName(saved);
        Form1->N5->trigger();
        QCOMPARE(ShownErrors(), QString());
        QCOMPARE(ReadFile(saved), QByteArray("Name\tDate\tPay\r\nRent\t01.02.2024\t6000,00\r\n"
                                             "Books\t11.02.2024\t4000,00\r\n"));

        // Saving onto an existing file replaces it without a question.
        Form1->dxMemData1->Delete();
        Form1->SD1->setNextFileName(saved);
        QTest::mouseClick(Form1->ToolButton6, Qt::LeftButton);
        QVERIFY(MessageBoxes::takeShown().empty());
        QCOMPARE(ReadFile(saved), QByteArray("Name\tDate\tPay\r\nBooks\t11.02.2024\t4000,00\r\n"));

        Form1->dxMemData1->Delete();
        Form1->OD1->setNextFileName(saved);
        QTest::mouseClick(Form1->ToolButton5, Qt::LeftButton);
        QCOMPARE(TableNames(), QStringList({"Books"}));
        QCOMPARE(GridNames(), QStringList({"Books"}));

        // Each dialog proposes its own last name.
        Form1->SD1->cancelNext();
        Form1->Button2Click();
        QCOMPARE(Form1->SD1->lastProposed(), saved);
        Form1->OD1->cancelNext();
        Form1->Button1Click();
        QCOMPARE(Form1->OD1->lastProposed(), saved);
    }

    void shouldChangeNothingWhenADialogIsCancelled()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        Fill({{"A", "01.01.2024", 1}});
        Form1->OD1->cancelNext();
        Form1->N6->trigger();
        Form1->SD1->cancelNext();
        Form1->N5->trigger();
        QCOMPARE(TableNames(), QStringList({"A"}));
        QVERIFY(!QFile::exists(path));
        QVERIFY(MessageBoxes::takeShown().empty());
        QVERIFY(Form1->OD1->fileName().isEmpty());
    }

    void shouldShowTheLoadErrorForAMissingFile()
    {
        QTemporaryDir dir;
        Form1->OD1->setNextFileName(dir.filePath("missing.txt"));
        Form1->N6->trigger();
        const auto shown = MessageBoxes::takeShown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].kind, MessageBoxes::Shown::Kind::Error);
        QVERIFY(!shown[0].text.isEmpty());
    }

    void shouldPostAChangedRowOnLeavingIt()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(0, 0));
        QTest::keyClick(grid(), Qt::Key_X);
        auto* editor = openEditor<QLineEdit>();
        QVERIFY(editor);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Edit);
        editor->setText("Changed");
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!grid()->delegate().openEditor());
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Edit);
        QCOMPARE(grid()->model()->index(0, 0).data().toString(), QStringLiteral("Changed"));
        QCOMPARE(TableNames(), QStringList({"A", "B"}));  // not stored yet

        QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(TableNames(), QStringList({"Changed", "B"}));
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 1);
    }

    void shouldPostWhenTheRowIsLeftWithTheEditorOpen()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(0, 2));
        QTest::keyClick(grid(), Qt::Key_5);
        auto* editor = openEditor<AmountEdit>();
        QVERIFY(editor);
        editor->setText("7,5");
        grid()->setCurrentIndex(grid()->model()->index(1, 2));
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(Form1->dxMemData1->RecordAt(0).pay, 7.5);
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 1);
    }

    void shouldTreatTheTwoKindsOfEscape()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(0, 0));
        QTest::keyClick(grid(), Qt::Key_X);
        auto* editor = openEditor<QLineEdit>();
        editor->setText("First");
        QTest::keyClick(editor, Qt::Key_Return);
        grid()->setCurrentIndex(grid()->model()->index(0, 1));
        QTest::keyClick(grid(), Qt::Key_1);
        auto* date = openEditor<DateEdit>();
        QVERIFY(date);
        // Esc in the editor: only the cell goes back.
        QTest::keyClick(date->lineEdit(), Qt::Key_Escape);
        if (grid()->delegate().openEditor()) QTest::keyClick(date->lineEdit(), Qt::Key_Escape);
        QVERIFY(!grid()->delegate().openEditor());
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Edit);
        QCOMPARE(grid()->model()->index(0, 0).data().toString(), QStringLiteral("First"));
        QCOMPARE(grid()->model()->index(0, 1).data().toString(), QStringLiteral("01.01.2024"));
        // Esc with no editor open: the row's changes go.
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(TableNames(), QStringList({"A", "B"}));
        QCOMPARE(GridNames(), QStringList({"A", "B"}));
    }

    void shouldDropAnUntouchedInsertedRowOnLeavingIt()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QTest::keyClick(grid(), Qt::Key_Insert);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Insert);
        QCOMPARE(GridNames(), QStringList({"A", "", "B"}));
        QCOMPARE(grid()->currentIndex().row(), 1);
        QTest::keyClick(grid(), Qt::Key_Up);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(GridNames(), QStringList({"A", "B"}));
        QCOMPARE(grid()->currentIndex().row(), 0);
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 0);
    }

    void shouldStoreATypedInsertedRowBeforeTheFocusedOne()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QTest::keyClick(grid(), Qt::Key_Insert);
        QTest::keyClick(grid(), Qt::Key_N);
        auto* editor = openEditor<QLineEdit>();
        QVERIFY(editor);
        editor->setText("New");
        QTest::keyClick(editor, Qt::Key_Down);  // leaves the row from inside the editor
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(TableNames(), QStringList({"A", "New", "B"}));
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 2);
        QCOMPARE(grid()->currentIndex().row(), 2);
    }

    void shouldRefuseUnreadableCellTextAndKeepTheEditorOpen()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(0, 2));
        QTest::keyClick(grid(), Qt::Key_X);
        auto* editor = openEditor<AmountEdit>();
        QVERIFY(editor);
        editor->setText("12x");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(ShownErrors(),
                 QStringLiteral("Invalid input value. Use escape key to abandon changes."));
        QCOMPARE(grid()->delegate().openEditor(), static_cast<QWidget*>(editor));
        // Leaving the row is refused while the cell does not read.
        grid()->setCurrentIndex(grid()->model()->index(1, 2));
        QTRY_COMPARE(grid()->currentIndex().row(), 0);
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 0);
        QCOMPARE(Form1->dxMemData1->RecordAt(0).pay, 1.0);
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!grid()->delegate().openEditor());
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(Form1->dxMemData1->RecordAt(0).pay, 1.0);
    }

    void shouldWriteAnOpenCellIntoTheTableWhenFindSettlesIt()
    {
        Fill({{"A", "01.01.2024", 100}, {"B", "02.01.2024", 200}});
        grid()->setCurrentIndex(grid()->model()->index(0, 2));
        QTest::keyClick(grid(), Qt::Key_9);
        auto* editor = openEditor<AmountEdit>();
        QVERIFY(editor);
        editor->setText("9800");
        QTest::mouseClick(Form1->ToolButton1, Qt::LeftButton);
        QCOMPARE(ShownErrors(), QString());
        QCOMPARE(Form1->dxMemData1->RecordAt(0).pay, 9800.0);
        QVERIFY2(Form1->cxMemo1->toPlainText().contains("A"), qPrintable(Form1->cxMemo1->toPlainText()));
    }

    void shouldCloseTheLeftPanelWhenTheSplitterIsDraggedNearTheEdge()
    {
        QSplitter* splitter = Form1->Splitter1;
        QWidget* handle = splitter->handle(1);
        const QPoint grip(handle->width() / 2, handle->height() / 2);
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        QMouseEvent move(QEvent::MouseMove, QPointF(grip - QPoint(handle->x() - 20, 0)),
                         handle->mapToGlobal(QPointF(grip - QPoint(handle->x() - 20, 0))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(handle->x() - 20, 0));
        QCOMPARE(splitter->sizes().value(0), 0);
        QVERIFY(splitter->sizes().value(1) >= 30);
    }

    void shouldDeleteOnlyTheInsertedRowWithTheDeleteCommand()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        QTest::keyClick(grid(), Qt::Key_Insert);
        QTest::mouseClick(Form1->ToolButton3, Qt::LeftButton);
        QCOMPARE(TableNames(), QStringList({"A", "B"}));
        QCOMPARE(GridNames(), QStringList({"A", "B"}));
    }

    void shouldAskBeforeDeletingWithTheDeleteKey()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}});
        grid()->setCurrentIndex(grid()->model()->index(0, 0));
        MessageBoxes::queueAnswer(false);
        QTest::keyClick(grid(), Qt::Key_Delete);
        auto shown = MessageBoxes::takeShown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].kind, MessageBoxes::Shown::Kind::Confirm);
        QCOMPARE(shown[0].title, QStringLiteral("Confirm"));
        QCOMPARE(shown[0].text, QStringLiteral("Delete record?"));
        QCOMPARE(TableNames(), QStringList({"A", "B"}));

        MessageBoxes::queueAnswer(true);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(MessageBoxes::takeShown().size(), size_t(1));
        QCOMPARE(TableNames(), QStringList({"B"}));
        QCOMPARE(GridNames(), QStringList({"B"}));
    }

    void shouldCopyTheFocusedRowWithHeaders()
    {
        Fill({{"Rent", "01.02.2024", 6000}, {"Books", "11.02.2024", 4000}});
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);
        const QString expected = QStringLiteral("Платеж\tДата\tСумма\nBooks\t11.02.2024\t")
                                 + QString::fromStdString(talvesa::FormatCurrency(4000, FormatSettings::russian()))
                                 + u'\n';
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(grid(), Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }

    void shouldKeepTableOrderWhenGridIsSortedOrFiltered()
    {
        QTemporaryDir dir;
        Fill({{"C", "03.01.2024", 300}, {"A", "01.01.2024", 100}, {"B", "02.01.2024", 200}});
        QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(grid()->horizontalHeader()->sectionViewportPosition(2) + 10, 5));
        QCOMPARE(GridNames(), QStringList({"A", "B", "C"}));
        grid()->setCurrentIndex(grid()->model()->index(0, 0));
        QCOMPARE(QString::fromStdString(Form1->dxMemData1->ActiveRecord().name), QStringLiteral("A"));

        QCOMPARE(grid()->proxy().columnValues(0), QStringList({"A", "B", "C"}));
        grid()->setColumnFilter(0, QStringLiteral("B"));
        QCOMPARE(GridNames(), QStringList({"B"}));
        QTRY_COMPARE(QString::fromStdString(Form1->dxMemData1->ActiveRecord().name), QStringLiteral("B"));
        // A stored change of a row the filter shows keeps it in sight.
        Form1->dxMemData1->Edit();
        Form1->dxMemData1Pay->SetValueAsReal(250);
        Form1->dxMemData1->Post();
        QCOMPARE(GridNames(), QStringList({"B"}));
        Form1->dxMemData1->Edit();
        Form1->dxMemData1Pay->SetValueAsReal(200);
        Form1->dxMemData1->Post();

        Form1->SD1->setNextFileName(dir.filePath("out.txt"));
        Form1->N5->trigger();
        QCOMPARE(ReadFile(dir.filePath("out.txt")),
                 QByteArray("Name\tDate\tPay\r\nC\t03.01.2024\t300,00\r\nA\t01.01.2024\t100,00\r\n"
                            "B\t02.01.2024\t200,00\r\n"));
        QCOMPARE(TableNames(), QStringList({"C", "A", "B"}));

        // Find reads the rows the filter hides too.
        Form1->cxCurrencyEdit1->setValue(400.0);
        QTest::mouseClick(Form1->ToolButton1, Qt::LeftButton);
        QVERIFY(Form1->cxMemo1->toPlainText().contains(u'A'));
        QVERIFY(Form1->cxMemo1->toPlainText().contains(u'C'));
        grid()->setColumnFilter(0, std::nullopt);
        QCOMPARE(GridNames().size(), 3);
    }

    void shouldDrawTheSortArrowBesideTheFilterButton()
    {
        Fill({{"A", "01.01.2024", 100}, {"B", "02.01.2024", 200}});
        FilterHeader& header = grid()->filterHeader();
        const QRect button = header.filterButtonRect(2);
        const QRect arrow = header.sortArrowRect(2);
        QVERIFY(!arrow.intersects(button));
        QVERIFY(arrow.left() > header.sectionViewportPosition(2));
        const QImage unsorted = header.grab().toImage();
        grid()->sortByColumn(2, Qt::AscendingOrder);
        const QImage sorted = header.grab().toImage();
        const qreal ratio = unsorted.devicePixelRatio();
        const auto part = [ratio](const QImage& image, const QRect& area) {
            return image.copy(QRect(area.topLeft() * ratio, area.size() * ratio));
        };
        QCOMPARE(part(sorted, button), part(unsorted, button));  // the button stays as it was
        QVERIFY(part(sorted, arrow) != part(unsorted, arrow));     // and the arrow shows
    }

    void shouldFilterFromTheHeadersDropDown()
    {
        Fill({{"A", "01.01.2024", 100}, {"B", "02.01.2024", 200}, {"C", "02.01.2024", 300}});
        QStringList offered;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            QAction* pick = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator()) continue;
                offered << action->text();
                if (action->text() == QStringLiteral("02.01.2024")) pick = action;
            }
            menu->setActiveAction(pick);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        FilterHeader& header = grid()->filterHeader();
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, header.filterButtonRect(1).center());
        QCOMPARE(offered, QStringList({"(All)", "01.01.2024", "02.01.2024"}));
        QCOMPARE(GridNames(), QStringList({"B", "C"}));
        QCOMPARE(grid()->proxy().sortColumn(), -1);  // the button does not sort
        QCOMPARE(TableNames(), QStringList({"A", "B", "C"}));
    }

    void shouldKeepTheFocusedRowAsTheTablesCurrentRecord()
    {
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}, {"C", "03.01.2024", 3}});
        const QRect cell = grid()->visualRect(grid()->model()->index(2, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 2);
        QVERIFY(grid()->delegate().openEditor());  // a click opens the editor at once
        QTest::keyClick(grid()->delegate().openEditor(), Qt::Key_Escape);
        Form1->dxMemData1->First();
        QCOMPARE(grid()->currentIndex().row(), 0);
        Form1->dxMemData1->Next();
        QCOMPARE(grid()->currentIndex().row(), 1);
    }

    void shouldFillTheResultsAreaFromTheToolbar()
    {
        Fill({{"Rent", "01.02.2024", 6000}, {"Power", "03.02.2024", 1500.5},
              {"Books", "11.02.2024", 4000}});
        Form1->cxMemo1->setPlainText("old text");
        QTest::mouseClick(Form1->ToolButton1, Qt::LeftButton);
        const QString report = Form1->cxMemo1->toPlainText();
        QVERIFY2(!report.contains("old text"), qPrintable(report));
        QVERIFY2(report.startsWith(QStringLiteral("Найдено решение")), qPrintable(report));
        QVERIFY(report.contains("Rent"));
        QVERIFY(report.contains("Books"));
        QVERIFY(!report.contains("Power"));
        QCOMPARE(Form1->dxMemData1->CurrentIndex(), 2);  // left on the last record
    }

    void shouldRefuseAnUnreadableTargetAndFindWithTheAcceptedOne()
    {
        Fill({{"Rent", "01.02.2024", 6000}, {"Books", "11.02.2024", 4000}});
        AmountEdit* target = Form1->cxCurrencyEdit1;
        target->setFocus();
        target->selectAll();
        QTest::keyClicks(target, "abc");
        // The toolbar does not take the focus: Find uses the value accepted before.
        QTest::mouseClick(Form1->ToolButton1, Qt::LeftButton);
        QVERIFY(Form1->cxMemo1->toPlainText().contains("Rent"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(target));

        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(ShownErrors(),
                 QStringLiteral("Invalid input value. Use escape key to abandon changes."));
        QCOMPARE(target->value(), std::optional<double>(10000.0));
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(target->text(), QStringLiteral("10000"));

        target->selectAll();
        QTest::keyClicks(target, "xyz");
        Form1->cxMemo1->setFocus(Qt::TabFocusReason);
        QCOMPARE(ShownErrors(),
                 QStringLiteral("Invalid input value. Use escape key to abandon changes."));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(target));

        target->selectAll();
        QTest::keyClick(target, Qt::Key_Delete);
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(!target->value());
    }

    void shouldWrapTheToolbarWhenNarrow()
    {
        QCOMPARE(Form1->ToolBar1->rowCount(), 1);
        const int oneRow = Form1->ToolBar1->height();
        Form1->resize(360, Form1->height());
        QTRY_COMPARE(Form1->ToolBar1->rowCount(), 2);
        QCOMPARE(Form1->ToolBar1->height(), 2 * oneRow);
        QVERIFY(Form1->ToolButton1->y() > 0);
        Form1->resize(700, Form1->height());
        QTRY_COMPARE(Form1->ToolBar1->rowCount(), 1);
    }

    void shouldFillTheGridWidthInProportion()
    {
        QHeaderView* header = grid()->horizontalHeader();
        const int total = header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2);
        QCOMPARE(total, grid()->viewport()->width());
        QVERIFY(qAbs(header->sectionSize(0) * 104.0 / header->sectionSize(1) - 167.0) < 3.0);
        QVERIFY(qAbs(header->sectionSize(1) - header->sectionSize(2)) <= 1);
        QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Платеж"));
        QCOMPARE(grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Дата"));
        QCOMPARE(grid()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Сумма"));
        QCOMPARE(grid()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void shouldShowTheNewRegionalForms()
    {
        Fill({{"A", "03.02.2024", 1234.5}});
        const FormatSettings us = UsFormatSettings();
        Form1->setFormatSettings(us);
        QCOMPARE(grid()->model()->index(0, 1).data().toString(), QStringLiteral("2/3/24"));
        QCOMPARE(grid()->model()->index(0, 2).data().toString(), QStringLiteral("$1,234.50"));
        QCOMPARE(Form1->cxCurrencyEdit1->text(), QStringLiteral("$10,000.00"));
        Form1->setFormatSettings(FormatSettings::russian());
    }

    void shouldReadTheSystemFormsAgainWhenTheSystemAnnouncesAChange()
    {
        FormatSettings other = FormatSettings::russian();
        other.shortDatePattern = "yyyy-MM-dd";
        other.dateSeparator = "-";
        Form1->setFormatSettings(other);
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(qApp, &change);
        QCOMPARE(Form1->formatSettings(), FormatSettingsFromLocale(QLocale::system()));
        RegionalSettings::instance().setSettings(FormatSettings::russian());
    }

    void shouldCloseWithoutAskingWhateverIsUnsaved()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        Fill({{"A", "01.01.2024", 1}});
        QTest::keyClick(grid(), Qt::Key_Insert);
        Form1->N2->trigger();
        QVERIFY(!Form1->isVisible());
        QVERIFY(MessageBoxes::takeShown().empty());
        QApplication::setQuitOnLastWindowClosed(true);
    }

    void shouldShowTheAboutBoxOwnedByTheWindow()
    {
        QString seen;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen = box->parentWidget() == Form1 ? "owned" : "loose";
            for (const QLabel* label : box->findChildren<QLabel*>()) seen += "|" + label->text();
            box->accept();
        });
        Form1->N4->trigger();
        QVERIFY2(seen.startsWith("owned"), qPrintable(seen));
        QVERIFY(seen.contains(QStringLiteral("Тальвеса 1.0")));
        QVERIFY(seen.contains(QStringLiteral("Qt ")));
        QCOMPARE(AboutBox::secondText().count(QStringLiteral("\r\n")), 1);
    }

    void shouldPassTheModelChecksThroughEveryTableChange()
    {
        QAbstractItemModelTester modelTester(Form1->cxGrid1DBTableView1,
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(&grid()->proxy(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTemporaryDir dir;
        auto& table = *Form1->dxMemData1;
        Fill({{"A", "01.01.2024", 1}, {"B", "02.01.2024", 2}, {"C", "03.01.2024", 3}});
        grid()->sortByColumn(2, Qt::DescendingOrder);
        table.SetRecordPosition(2);
        table.Insert();
        table.FieldNamed("Name").SetValueAsText("N");
        table.Post();
        table.Insert();
        table.Cancel();
        table.Append();
        table.First();  // an untouched new record goes
        table.Edit();
        table.FieldNamed("Pay").SetValueAsReal(50);
        table.Post();
        table.Edit();
        table.Delete();
        Form1->SD1->setNextFileName(dir.filePath("x.txt"));
        Form1->Button2Click();
        table.Close();
        table.Open();
        Form1->OD1->setNextFileName(dir.filePath("x.txt"));
        Form1->Button1Click();
        QCOMPARE(grid()->model()->rowCount(), 3);
        while (table.RecordTotal() > 0) table.Delete();
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(ShownErrors(), QString());
    }

    void shouldDropAnInsertedRowWithEscapeWhateverTheGridsOrder_data()
    {
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("table order") << -1 << Qt::AscendingOrder << QStringList({"A", "B", "C", "D"});
        QTest::newRow("by name, descending") << 0 << Qt::DescendingOrder << QStringList({"D", "C", "B", "A"});
        QTest::newRow("by amount") << 2 << Qt::AscendingOrder << QStringList({"D", "B", "A", "C"});
    }

    void shouldDropAnInsertedRowWithEscapeWhateverTheGridsOrder()
    {
        QFETCH(int, sortColumn);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, shown);
        QAbstractItemModelTester modelTester(Form1->cxGrid1DBTableView1,
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(&grid()->proxy(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        Fill({{"A", "05.03.2024", 600}, {"B", "12.03.2024", 400}, {"C", "20.03.2024", 1000},
              {"D", "28.03.2024", 0}});
        if (sortColumn >= 0) grid()->sortByColumn(sortColumn, order);
        QCOMPARE(GridNames(), shown);
        grid()->setCurrentIndex(grid()->model()->index(int(shown.indexOf("B")), 0));
        QCOMPARE(QString::fromStdString(Form1->dxMemData1->ActiveRecord().name), QStringLiteral("B"));

        QTest::keyClick(grid(), Qt::Key_Insert);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Insert);
        QCOMPARE(grid()->model()->rowCount(), 5);
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(TableNames(), QStringList({"A", "B", "C", "D"}));
        QCOMPARE(GridNames(), shown);
        // The row focused before Ins is current again, in the table and in the grid.
        QTRY_COMPARE(grid()->currentIndex().data().toString(), QStringLiteral("B"));
        QCOMPARE(QString::fromStdString(Form1->dxMemData1->ActiveRecord().name), QStringLiteral("B"));
    }

    void shouldDropTheOpenCellWithTheRowTheDeleteCommandRemoves_data()
    {
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<bool>("inserted");
        QTest::addColumn<QStringList>("table");
        QTest::addColumn<QStringList>("shown");
        const QStringList all{"A", "B", "C", "D"};
        const QStringList withoutB{"A", "C", "D"};
        QTest::newRow("new row") << -1 << true << all << all;
        QTest::newRow("new row, sorted") << 2 << true << all << QStringList({"D", "B", "A", "C"});
        QTest::newRow("edited row") << -1 << false << withoutB << withoutB;
        QTest::newRow("edited row, sorted") << 2 << false << withoutB << QStringList({"D", "A", "C"});
    }

    void shouldDropTheOpenCellWithTheRowTheDeleteCommandRemoves()
    {
        QFETCH(int, sortColumn);
        QFETCH(bool, inserted);
        QFETCH(QStringList, table);
        QFETCH(QStringList, shown);
        QAbstractItemModelTester modelTester(Form1->cxGrid1DBTableView1,
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(&grid()->proxy(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        Fill({{"A", "05.03.2024", 600}, {"B", "12.03.2024", 400}, {"C", "20.03.2024", 1000},
              {"D", "28.03.2024", 0}});
        if (sortColumn >= 0) grid()->sortByColumn(sortColumn, Qt::AscendingOrder);
        grid()->setCurrentIndex(grid()->model()->index(1, 0));  // B either way
        if (inserted) QTest::keyClick(grid(), Qt::Key_Insert);
        QTest::keyClick(grid(), Qt::Key_N);
        QVERIFY(openEditor<QLineEdit>());
        QTest::mouseClick(Form1->ToolButton3, Qt::LeftButton);
        QCOMPARE(ShownErrors(), QString());
        QCOMPARE(Form1->dxMemData1->State(), DataSetState::Browse);
        QCOMPARE(TableNames(), table);
        QCOMPARE(GridNames(), shown);
        QTRY_COMPARE(grid()->currentIndex().data().toString(),
                     QString::fromStdString(Form1->dxMemData1->ActiveRecord().name));
    }

private:
    static PaymentGrid* grid() { return Form1->cxGrid1; }

    template <typename Editor>
    static Editor* openEditor()
    {
        return qobject_cast<Editor*>(grid()->delegate().openEditor());
    }
};

int main(int argc, char** argv)
{
    TalvesaApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
