#include "Unit1.h"

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "about_box.h"
#include "amount_edit.h"
#include "application.h"
#include "date_text.h"
#include "file_dialog.h"
#include "find_run.h"
#include "flow_toolbar.h"
#include "payment_grid.h"
#include "payment_grid_model.h"
#include "regional_settings.h"
#include "Unit2.h"

TForm1* Form1 = nullptr;

namespace {

// A panel whose controls stand where the layout puts them (96-dpi positions, scaled);
// some stretch to the panel's right edge, one fills it from its top edge down.
class AnchorPanel : public QWidget {
public:
    explicit AnchorPanel(QWidget* parent = nullptr) : QWidget(parent) {}

    void stretchRight(QWidget* child, int rightMargin) { stretched_.push_back({child, rightMargin}); }
    void fillFrom(QWidget* child, int top)
    {
        fill_ = child;
        fillTop_ = top;
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        for (const auto& [child, margin] : stretched_) {
            const int width = std::max(0, this->width() - child->x() - margin);
            const int wanted = child->heightForWidth(width) > 0 ? child->heightForWidth(width)
                                                                 : child->height();
            child->resize(width, std::min(wanted, child->maximumHeight()));
        }
        if (fill_) fill_->setGeometry(0, fillTop_, width(), std::max(0, height() - fillTop_));
    }

private:
    std::vector<std::pair<QWidget*, int>> stretched_;
    QWidget* fill_ = nullptr;
    int fillTop_ = 0;
};

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

}  // namespace

QFont WindowFont()
{
    QFont font;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        font = QFont(QStringLiteral("Tahoma"));
    else
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Тальвеса"));
    setWindowIcon(QIcon(QStringLiteral(":/talvesa/talvesa.svg")));
    setFont(WindowFont());
    setBackgroundRole(QPalette::Button);

    dxMemData1 = talvesa::MakePaymentTable("dxMemData1");
    dxMemData1Name = &dxMemData1->FieldNamed("Name");
    dxMemData1Date = &dxMemData1->FieldNamed("Date");
    dxMemData1Pay = &dxMemData1->FieldNamed("Pay");
    DataSource1 = std::make_unique<talvesa::DataSource>(*dxMemData1);

    OD1 = new FileDialog(FileDialog::Kind::Open, this);
    OD1->setObjectName(QStringLiteral("OD1"));
    SD1 = new FileDialog(FileDialog::Kind::Save, this);
    SD1->setObjectName(QStringLiteral("SD1"));

    for (const char* picture : {"find", "add", "delete", "edit", "open", "save"})
        ImageList32 << QIcon(QStringLiteral(":/talvesa/%1.svg").arg(QLatin1String(picture)));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    buildToolBar();
    column->addWidget(ToolBar1);
    buildPanels();
    column->addWidget(Panel1, 1);
    buildMenu();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    StatusBar1->setFixedHeight(scaled(19));
    setStatusBar(StatusBar1);

    // Results area, grid, target amount; the results area has the focus first.
    setTabOrder(cxMemo1, cxGrid1);
    setTabOrder(cxGrid1, cxCurrencyEdit1);
    cxMemo1->setFocus(Qt::OtherFocusReason);

    resize(scaled(650), scaled(390) + MainMenu1->sizeHint().height());
}

TForm1::~TForm1()
{
    // Everything bound to the data link goes before the link and the table.
    if (Form2 && Form2->parent() == this) {
        delete Form2;
        Form2 = nullptr;
    }
    delete cxGrid1;
    cxGrid1 = nullptr;
    delete cxGrid1DBTableView1;
    cxGrid1DBTableView1 = nullptr;
}

const talvesa::FormatSettings& TForm1::formatSettings() const { return CurrentFormatSettings(); }

void TForm1::setFormatSettings(const talvesa::FormatSettings& settings)
{
    RegionalSettings::instance().setSettings(settings);
}

int TForm1::scaled(int pixels) const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return qRound(pixels * dpi / 96.0);
}

