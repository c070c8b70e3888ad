#include "Unit2.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <exception>

#include "Unit1.h"
#include "amount_edit.h"
#include "data_source.h"
#include "date_edit.h"
#include "mem_data.h"

TForm2* Form2 = nullptr;

using talvesa::DataSetState;
using talvesa::TField;

// The dialog's one bound control: it keeps all three editors on the current record.
class TForm2::EditorLink : public talvesa::BoundControl {
public:
    explicit EditorLink(TForm2& form) : form_(form) {}

    void FieldAssigned(const TField& field) override { form_.showField(field); }
    void EditBegun() override { reread(); }
    void TableChanged() override { reread(); }
    void CursorMoved() override { reread(); }
    void RebuildNeeded() override { reread(); }
    void WritePending() override { form_.writeAll(); }
    void TableDestroyed() override { alive_ = false; }

    bool alive() const { return alive_; }

private:
    void reread()
    {
        if (!form_.startingEdit_) form_.showRecord();
    }

    TForm2& form_;
    bool alive_ = true;
};

namespace {

bool isReturn(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

}  // namespace

TForm2::TForm2(talvesa::DataSource& dataSource, QWidget* parent)
    : QDialog(parent),
      dataSource_(dataSource),
      link_(std::make_unique<EditorLink>(*this)),
      nameField_(dataSource.DataSet().FieldNamed("Name")),
      dateField_(dataSource.DataSet().FieldNamed("Date")),
      payField_(dataSource.DataSet().FieldNamed("Pay"))
{
    buildLayout();
    // The dialog decides when its editors write: leaving for "Отмена" checks nothing.
    cxDBDateEdit1->setCommitOnFocusOut(false);
    cxDBCurrencyEdit1->setCommitOnFocusOut(false);

    connect(cxDBTextEdit1, &QLineEdit::textEdited, this, [this] {
        nameChanged_ = true;
        beginEdit();
    });
    connect(cxDBDateEdit1, &DateEdit::editingStarted, this, [this] { beginEdit(); });
    connect(cxDBCurrencyEdit1, &AmountEdit::editingStarted, this, [this] { beginEdit(); });
    // Every accepted value goes into the field: typed text once read, and the calendar's
    // "Today" and "Clear".
    connect(cxDBDateEdit1, &DateEdit::valueAccepted, this,
            [this](std::optional<double> value) { storeDate(value); });
    connect(cxDBCurrencyEdit1, &AmountEdit::valueAccepted, this,
            [this](std::optional<double> value) { storeAmount(value); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });

    for (QObject* watched : {static_cast<QObject*>(cxDBTextEdit1),
                             static_cast<QObject*>(cxDBDateEdit1->lineEdit()),
                             static_cast<QObject*>(cxDBCurrencyEdit1),
                             static_cast<QObject*>(Button1), static_cast<QObject*>(Button2)}) {
        watched->installEventFilter(this);
    }

    dataSource_.Bind(*link_);
    showRecord();
}

TForm2::~TForm2()
{
    if (link_->alive()) dataSource_.Unbind(*link_);
}

void TForm2::buildLayout()
{
    const double scale = logicalDpiY() / 96.0;
    const auto px = [scale](int value) { return qRound(value * scale); };

    setWindowTitle(QStringLiteral("Запись"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(px(381), px(198));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    setFont(WindowFont());
    QFont bold = font();
    bold.setBold(true);

    const auto label = [&](const char* name, const QString& text, int left, int top) {
        auto* result = new QLabel(text, this);
        result->setObjectName(QString::fromLatin1(name));
        result->setFont(bold);
        result->move(px(left), px(top));
        result->adjustSize();
        return result;
    };
    const auto place = [&](QWidget* editor, const char* name, int left, int top, int width) {
        editor->setObjectName(QString::fromLatin1(name));
        editor->setGeometry(px(left), px(top), px(width), editor->sizeHint().height());
    };
    const auto button = [&](const char* name, const QString& text, int left) {
        auto* result = new QPushButton(text, this);
        result->setObjectName(QString::fromLatin1(name));
        result->setAutoDefault(false);
        result->setDefault(false);
        result->setGeometry(px(left), px(165), px(75), px(25));
        return result;
    };

    cxLabel2 = label("cxLabel2", QStringLiteral("Платеж"), 14, 4);
    cxDBTextEdit1 = new QLineEdit(this);
    cxDBTextEdit1->setMaxLength(255);
    place(cxDBTextEdit1, "cxDBTextEdit1", 16, 24, 273);
    cxLabel1 = label("cxLabel1", QStringLiteral("Дата"), 16, 51);
    cxDBDateEdit1 = new DateEdit(this);
    place(cxDBDateEdit1, "cxDBDateEdit1", 16, 74, 121);
    cxLabel3 = label("cxLabel3", QStringLiteral("Сумма"), 16, 101);
    cxDBCurrencyEdit1 = new AmountEdit(this);
    place(cxDBCurrencyEdit1, "cxDBCurrencyEdit1", 16, 124, 137);
    Button1 = button("Button1", QStringLiteral("ОК"), 214);
    Button2 = button("Button2", QStringLiteral("Отмена"), 295);

    setTabOrder(cxDBTextEdit1, cxDBDateEdit1);
    setTabOrder(cxDBDateEdit1, cxDBCurrencyEdit1);
    setTabOrder(cxDBCurrencyEdit1, Button1);
    setTabOrder(Button1, Button2);
}

void TForm2::setFormatSettings(const talvesa::FormatSettings& settings)
{
    cxDBDateEdit1->setFormatSettings(settings);
    cxDBCurrencyEdit1->setFormatSettings(settings);
}

int TForm2::exec()
{
    if (!shownBefore_) {
        shownBefore_ = true;
        placeFirstTime();
        cxDBTextEdit1->setFocus(Qt::OtherFocusReason);
    } else {
        move(lastPos_);
        if (lastFocus_) lastFocus_->setFocus(Qt::OtherFocusReason);
    }
    return QDialog::exec() == mrOk ? mrOk : mrCancel;
}

void TForm2::done(int result)
{
    lastFocus_ = focusWidget();
    lastPos_ = pos();
    QDialog::done(result);
}

void TForm2::reject()
{
    done(mrCancel);
}

void TForm2::placeFirstTime()
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner) return;
    const QRect ownerFrame = owner->frameGeometry();
    const QRect ownerClient = owner->geometry();
    // Our frame is not known before the first showing; the owner's has the same decoration.
    const int frameWidth = ownerFrame.width() - ownerClient.width();
    const int frameHeight = ownerFrame.height() - ownerClient.height();
    int left = ownerFrame.left() + (ownerFrame.width() - (width() + frameWidth)) / 2;
    int top = ownerFrame.top() + (ownerFrame.height() - (height() + frameHeight)) / 2;
    if (const QScreen* screen = owner->screen()) {
        const QRect desktop = screen->virtualGeometry();
        left = std::max(left, desktop.left());
        top = std::max(top, desktop.top());
    }
    move(left, top);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // Neither button is the cancel button: Esc never closes the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QWidget* TForm2::editorOf(QObject* watched) const
{
    if (watched == cxDBTextEdit1) return cxDBTextEdit1;
    if (watched == cxDBDateEdit1->lineEdit()) return cxDBDateEdit1;
    if (watched == cxDBCurrencyEdit1) return cxDBCurrencyEdit1;
    return nullptr;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Button1 || watched == Button2) {
        // An editor that refused to let the focus go keeps it, and the click is lost with
        // the focus: "ОК" must not close over an unreadable value.
        if (event->type() == QEvent::MouseButtonPress && event->spontaneous() &&
            focusWidget() != watched) {
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }
    QWidget* editor = editorOf(watched);
    if (!editor) return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
            return false;
        }
        QWidget* next = QApplication::focusWidget();
        // Inside the date editor (its drop-down), or on the way to "Отмена", which drops
        // the whole record anyway: nothing to check yet.
        if (next && (next == Button2 || editor->isAncestorOf(next))) return false;
        if (editor == cxDBTextEdit1) writeName();
        if (editor == cxDBDateEdit1) writeDate();
        if (editor == cxDBCurrencyEdit1) {
            writeAmount();
            // Back to the currency form now that it no longer has the focus.
            if (!cxDBCurrencyEdit1->hasPendingText()) {
                cxDBCurrencyEdit1->setValue(cxDBCurrencyEdit1->value());
            }
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        if (isReturn(*key)) {
            if (editor == cxDBDateEdit1) writeDate();
            if (editor == cxDBCurrencyEdit1) writeAmount();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            revertEditor(editor);
            return true;
        }
    }
    return false;
}

void TForm2::showRecord()
{
    showing_ = true;
    cxDBTextEdit1->setText(QString::fromStdString(nameField_.ValueAsText()));
    nameChanged_ = false;
    cxDBDateEdit1->setValue(dateField_.HasNoValue() ? std::nullopt
                                                    : std::optional(dateField_.ValueAsDate()));
    cxDBCurrencyEdit1->setValue(payField_.HasNoValue() ? std::nullopt
                                                       : std::optional(payField_.ValueAsReal()));
    showing_ = false;
}

void TForm2::showField(const TField& field)
{
    showing_ = true;
    if (&field == &nameField_) {
        cxDBTextEdit1->setText(QString::fromStdString(nameField_.ValueAsText()));
        nameChanged_ = false;
    } else if (&field == &dateField_) {
        cxDBDateEdit1->setValue(field.HasNoValue() ? std::nullopt
                                                   : std::optional(field.ValueAsDate()));
    } else if (&field == &payField_) {
        cxDBCurrencyEdit1->setValue(field.HasNoValue() ? std::nullopt
                                                       : std::optional(field.ValueAsReal()));
    }
    showing_ = false;
}

void TForm2::DropUnwritten()
{
    showRecord();
}

void TForm2::revertEditor(QObject* editor)
{
    if (editor == cxDBTextEdit1 && nameChanged_) {
        showField(nameField_);
    } else if (editor == cxDBDateEdit1 && cxDBDateEdit1->hasPendingText()) {
        cxDBDateEdit1->revert();
    } else if (editor == cxDBCurrencyEdit1 && cxDBCurrencyEdit1->hasPendingText()) {
        cxDBCurrencyEdit1->revert();
    }
}

void TForm2::beginEdit()
{
    if (showing_ || dataSource_.DataSet().State() != DataSetState::Browse) return;
    startingEdit_ = true;
    try {
        dataSource_.Edit();
    } catch (...) {
        startingEdit_ = false;
        throw;
    }
    startingEdit_ = false;
}

void TForm2::writeName()
{
    if (nameChanged_) storeName();
}

void TForm2::writeDate()
{
    if (!cxDBDateEdit1->hasPendingText()) return;
    try {
        cxDBDateEdit1->commit();
    } catch (...) {
        if (isVisible()) cxDBDateEdit1->lineEdit()->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

void TForm2::writeAmount()
{
    if (!cxDBCurrencyEdit1->hasPendingText()) return;
    try {
        cxDBCurrencyEdit1->commit();
    } catch (...) {
        if (isVisible()) cxDBCurrencyEdit1->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

void TForm2::writeAll()
{
    std::exception_ptr first;
    for (void (TForm2::*write)() : {&TForm2::writeName, &TForm2::writeDate, &TForm2::writeAmount}) {
        try {
            (this->*write)();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

void TForm2::storeName()
{
    beginEdit();
    const QString text = cxDBTextEdit1->text();
    nameChanged_ = false;
    if (text.isEmpty()) {
        nameField_.Clear();
    } else {
        nameField_.SetValueAsText(text.toStdString());
    }
}

void TForm2::storeDate(std::optional<double> value)
{
    if (showing_) return;
    beginEdit();
    if (value) {
        dateField_.SetValueAsDate(*value);
    } else {
        dateField_.Clear();
    }
}

void TForm2::storeAmount(std::optional<double> value)
{
    if (showing_) return;
    beginEdit();
    if (value) {
        payField_.SetValueAsReal(*value);
    } else {
        payField_.Clear();
    }
}
