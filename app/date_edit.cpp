#include "date_edit.h"

#include <QCalendarWidget>
#include <QDate>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "date_text.h"
#include "errors.h"
#include "regional_settings.h"

namespace {

const QDate kDayZero(1899, 12, 30);

QDate ToQDate(double dateValue) { return kDayZero.addDays(static_cast<qint64>(std::trunc(dateValue))); }

double FromQDate(QDate date) { return static_cast<double>(kDayZero.daysTo(date)); }

}  // namespace

DateEdit::DateEdit(QWidget* parent) : QWidget(parent), settings_(CurrentFormatSettings())
{
    line_ = new QLineEdit(this);
    line_->setObjectName(QStringLiteral("dateText"));
    line_->setFrame(false);
    dropDown_ = new QToolButton(this);
    dropDown_->setObjectName(QStringLiteral("dateDropDown"));
    dropDown_->setArrowType(Qt::DownArrow);
    dropDown_->setAutoRaise(true);
    dropDown_->setFocusPolicy(Qt::NoFocus);
    dropDown_->setCursor(Qt::ArrowCursor);

    auto* row = new QHBoxLayout(this);
    const int frameWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    row->setContentsMargins(frameWidth, frameWidth, frameWidth, frameWidth);
    row->setSpacing(0);
    row->addWidget(line_, 1);
    row->addWidget(dropDown_);
    setFocusProxy(line_);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    popup_ = new QFrame(this, Qt::Popup);
    popup_->setObjectName(QStringLiteral("datePopup"));
    popup_->setFrameShape(QFrame::Box);
    calendar_ = new QCalendarWidget(popup_);
    calendar_->setObjectName(QStringLiteral("dateCalendar"));
    calendar_->setGridVisible(true);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    today_ = new QPushButton(QStringLiteral("Today"), popup_);
    today_->setObjectName(QStringLiteral("dateToday"));
    clear_ = new QPushButton(QStringLiteral("Clear"), popup_);
    clear_->setObjectName(QStringLiteral("dateClear"));
    auto* column = new QVBoxLayout(popup_);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(calendar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(today_);
    buttons->addWidget(clear_);
    buttons->addStretch();
    column->addLayout(buttons);

    connect(dropDown_, &QToolButton::clicked, this, &DateEdit::showPopup);
    connect(calendar_, &QCalendarWidget::clicked, this,
            [this](QDate date) { pick(FromQDate(date)); });
    connect(calendar_, &QCalendarWidget::activated, this,
            [this](QDate date) { pick(FromQDate(date)); });
    connect(today_, &QPushButton::clicked, this,
            [this] { pick(FromQDate(QDate::currentDate())); });
    connect(clear_, &QPushButton::clicked, this, [this] { pick(std::nullopt); });
    connect(line_, &QLineEdit::textEdited, this, &DateEdit::userEdited);
    connect(&RegionalSettings::instance(), &RegionalSettings::changed, this,
            &DateEdit::setFormatSettings);
    line_->installEventFilter(this);
    showValue();
}

void DateEdit::setFrame(bool frame)
{
    frame_ = frame;
    const int width = frame ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    layout()->setContentsMargins(width, width, width, width);
    update();
}

QSize DateEdit::sizeHint() const
{
    // As tall as a line edit with its frame, so that it lines up with the other editors.
    QLineEdit framed;
    framed.setFont(font());
    const QSize line = framed.sizeHint();
    return {line.width() + dropDown_->sizeHint().width(), frame_ ? line.height() : line_->sizeHint().height()};
}

void DateEdit::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!frame_) return;
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (line_->hasFocus()) option.state |= QStyle::State_HasFocus;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void DateEdit::setFormatSettings(const talvesa::FormatSettings& settings)
{
    settings_ = settings;
    if (!hasPendingText()) showValue();
}

void DateEdit::setValue(std::optional<double> value)
{
    value_ = value ? std::optional<double>(std::trunc(*value)) : std::nullopt;
    started_ = false;
    showValue();
}

bool DateEdit::hasPendingText() const { return line_->text() != shownText_; }

void DateEdit::commit()
{
    if (!hasPendingText()) return;
    const QString typed = line_->text().trimmed();
    std::optional<double> read;
    if (!typed.isEmpty()) {
        const int year = currentYear_ != 0 ? currentYear_ : talvesa::LocalCurrentYear();
        read = talvesa::ParseDate(typed.toStdString(), settings_, year);
        if (!read) throw talvesa::ConvertError("Invalid Date");
    }
    value_ = read;
    started_ = false;
    showValue();
    emit valueAccepted(value_);
}

bool DateEdit::textReads() const
{
    const QString typed = line_->text().trimmed();
    const int year = currentYear_ != 0 ? currentYear_ : talvesa::LocalCurrentYear();
    return !hasPendingText() || typed.isEmpty()
           || talvesa::ParseDate(typed.toStdString(), settings_, year).has_value();
}

void DateEdit::revert()
{
    started_ = false;
    showValue();
}

void DateEdit::showValue()
{
    shownText_ = value_ ? QString::fromStdString(talvesa::FormatDate(*value_, settings_))
                        : QString();
    line_->setText(shownText_);
}

void DateEdit::userEdited()
{
    if (started_) return;
    started_ = true;
    emit editingStarted();
}

void DateEdit::pick(std::optional<double> value)
{
    popup_->hide();
    const QString text =
        value ? QString::fromStdString(talvesa::FormatDate(*value, settings_)) : QString();
    if (text != line_->text() || hasPendingText()) {
        userEdited();
        line_->setText(text);
        commit();
    }
    line_->setFocus(Qt::PopupFocusReason);
}

void DateEdit::showPopup()
{
    QDate shown = QDate::currentDate();
    const int year = currentYear_ != 0 ? currentYear_ : talvesa::LocalCurrentYear();
    if (hasPendingText()) {
        if (const auto typed = talvesa::ParseDate(line_->text().trimmed().toStdString(),
                                                  settings_, year))
            shown = ToQDate(*typed);
    } else if (value_) {
        shown = ToQDate(*value_);
    }
    calendar_->setSelectedDate(shown);
    popup_->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + popup_->height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - popup_->height());
        at.setX(std::max(area.left(), std::min(at.x(), area.right() - popup_->width())));
    }
    popup_->move(at);
    popup_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != line_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier))
            || key->key() == Qt::Key_F4) {
            showPopup();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            commit();
        } else if (key->key() == Qt::Key_Escape && hasPendingText()) {
            revert();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        update();
    } else if (event->type() == QEvent::FocusOut) {
        update();
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() == Qt::PopupFocusReason
            || focus->reason() == Qt::ActiveWindowFocusReason || popup_->isVisible())
            return false;
        if (!commitOnFocusOut_) {
            emit focusLeft();
            return false;
        }
        try {
            commit();
        } catch (...) {
            QTimer::singleShot(0, line_, [this] { line_->setFocus(Qt::OtherFocusReason); });
            throw;
        }
    }
    return false;
}
