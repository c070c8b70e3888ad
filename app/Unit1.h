#pragma once

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <memory>

#include "data_source.h"
#include "format_settings.h"
#include "mem_data.h"

class QIcon;
class QLabel;
class QMenuBar;
class QMenu;
class QAction;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QFont;
class QToolButton;
class AmountEdit;
class FileDialog;
class FlowToolBar;
class PaymentGrid;
class PaymentGridModel;

// The main window: toolbar, menu, payment grid, target amount, results area.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The regional forms in use (the application's; setting them changes them everywhere).
    const talvesa::FormatSettings& formatSettings() const;
    void setFormatSettings(const talvesa::FormatSettings& settings);

    // Scales a length given for 96 dots per inch to the screen's logical dpi.
    int scaled(int pixels) const;
    // Centres the window on the whole desktop, never left of or above its edges.
    void centerOnDesktop();

    std::unique_ptr<talvesa::TdxMemData> dxMemData1;
    talvesa::TField* dxMemData1Name = nullptr;
    talvesa::TField* dxMemData1Date = nullptr;
    talvesa::TField* dxMemData1Pay = nullptr;
    std::unique_ptr<talvesa::DataSource> DataSource1;

    FileDialog* OD1 = nullptr;
    FileDialog* SD1 = nullptr;

    QList<QIcon> ImageList32;  // Найти, Добавить, Удалить, Изменить, Открыть, Сохранить

    FlowToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // Найти
    QToolButton* ToolButton2 = nullptr;  // Добавить
    QToolButton* ToolButton3 = nullptr;  // Удалить
    QToolButton* ToolButton4 = nullptr;  // Изменить
    QToolButton* ToolButton5 = nullptr;  // Открыть
    QToolButton* ToolButton6 = nullptr;  // Сохранить
    QWidget* ToolButton7 = nullptr;      // separator
    QWidget* ToolButton8 = nullptr;      // separator

    QMenuBar* MainMenu1 = nullptr;
    QMenu* N1 = nullptr;      // Файл
    QAction* N6 = nullptr;    // Открыть
    QAction* N5 = nullptr;    // Сохранить
    QAction* N7 = nullptr;    // separator
    QAction* N2 = nullptr;    // Выход
    QMenu* N8 = nullptr;      // Список платежей
    QAction* N9 = nullptr;    // Добавить
    QAction* N10 = nullptr;   // Изменить
    QAction* N11 = nullptr;   // Удалить
    QMenu* N3 = nullptr;      // Помощь
    QAction* N4 = nullptr;    // О программе

    QStatusBar* StatusBar1 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QLabel* cxLabel1 = nullptr;
    QLabel* cxLabel2 = nullptr;
    QLabel* cxLabel3 = nullptr;
    QLabel* cxLabel4 = nullptr;
    AmountEdit* cxCurrencyEdit1 = nullptr;
    PaymentGrid* cxGrid1 = nullptr;
    PaymentGridModel* cxGrid1DBTableView1 = nullptr;
    QPlainTextEdit* cxMemo1 = nullptr;

public slots:
    void Button1Click();  // Open
    void Button2Click();  // Save
    void Button3Click();  // Add (with the record dialog)
    void Button4Click();  // Edit (with the record dialog)
    void Button5Click();  // Delete
    void Button6Click();  // Find
    void N2Click();       // Exit
    void N4Click();       // About

private:
    void buildToolBar();
    void buildMenu();
    void buildPanels();
};

// Tahoma 8 pt where it is installed, the system's sans font at 8 pt otherwise.
QFont WindowFont();

extern TForm1* Form1;