void TForm1::centerOnDesktop()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect desktop = screen->virtualGeometry();
    const QRect frame = frameGeometry();
    const int left = std::max(desktop.left(), desktop.left() + (desktop.width() - frame.width()) / 2);
    const int top = std::max(desktop.top(), desktop.top() + (desktop.height() - frame.height()) / 2);
    move(left, top);
}

void TForm1::buildToolBar()
{
    ToolBar1 = new FlowToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setButtonSize(QSize(scaled(62), scaled(52)));
    ToolBar1->setIconSize(QSize(scaled(32), scaled(32)));
    ToolBar1->setSeparatorWidth(scaled(8));
    ToolBar1->setFixedHeight(scaled(52));

    ToolButton5 = ToolBar1->addButton(QStringLiteral("ToolButton5"), QStringLiteral("Открыть"), ImageList32[4]);
    ToolButton6 = ToolBar1->addButton(QStringLiteral("ToolButton6"), QStringLiteral("Сохранить"), ImageList32[5]);
    ToolButton7 = ToolBar1->addSeparator(QStringLiteral("ToolButton7"));
    ToolButton2 = ToolBar1->addButton(QStringLiteral("ToolButton2"), QStringLiteral("Добавить"), ImageList32[1]);
    ToolButton4 = ToolBar1->addButton(QStringLiteral("ToolButton4"), QStringLiteral("Изменить"), ImageList32[3]);
    ToolButton3 = ToolBar1->addButton(QStringLiteral("ToolButton3"), QStringLiteral("Удалить"), ImageList32[2]);
    ToolButton8 = ToolBar1->addSeparator(QStringLiteral("ToolButton8"));
    ToolButton1 = ToolBar1->addButton(QStringLiteral("ToolButton1"), QStringLiteral("Найти"), ImageList32[0]);

    connect(ToolButton5, &QToolButton::clicked, this, [this] { RunCommand([this] { Button1Click(); }); });
    connect(ToolButton6, &QToolButton::clicked, this, [this] { RunCommand([this] { Button2Click(); }); });
    connect(ToolButton2, &QToolButton::clicked, this, [this] { RunCommand([this] { Button3Click(); }); });
    connect(ToolButton4, &QToolButton::clicked, this, [this] { RunCommand([this] { Button4Click(); }); });
    connect(ToolButton3, &QToolButton::clicked, this, [this] { RunCommand([this] { Button5Click(); }); });
    connect(ToolButton1, &QToolButton::clicked, this, [this] { RunCommand([this] { Button6Click(); }); });
}

void TForm1::buildMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TForm1::*command)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, command] { RunCommand([this, command] { (this->*command)(); }); });
        return action;
    };
    N1 = MainMenu1->addMenu(QStringLiteral("Файл"));
    N1->setObjectName(QStringLiteral("N1"));
    N6 = item(N1, "N6", QStringLiteral("Открыть"), &TForm1::Button1Click);
    N5 = item(N1, "N5", QStringLiteral("Сохранить"), &TForm1::Button2Click);
    N7 = N1->addSeparator();
    N7->setObjectName(QStringLiteral("N7"));
    N2 = item(N1, "N2", QStringLiteral("Выход"), &TForm1::N2Click);
    N8 = MainMenu1->addMenu(QStringLiteral("Список платежей"));
    N8->setObjectName(QStringLiteral("N8"));
    N9 = item(N8, "N9", QStringLiteral("Добавить"), &TForm1::Button3Click);
    N10 = item(N8, "N10", QStringLiteral("Изменить"), &TForm1::Button4Click);
    N11 = item(N8, "N11", QStringLiteral("Удалить"), &TForm1::Button5Click);
    N3 = MainMenu1->addMenu(QStringLiteral("Помощь"));
    N3->setObjectName(QStringLiteral("N3"));
    N4 = item(N3, "N4", QStringLiteral("О программе"), &TForm1::N4Click);
}

