#pragma once

#include <QHeaderView>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>
#include <map>

class PaymentGridModel;

// Sorting and the header filters: only which rows the grid shows and in which order;
// the table's own order stays as it is.
class PaymentFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit PaymentFilterProxy(PaymentGridModel& model, QObject* parent = nullptr);

    // Shows only the rows whose cell in this column reads this text; nothing clears it.
    void setColumnFilter(int column, std::optional<QString> text);
    std::optional<QString> columnFilter(int column) const;
    // The distinct texts of the column, in order, for the filter drop-down.
    QStringList columnValues(int column) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    PaymentGridModel& model_;
    std::map<int, QString> filters_;
};

// A header with a filter drop-down button in each section.
class FilterHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit FilterHeader(QWidget* parent = nullptr);
    QRect filterButtonRect(int logicalIndex) const;
    // Where the sort arrow goes: just left of the filter button, clear of it.
    QRect sortArrowRect(int logicalIndex) const;
    void setFilteredColumns(const std::array<bool, 3>& filtered);

signals:
    void filterButtonClicked(int logicalIndex, QPoint globalPos);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    std::array<bool, 3> filtered_{};
    bool pressOnButton_ = false;
};

// The in-place editors: text, the date editor and the amount editor. A cell's value goes
// into the table only when the editor is closed by Return, by focus leaving or by the row
// being left, or when the table asks for pending values.
class PaymentDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PaymentDelegate(PaymentGridModel& model, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    QWidget* openEditor() const { return openEditor_; }
    // Whether the editor's text would be accepted.
    static bool editorReads(QWidget* editor);
    // Writes the editor's value (if the user changed it) and closes it; throws like the
    // editor when its text does not read, leaving it open.
    void commitAndClose(QWidget* editor);
    // Writes the editor's value into the row, the editor staying open; throws like commitAndClose.
    void commitEditor(QWidget* editor);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void focusLeft(QWidget* editor);

    PaymentGridModel& model_;
    mutable QPointer<QWidget> openEditor_;
};

// The payment grid: one row per payment, the focused row always the table's current one.
class PaymentGrid : public QTableView {
    Q_OBJECT
public:
    explicit PaymentGrid(PaymentGridModel& model, QWidget* parent = nullptr);

    PaymentGridModel& gridModel() const { return model_; }
    PaymentFilterProxy& proxy() const { return *proxy_; }
    PaymentDelegate& delegate() const { return *delegate_; }
    FilterHeader& filterHeader() const { return *header_; }

    void setColumnFilter(int column, std::optional<QString> text);
    // The focused row with the headers, as text.
    QString currentRowText() const;
    void copyCurrentRow() const;
    // The relative widths that fill the view (167 : 104 : 104 at first).
    const std::array<double, 3>& columnWeights() const { return weights_; }

    static QString emptyText() { return QStringLiteral("<No data to display>"); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followTable(int sourceRow);
    void fitColumns();
    void sectionResizedByUser(int logicalIndex, int oldSize, int newSize);
    void showFilterMenu(int column, QPoint globalPos);
    void writePending();
    void deleteCurrent();
    void applyDeferredMove();

    PaymentGridModel& model_;
    PaymentFilterProxy* proxy_ = nullptr;
    PaymentDelegate* delegate_ = nullptr;
    FilterHeader* header_ = nullptr;
    std::array<double, 3> weights_{167, 104, 104};
    bool fitting_ = false;
    bool followingTable_ = false;
    // While the proxy removes or reorders rows it may move the current row itself; the table
    // follows once the proxy is done, not from inside its change.
    bool proxyBusy_ = false;
    QPersistentModelIndex deferredMove_;
};
