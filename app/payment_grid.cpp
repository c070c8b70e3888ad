#include "payment_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTimer>
#include <set>

#include "amount_edit.h"
#include "date_edit.h"
#include "date_text.h"
#include "mem_data.h"
#include "message_boxes.h"
#include "payment_grid_model.h"

namespace {

constexpr char kDirty[] = "talvesaDirty";

bool IsDirty(const QWidget* editor) { return editor->property(kDirty).toBool(); }
void SetDirty(QWidget* editor, bool dirty) { editor->setProperty(kDirty, dirty); }

std::optional<double> OptionalValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return std::nullopt;
    return value.toDouble();
}

}  // namespace

// ---- PaymentFilterProxy

PaymentFilterProxy::PaymentFilterProxy(PaymentGridModel& model, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model)
{
    setSourceModel(&model);
    setSortRole(PaymentGridModel::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setSortLocaleAware(true);
}

void PaymentFilterProxy::setColumnFilter(int column, std::optional<QString> text)
{
    if (text)
        filters_[column] = *text;
    else
        filters_.erase(column);
    invalidateFilter();
}

std::optional<QString> PaymentFilterProxy::columnFilter(int column) const
{
    const auto found = filters_.find(column);
    if (found == filters_.end()) return std::nullopt;
    return found->second;
}

QStringList PaymentFilterProxy::columnValues(int column) const
{
    std::vector<std::pair<QVariant, QString>> values;
    std::set<QString> seen;
    for (int row = 0; row < model_.rowCount(); ++row) {
        const QModelIndex cell = model_.index(row, column);
        const QString text = cell.data(Qt::DisplayRole).toString();
        if (seen.insert(text).second) values.emplace_back(cell.data(PaymentGridModel::SortRole), text);
    }
    std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) {
        if (!a.first.isValid() || !b.first.isValid()) return !a.first.isValid() && b.first.isValid();
        if (a.first.typeId() == QMetaType::QString)
            return a.first.toString().localeAwareCompare(b.first.toString()) < 0;
        return a.first.toDouble() < b.first.toDouble();
    });
    QStringList list;
    for (const auto& value : values) list << value.second;
    return list;
}

bool PaymentFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (filters_.empty()) return true;
    // A row being added stays in sight until it is stored.
    if (sourceRow == model_.pendingRow()) return true;
    for (const auto& [column, text] : filters_) {
        if (model_.index(sourceRow, column, sourceParent).data(Qt::DisplayRole).toString() != text)
            return false;
    }
    return true;
}

// ---- FilterHeader

FilterHeader::FilterHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setSortIndicatorShown(true);
    setSortIndicatorClearable(true);
    setSortIndicator(-1, Qt::AscendingOrder);
}

QRect FilterHeader::filterButtonRect(int logicalIndex) const
{
    const int left = sectionViewportPosition(logicalIndex);
    const int width = sectionSize(logicalIndex);
    const int side = std::min(16, height());
    return QRect(left + width - side - 2, (height() - side) / 2, side, side);
}

QRect FilterHeader::sortArrowRect(int logicalIndex) const
{
    const QRect button = filterButtonRect(logicalIndex);
    const int side = std::min(10, height());
    return QRect(button.left() - side, (height() - side) / 2, side, side);
}

void FilterHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    // The style would put the sort arrow where the filter button is; paintSection draws it
    // beside the button instead.
    option->sortIndicator = QStyleOptionHeader::None;
}

void FilterHeader::setFilteredColumns(const std::array<bool, 3>& filtered)
{
    filtered_ = filtered;
    viewport()->update();
}

void FilterHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    const QRect button = filterButtonRect(logicalIndex).translated(0, rect.top());
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex) {
        QStyleOptionHeader arrow;
        arrow.initFrom(this);
        arrow.rect = sortArrowRect(logicalIndex).translated(0, rect.top());
        arrow.sortIndicator = sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortDown
                                                                         : QStyleOptionHeader::SortUp;
        painter->save();
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);
        painter->restore();
    }
    const bool filtered = logicalIndex >= 0 && logicalIndex < 3 && filtered_[logicalIndex];
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(filtered ? palette().color(QPalette::Highlight)
                               : palette().color(QPalette::Mid));
    const QPointF c = QRectF(button).center();
    const QPolygonF arrow{QPointF(c.x() - 4, c.y() - 2), QPointF(c.x() + 4, c.y() - 2),
                          QPointF(c.x(), c.y() + 3)};
    painter->drawPolygon(arrow);
    painter->restore();
}

QSize FilterHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    size.rwidth() += 18;
    return size;
}

void FilterHeader::mousePressEvent(QMouseEvent* event)
{
    const int section = logicalIndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && section >= 0
        && filterButtonRect(section).contains(event->position().toPoint())) {
        pressOnButton_ = true;
        emit filterButtonClicked(section, mapToGlobal(filterButtonRect(section).bottomLeft()));
        event->accept();
        return;
    }
    pressOnButton_ = false;
    QHeaderView::mousePressEvent(event);
}

void FilterHeader::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressOnButton_) {
        pressOnButton_ = false;
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

// ---- PaymentDelegate

PaymentDelegate::PaymentDelegate(PaymentGridModel& model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model)
{
}

QWidget* PaymentDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                       const QModelIndex& index) const
{
    auto* self = const_cast<PaymentDelegate*>(this);
    QWidget* editor = nullptr;
    switch (index.column()) {
    case PaymentGridModel::DateColumn: {
        auto* date = new DateEdit(parent);
        date->setFrame(false);
        date->setFormatSettings(model_.formatSettings());
        date->setCommitOnFocusOut(false);
        connect(date, &DateEdit::editingStarted, self, [self, date] {
            SetDirty(date, true);
            self->model_.beginEdit();
        });
        connect(date, &DateEdit::focusLeft, self, [self, date] { self->focusLeft(date); });
        date->lineEdit()->installEventFilter(self);
        editor = date;
        break;
    }
    case PaymentGridModel::PayColumn: {
        auto* amount = new AmountEdit(parent);
        amount->setFormatSettings(model_.formatSettings());
        amount->setCommitOnFocusOut(false);
        amount->setFrame(false);
        amount->setAlignment(Qt::AlignRight);
        connect(amount, &AmountEdit::editingStarted, self, [self, amount] {
            SetDirty(amount, true);
            self->model_.beginEdit();
        });
        editor = amount;
        break;
    }
    default: {
        auto* text = new QLineEdit(parent);
        text->setFrame(false);
        connect(text, &QLineEdit::textEdited, self, [self, text] {
            if (IsDirty(text)) return;
            SetDirty(text, true);
            self->model_.beginEdit();
        });
        editor = text;
        break;
    }
    }
    editor->setObjectName(QStringLiteral("cellEditor"));
    openEditor_ = editor;
    return editor;
}

void PaymentDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (openEditor_ == editor) openEditor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void PaymentDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (IsDirty(editor)) return;
    const QVariant value = index.data(Qt::EditRole);
    if (auto* date = qobject_cast<DateEdit*>(editor))
        date->setValue(OptionalValue(value));
    else if (auto* amount = qobject_cast<AmountEdit*>(editor))
        amount->setValue(OptionalValue(value));
    else if (auto* text = qobject_cast<QLineEdit*>(editor))
        text->setText(value.toString());
}

void PaymentDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const
{
    // Text that does not read never gets here from our own paths (see commitEditor); from
    // anywhere else it is left for the editor to refuse.
    if (!IsDirty(editor) || !editorReads(editor)) return;
    QVariant value;
    if (auto* date = qobject_cast<DateEdit*>(editor)) {
        date->commit();
        if (date->value()) value = *date->value();
    } else if (auto* amount = qobject_cast<AmountEdit*>(editor)) {
        amount->commit();
        if (amount->value()) value = *amount->value();
    } else if (auto* text = qobject_cast<QLineEdit*>(editor)) {
        value = text->text();
    }
    SetDirty(editor, false);
    model->setData(index, value, Qt::EditRole);
}

void PaymentDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex& /*index*/) const
{
    editor->setGeometry(option.rect);
}

bool PaymentDelegate::editorReads(QWidget* editor)
{
    if (!editor || !IsDirty(editor)) return true;
    if (auto* date = qobject_cast<DateEdit*>(editor)) return date->textReads();
    if (auto* amount = qobject_cast<AmountEdit*>(editor)) return amount->textReads();
    return true;
}

void PaymentDelegate::commitEditor(QWidget* editor)
{
    // The editor refuses unreadable text here, before the view's own commit runs: an error
    // must not pass through the view.
    if (auto* date = qobject_cast<DateEdit*>(editor))
        date->commit();
    else if (auto* amount = qobject_cast<AmountEdit*>(editor))
        amount->commit();
    emit commitData(editor);
}

void PaymentDelegate::commitAndClose(QWidget* editor)
{
    commitEditor(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void PaymentDelegate::focusLeft(QWidget* editor)
{
    if (editor != openEditor_) return;
    try {
        commitEditor(editor);
    } catch (...) {
        QTimer::singleShot(0, editor, [editor] { editor->setFocus(Qt::OtherFocusReason); });
        throw;
    }
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool PaymentDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(object);
    QWidget* editor = widget;
    if (widget && qobject_cast<DateEdit*>(widget->parentWidget())) editor = widget->parentWidget();
    if (!editor || editor != openEditor_) return QStyledItemDelegate::eventFilter(object, event);

    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            // The cell goes back to its value; the row's other changes stay.
            SetDirty(editor, false);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            commitAndClose(editor);
            return true;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        if (qobject_cast<DateEdit*>(editor)) return false;  // it says so itself
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
        focusLeft(editor);
        return false;
    }
    return false;
}

// ---- PaymentGrid

PaymentGrid::PaymentGrid(PaymentGridModel& model, QWidget* parent)
    : QTableView(parent), model_(model)
{
    proxy_ = new PaymentFilterProxy(model, this);
    header_ = new FilterHeader(this);
    setHorizontalHeader(header_);
    delegate_ = new PaymentDelegate(model, this);
    setItemDelegate(delegate_);
    // Connected before the view's own slots: the view moves the current row while the rows
    // are going, and that must not reach the table inside the model's change.
    const auto busy = [this] { proxyBusy_ = true; };
    connect(proxy_, &QAbstractItemModel::rowsAboutToBeRemoved, this, busy);
    connect(proxy_, &QAbstractItemModel::layoutAboutToBeChanged, this, busy);
    followingTable_ = true;
    setModel(proxy_);
    followingTable_ = false;
    // The view would store the row on every change of the current row, also when the table
    // itself moves to a new record; the grid stores only when the user leaves a row.
    disconnect(selectionModel(), SIGNAL(currentRowChanged(QModelIndex,QModelIndex)), proxy_,
               SLOT(submit()));

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::DoubleClicked);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setSortingEnabled(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setStretchLastSection(false);
    header_->setMinimumSectionSize(20);

    const auto done = [this] {
        proxyBusy_ = false;
        if (deferredMove_.isValid()) QTimer::singleShot(0, this, &PaymentGrid::applyDeferredMove);
    };
    connect(proxy_, &QAbstractItemModel::rowsRemoved, this, done);
    connect(proxy_, &QAbstractItemModel::layoutChanged, this, done);
    connect(header_, &QHeaderView::sectionResized, this, &PaymentGrid::sectionResizedByUser);
    connect(header_, &FilterHeader::filterButtonClicked, this, &PaymentGrid::showFilterMenu);
    connect(&model_, &PaymentGridModel::currentRecordChanged, this, &PaymentGrid::followTable);
    model_.setWritePendingHandler([this] { writePending(); });
    fitColumns();
}

void PaymentGrid::setColumnFilter(int column, std::optional<QString> text)
{
    proxy_->setColumnFilter(column, std::move(text));
    std::array<bool, 3> filtered{};
    for (int c = 0; c < 3; ++c) filtered[c] = proxy_->columnFilter(c).has_value();
    header_->setFilteredColumns(filtered);
    // A hidden current record is no longer in the grid: the first row shown takes its place.
    const QModelIndex current = proxy_->mapFromSource(model_.index(model_.currentRow(), 0));
    if (!current.isValid() && proxy_->rowCount() > 0) setCurrentIndex(proxy_->index(0, 0));
    viewport()->update();
}

void PaymentGrid::showFilterMenu(int column, QPoint globalPos)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("filterMenu"));
    const std::optional<QString> active = proxy_->columnFilter(column);
    QAction* all = menu.addAction(QStringLiteral("(All)"));
    all->setCheckable(true);
    all->setChecked(!active);
    menu.addSeparator();
    for (const QString& value : proxy_->columnValues(column)) {
        QAction* action = menu.addAction(value.isEmpty() ? QStringLiteral("(Blanks)") : value);
        action->setData(value);
        action->setCheckable(true);
        action->setChecked(active && *active == value);
    }
    QAction* chosen = menu.exec(globalPos);
    if (!chosen) return;
    if (chosen == all)
        setColumnFilter(column, std::nullopt);
    else
        setColumnFilter(column, chosen->data().toString());
}