void TForm1::buildPanels()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* fill = new QVBoxLayout(Panel1);
    fill->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, Panel1);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(scaled(3));
    Splitter1->setOpaqueResize(false);
    Splitter1->setChildrenCollapsible(false);
    fill->addWidget(Splitter1);

    auto* left = new AnchorPanel(Splitter1);
    Panel3 = left;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setMinimumWidth(0);
    cxLabel1 = MakeLabel(Panel3, QStringLiteral("cxLabel1"),
                         QStringLiteral("Сумма, которую необходимо \"набрать\""), true);
    cxLabel1->move(scaled(14), scaled(4));
    cxLabel1->adjustSize();
    cxCurrencyEdit1 = new AmountEdit(Panel3);
    cxCurrencyEdit1->setObjectName(QStringLiteral("cxCurrencyEdit1"));
    cxCurrencyEdit1->setValue(10000.0);
    cxCurrencyEdit1->setGeometry(scaled(16), scaled(27), scaled(154),
                                 cxCurrencyEdit1->sizeHint().height());
    cxLabel2 = MakeLabel(Panel3, QStringLiteral("cxLabel2"), QStringLiteral("Список платежей"), true);
    cxLabel2->move(scaled(14), scaled(54));
    cxLabel2->adjustSize();

    cxGrid1DBTableView1 = new PaymentGridModel(*DataSource1, this);
    cxGrid1DBTableView1->setObjectName(QStringLiteral("cxGrid1DBTableView1"));
    cxGrid1 = new PaymentGrid(*cxGrid1DBTableView1, Panel3);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    left->fillFrom(cxGrid1, scaled(77));

    auto* right = new AnchorPanel(Splitter1);
    Panel2 = right;
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setMinimumWidth(scaled(30));
    cxLabel4 = MakeLabel(Panel2, QStringLiteral("cxLabel4"),
                         QStringLiteral("Программа предназначена для поиска набора сумм, которые "
                                        "образуют сумму, которую необходимо \"набрать\" из других."),
                         false);
    cxLabel4->setWordWrap(true);
    cxLabel4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cxLabel4->setGeometry(scaled(6), scaled(6), scaled(284), scaled(45));
    // A narrow panel cuts the description short rather than writing it over "Результат".
    cxLabel4->setMaximumHeight(scaled(54 - 6 - 2));
    right->stretchRight(cxLabel4, scaled(20));
    cxLabel3 = MakeLabel(Panel2, QStringLiteral("cxLabel3"), QStringLiteral("Результат"), true);
    cxLabel3->move(scaled(6), scaled(54));
    cxLabel3->adjustSize();
    cxMemo1 = new QPlainTextEdit(Panel2);
    cxMemo1->setObjectName(QStringLiteral("cxMemo1"));
    cxMemo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    cxMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cxMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cxMemo1->setTabChangesFocus(true);
    right->fillFrom(cxMemo1, scaled(77));

    Splitter1->addWidget(Panel3);
    Splitter1->addWidget(Panel2);
    Splitter1->setCollapsible(0, true);
    Splitter1->setCollapsible(1, false);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({scaled(337), scaled(310)});
    // A drag that leaves the left panel 30 pixels wide or less closes it completely.
    connect(Splitter1, &QSplitter::splitterMoved, this, [this](int pos, int) {
        if (pos > 0 && pos <= scaled(30)) {
            const QList<int> sizes = Splitter1->sizes();
            Splitter1->setSizes({0, sizes.value(0) + sizes.value(1)});
        }
    });
}

void TForm1::Button1Click()
{
    const std::optional<QString> name = OD1->execute(this);
    if (!name || name->isEmpty()) return;
    dxMemData1->LoadFromDelimitedFile(QFile::encodeName(*name).toStdString(), formatSettings(),
                                      talvesa::LocalCurrentYear());
}

void TForm1::Button2Click()
{
    const std::optional<QString> name = SD1->execute(this);
    if (!name || name->isEmpty()) return;
    dxMemData1->SaveToDelimitedFile(QFile::encodeName(*name).toStdString(), formatSettings());
}

void TForm1::Button5Click() { dxMemData1->Delete(); }

void TForm1::Button6Click()
{
    RunFind(this, *dxMemData1, cxCurrencyEdit1->value(), *cxMemo1, formatSettings());
}

void TForm1::N2Click() { close(); }

void TForm1::N4Click()
{
    AboutBox box(this);
    box.exec();
}
