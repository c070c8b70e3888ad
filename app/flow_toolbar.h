#pragma once

#include <QWidget>

class QToolButton;
class QLayout;

// A row of flat picture-over-caption buttons that wraps onto further rows when the bar is
// narrower than the row, growing to hold them. The buttons never take the focus.
class FlowToolBar : public QWidget {
    Q_OBJECT
public:
    explicit FlowToolBar(QWidget* parent = nullptr);

    void setButtonSize(QSize size);
    void setIconSize(QSize size);
    void setSeparatorWidth(int width);

    QToolButton* addButton(const QString& objectName, const QString& caption, const QIcon& icon);
    QWidget* addSeparator(const QString& objectName);

    // How many rows the buttons take at this width.
    int rowCount() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Lays the items out at this width; returns the height used.
    int place(int width, bool apply) const;

    QList<QWidget*> items_;
    QSize buttonSize_{62, 52};
    QSize iconSize_{32, 32};
    int separatorWidth_ = 8;
    int rows_ = 1;
};