QString PaymentGrid::currentRowText() const
{
    const int row = model_.currentRow();
    if (row < 0) return {};
    QStringList headers;
    QStringList cells;
    for (int visual = 0; visual < header_->count(); ++visual) {
        const int column = header_->logicalIndex(visual);
        if (header_->isSectionHidden(column)) continue;
        headers << PaymentGridModel::headerText(column);
        cells << model_.index(row, column).data(Qt::DisplayRole).toString();
    }
    return headers.join(u'\t') + u'\n' + cells.join(u'\t') + u'\n';
}

void PaymentGrid::copyCurrentRow() const
{
    const QString text = currentRowText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void PaymentGrid::deleteCurrent()
{
    if (model_.currentRow() < 0) return;
    if (!MessageBoxes::confirm(this, QStringLiteral("Confirm"), QStringLiteral("Delete record?")))
        return;
    model_.table().Delete();
}

void PaymentGrid::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool editing = state() == QAbstractItemView::EditingState;
    if (!editing) {
        switch (event->key()) {
        case Qt::Key_Escape:
            if (model_.hasUnstoredChanges()) {
                model_.revert();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Insert:
            if (modifiers == Qt::NoModifier) {
                model_.insertBeforeCurrent();
                event->accept();
                return;
            }
            if (modifiers == Qt::ControlModifier) {
                copyCurrentRow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Delete:
            if (modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier) {
                event->accept();
                deleteCurrent();
                return;
            }
            break;
        case Qt::Key_C:
            if (modifiers == Qt::ControlModifier) {
                copyCurrentRow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            event->ignore();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void PaymentGrid::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    // A click opens the cell's editor at once.
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (clicked.isValid() && clicked == currentIndex() && state() != EditingState)
        edit(clicked);
}

void PaymentGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (followingTable_) {
        QTableView::currentChanged(current, previous);
        return;
    }
    const bool rowChanged = !previous.isValid() || !current.isValid() || current.row() != previous.row();
    QWidget* editor = delegate_->openEditor();
    // While rows go, the editor's row is the one going: its text goes with it, and writing
    // it now would land in the row that takes its place.
    if (rowChanged && editor && proxyBusy_) {
        SetDirty(editor, false);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    } else if (rowChanged && editor && previous.isValid()) {
        if (!PaymentDelegate::editorReads(editor)) {
            // The cell holds text that does not read: stay on it; the error comes with the
            // attempt to store it (focus leaving, Return).
            const QPersistentModelIndex back(previous);
            QTimer::singleShot(0, this, [this, back, editor] {
                if (back.isValid()) {
                    followingTable_ = true;
                    selectionModel()->setCurrentIndex(back, QItemSelectionModel::ClearAndSelect
                                                                | QItemSelectionModel::Rows);
                    followingTable_ = false;
                }
                if (editor == delegate_->openEditor()) editor->setFocus(Qt::OtherFocusReason);
            });
            return;
        }
        delegate_->commitAndClose(editor);
    }
    const QPersistentModelIndex target(current.isValid() ? proxy_->mapToSource(current)
                                                         : QModelIndex());
    QTableView::currentChanged(current, previous);
    if (!rowChanged || !target.isValid()) return;
    if (proxyBusy_) {
        deferredMove_ = target;
        return;
    }
    model_.moveToRow(target.row());
}

void PaymentGrid::applyDeferredMove()
{
    const QPersistentModelIndex target = deferredMove_;
    deferredMove_ = QPersistentModelIndex();
    if (!target.isValid() || proxy_->mapToSource(currentIndex()).row() != target.row()) return;
    model_.moveToRow(target.row());
}

void PaymentGrid::followTable(int sourceRow)
{
    if (sourceRow < 0) return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex shown = proxy_->mapFromSource(model_.index(sourceRow, column));
    if (!shown.isValid() || shown == currentIndex()) return;
    followingTable_ = true;
    selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect
                                                 | QItemSelectionModel::Rows);
    followingTable_ = false;
}

void PaymentGrid::writePending()
{
    QWidget* editor = delegate_->openEditor();
    if (editor && IsDirty(editor)) delegate_->commitEditor(editor);
}

void PaymentGrid::fitColumns()
{
    const int available = viewport()->width();
    if (available <= 0) return;
    double total = 0;
    for (int c = 0; c < 3; ++c)
        if (!header_->isSectionHidden(c)) total += weights_[c];
    if (total <= 0) return;
    fitting_ = true;
    int used = 0;
    int lastVisible = -1;
    for (int visual = 0; visual < header_->count(); ++visual) {
        const int c = header_->logicalIndex(visual);
        if (!header_->isSectionHidden(c)) lastVisible = c;
    }
    for (int c = 0; c < 3; ++c) {
        if (header_->isSectionHidden(c)) continue;
        const int width = c == lastVisible ? available - used
                                           : qRound(available * weights_[c] / total);
        if (c != lastVisible) used += width;
        header_->resizeSection(c, std::max(width, 1));
    }
    // The last one takes the rounding; it is resized last so the sum is exact.
    if (lastVisible >= 0) {
        int sum = 0;
        for (int c = 0; c < 3; ++c)
            if (!header_->isSectionHidden(c) && c != lastVisible) sum += header_->sectionSize(c);
        header_->resizeSection(lastVisible, std::max(available - sum, 1));
    }
    fitting_ = false;
}

void PaymentGrid::sectionResizedByUser(int logicalIndex, int /*oldSize*/, int newSize)
{
    if (fitting_ || logicalIndex < 0 || logicalIndex >= 3) return;
    // The dragged edge keeps its place; the columns after it share what is left.
    const int available = viewport()->width();
    const int visual = header_->visualIndex(logicalIndex);
    int before = 0;
    for (int v = 0; v < visual; ++v) before += header_->sectionSize(header_->logicalIndex(v));
    const int rest = std::max(available - before - newSize, 0);
    double restWeight = 0;
    for (int v = visual + 1; v < header_->count(); ++v) restWeight += weights_[header_->logicalIndex(v)];
    for (int v = 0; v <= visual; ++v) {
        const int c = header_->logicalIndex(v);
        weights_[c] = header_->sectionSize(c);
    }
    for (int v = visual + 1; v < header_->count(); ++v) {
        const int c = header_->logicalIndex(v);
        weights_[c] = restWeight > 0 ? rest * weights_[c] / restWeight : 1;
        if (weights_[c] < 1) weights_[c] = 1;
    }
    QTimer::singleShot(0, this, &PaymentGrid::fitColumns);
}

void PaymentGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

void PaymentGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (proxy_->rowCount() > 0) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QRect area = viewport()->rect().adjusted(4, 8, -4, 0);
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, emptyText());
}
