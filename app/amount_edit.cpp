#include "amount_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>
#include <cmath>

#include "amount_text.h"
#include "errors.h"
#include "regional_settings.h"

AmountEdit::AmountEdit(QWidget* parent)
    : QLineEdit(parent), settings_(CurrentFormatSettings())
{
    connect(this, &QLineEdit::textEdited, this, &AmountEdit::userEdited);
    connect(&RegionalSettings::instance(), &RegionalSettings::changed, this,
            &AmountEdit::setFormatSettings);
    showValue();
}

void AmountEdit::setFormatSettings(const talvesa::FormatSettings& settings)
{
    settings_ = settings;
    if (!hasPendingText()) showValue();
}

void AmountEdit::setValue(std::optional<double> value)
{
    value_ = value;
    started_ = false;
    showValue();
}

bool AmountEdit::hasPendingText() const { return text() != shownText_; }

QString AmountEdit::plainText(double value, const talvesa::FormatSettings& settings)
{
    if (!std::isfinite(value)) return QString::number(value);
    // Up to four decimals: an amount has no more, and trailing zeros only get in the way.
    QString text = QString::number(value, 'f', 4);
    while (text.endsWith(u'0')) text.chop(1);
    if (text.endsWith(u'.')) text.chop(1);
    if (text == u"-0") text = QStringLiteral("0");
    return text.replace(u'.', QString::fromStdString(settings.decimalSeparator));
}

std::optional<double> AmountEdit::readText(const QString& text,
                                           const talvesa::FormatSettings& settings)
{
    QString plain = text;
    for (const std::string& noise : {settings.currencySymbol, settings.thousandSeparator}) {
        const QString piece = QString::fromStdString(noise);
        // A separator that is also the decimal one must stay.
        if (!piece.isEmpty() && piece != QString::fromStdString(settings.decimalSeparator))
            plain.remove(piece);
    }
    plain.remove(QChar(0x00A0));
    plain = plain.trimmed();
    if (plain.isEmpty()) return std::nullopt;
    return talvesa::ParseAmountText(plain.toStdString(), settings);
}

void AmountEdit::commit()
{
    if (!hasPendingText()) return;
    const QString typed = text().trimmed();
    std::optional<double> read;
    if (!typed.isEmpty()) {
        read = readText(typed, settings_);
        if (!read)
            throw talvesa::ConvertError("Invalid input value. Use escape key to abandon changes");
    }
    value_ = read;
    started_ = false;
    showValue();
    emit valueAccepted(value_);
}

bool AmountEdit::textReads() const
{
    const QString typed = text().trimmed();
    return !hasPendingText() || typed.isEmpty() || readText(typed, settings_).has_value();
}

void AmountEdit::revert()
{
    started_ = false;
    showValue();
}

void AmountEdit::showValue()
{
    if (!value_)
        shownText_.clear();
    else if (hasFocus())
        shownText_ = plainText(*value_, settings_);
    else
        shownText_ = QString::fromStdString(talvesa::FormatCurrency(*value_, settings_));
    setText(shownText_);
}

void AmountEdit::userEdited()
{
    if (started_) return;
    started_ = true;
    emit editingStarted();
}

void AmountEdit::keyPressEvent(QKeyEvent* event)
{
    const bool plainKey = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plainKey && (event->text() == u"." || event->text() == u",")) {
        const QString separator = QString::fromStdString(settings_.decimalSeparator);
        QKeyEvent typed(QEvent::KeyPress, event->key(), event->modifiers(), separator,
                        event->isAutoRepeat(), static_cast<ushort>(event->count()));
        QLineEdit::keyPressEvent(&typed);
        event->setAccepted(typed.isAccepted());
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commit();
        break;
    case Qt::Key_Escape:
        if (hasPendingText()) {
            revert();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void AmountEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!hasPendingText()) {
        showValue();
        if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
            selectAll();
    }
}

void AmountEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A pop-up or another window taking the focus is no leaving of the field.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (!commitOnFocusOut_) return;
    if (!hasPendingText()) {
        showValue();
        return;
    }
    try {
        commit();
    } catch (...) {
        // The error box comes first; then the user is back in the field to mend the text.
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
        throw;
    }
}
