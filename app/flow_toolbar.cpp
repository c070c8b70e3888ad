#include "flow_toolbar.h"

#include <QPainter>
#include <algorithm>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

namespace {

// The gap between button groups, with a faint etched line like the flat bars draw.
class ToolSeparator : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int x = width() / 2;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(x - 1, 4, x - 1, height() - 5);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(x, 4, x, height() - 5);
    }
};

}  // namespace

FlowToolBar::FlowToolBar(QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

// A caption wider than the button (a wider stand-in font than the designed one) widens it
// rather than being cut short.
static QSize ButtonSizeFor(const QToolButton* button, QSize size)
{
    const int caption = button->fontMetrics().horizontalAdvance(button->text()) + 8;
    return {std::max(size.width(), caption), size.height()};
}

void FlowToolBar::setButtonSize(QSize size)
{
    buttonSize_ = size;
    for (QWidget* item : items_) {
        if (auto* button = qobject_cast<QToolButton*>(item))
            button->setFixedSize(ButtonSizeFor(button, size));
        else
            item->setFixedHeight(size.height());
    }
    updateGeometry();
}

void FlowToolBar::setIconSize(QSize size)
{
    iconSize_ = size;
    for (QWidget* item : items_)
        if (auto* button = qobject_cast<QToolButton*>(item)) button->setIconSize(size);
}

void FlowToolBar::setSeparatorWidth(int width)
{
    separatorWidth_ = width;
    for (QWidget* item : items_)
        if (!qobject_cast<QToolButton*>(item)) item->setFixedWidth(width);
    updateGeometry();
}

QToolButton* FlowToolBar::addButton(const QString& objectName, const QString& caption,
                                    const QIcon& icon)
{
    auto* button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setText(caption);
    button->setIcon(icon);
    button->setIconSize(iconSize_);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(ButtonSizeFor(button, buttonSize_));
    items_ << button;
    updateGeometry();
    return button;
}

QWidget* FlowToolBar::addSeparator(const QString& objectName)
{
    auto* separator = new ToolSeparator(this);
    separator->setObjectName(objectName);
    separator->setFixedSize(separatorWidth_, buttonSize_.height());
    items_ << separator;
    updateGeometry();
    return separator;
}

int FlowToolBar::place(int width, bool apply) const
{
    int x = 0;
    int y = 0;
    int rows = 1;
    for (QWidget* item : items_) {
        const int w = item->minimumWidth();
        if (x > 0 && x + w > width) {
            x = 0;
            y += buttonSize_.height();
            ++rows;
        }
        if (apply) item->move(x, y);
        x += w;
    }
    if (apply) const_cast<FlowToolBar*>(this)->rows_ = rows;
    return rows * buttonSize_.height();
}

int FlowToolBar::rowCount() const { return rows_; }

int FlowToolBar::heightForWidth(int width) const { return place(width, false); }

QSize FlowToolBar::sizeHint() const
{
    int width = 0;
    for (QWidget* item : items_) width += item->minimumWidth();
    return {width, buttonSize_.height()};
}

QSize FlowToolBar::minimumSizeHint() const { return {buttonSize_.width(), buttonSize_.height()}; }

void FlowToolBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int needed = place(event->size().width(), true);
    if (needed != height()) {
        setFixedHeight(needed);
        updateGeometry();
    }
}
