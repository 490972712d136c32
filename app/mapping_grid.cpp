#include "app/mapping_grid.h"

#include "app/mapping_delegate.h"
#include "app/mapping_model.h"
#include "platform/dialogs.h"
#include "platform/guard.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace app {

std::vector<int> fitColumnWidths(const std::vector<int>& base, const std::vector<int>& smallest,
                                 int available, int pinned)
{
    const std::size_t count = base.size();
    std::vector<int> widths(count, 0);
    std::vector<bool> settled(count, false);
    const auto smallestOf = [&](std::size_t i) { return i < smallest.size() ? std::max(smallest[i], 0) : 0; };
    long long left = available;
    if (pinned >= 0 && static_cast<std::size_t>(pinned) < count) {
        const auto p = static_cast<std::size_t>(pinned);
        long long othersSmallest = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (i != p)
                othersSmallest += smallestOf(i);
        const long long room = left - othersSmallest;
        widths[p] = static_cast<int>(std::max<long long>(smallestOf(p), std::min<long long>(base[p], room)));
        settled[p] = true;
        left -= widths[p];
    }
    // Settle the columns that their share would make too narrow, then share again
    // what is left among the others, until no share falls short.
    for (;;) {
        long long baseSum = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (!settled[i])
                baseSum += std::max(base[i], 1);
        if (baseSum == 0)
            break;
        std::vector<long long> shares(count, 0);
        bool tooNarrow = false;
        for (std::size_t i = 0; i < count; ++i) {
            if (settled[i])
                continue;
            shares[i] = std::max<long long>(left, 0) * std::max(base[i], 1) / baseSum;
            if (shares[i] < smallestOf(i))
                tooNarrow = true;
        }
        if (tooNarrow) {
            for (std::size_t i = 0; i < count; ++i) {
                if (!settled[i] && shares[i] < smallestOf(i)) {
                    widths[i] = smallestOf(i);
                    settled[i] = true;
                    left -= widths[i];
                }
            }
            continue;
        }
        // What rounding down leaves over goes to the widest column.
        long long given = 0;
        std::size_t widest = count;
        for (std::size_t i = 0; i < count; ++i) {
            if (settled[i])
                continue;
            widths[i] = static_cast<int>(shares[i]);
            given += shares[i];
            if (widest == count || base[i] > base[widest])
                widest = i;
        }
        widths[widest] += static_cast<int>(left - given);
        break;
    }
    return widths;
}

MappingGrid::MappingGrid(importer::Mapping& mapping, platform::Dialogs& dialogs, QWidget* parent)
    : QTableView(parent), dialogs_(dialogs), model_(new MappingModel(mapping, dialogs, this)),
      delegate_(new MappingDelegate(this))
{
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing does not open the editor (it searches); a click on the current cell,
    // a double click, or typing into a row already being changed does.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* titles = horizontalHeader();
    titles->setVisible(true);
    titles->setSectionsMovable(true);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(titles, &QHeaderView::sectionResized, this, &MappingGrid::columnResized);

    // The row indicator: a narrow column of fixed cells that marks the current row.
    QHeaderView* indicator = verticalHeader();
    indicator->setVisible(true);
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setHighlightSections(false);
    indicator->setFixedWidth(14);

    connect(qApp, &QApplication::focusChanged, this, &MappingGrid::focusMoved);
    connect(model_, &MappingModel::assignedElsewhere, this, [this](const QModelIndex& index) {
        if (ours())
            makeCurrent(index.row(), index.column());
    });
}

MappingGrid::~MappingGrid()
{
    // QWidget's own destructor gives up the focus and so announces a focus change;
    // by then this object is no grid any more and must not hear of it.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

bool MappingGrid::ours() const
{
    return model() == model_;
}

bool MappingGrid::guarded(const std::function<void()>& change)
{
    return platform::runGuarded(dialogs_, change);
}

int MappingGrid::datoWidth() const
{
    return 50 * fontMetrics().horizontalAdvance(QLatin1Char('0')) + 4;
}

std::vector<int> MappingGrid::smallestWidths() const
{
    return {horizontalHeader()->minimumSectionSize(), kColumnaWidth, kAnchoWidth, kImportarWidth};
}

void MappingGrid::mappingReset()
{
    // The titles lay their sections out anew; that is no resize by the user.
    fitting_ = true;
    model_->reset();
    fitting_ = false;
    searchText_.clear();
    if (!ours())
        return;
    fitColumns();
    const int row = model_->currentRow();
    if (row >= 0)
        makeCurrent(row, 0);
}

void MappingGrid::stopFollowing()
{
    model_->freeze();
    searchText_.clear();
}

// ---- Columns ------------------------------------------------------------------

void MappingGrid::fitColumns(int pinned)
{
    if (!ours())
        return;
    QHeaderView* titles = horizontalHeader();
    if (titles->count() != MappingModel::ColumnCount)
        return;
    if (!userWidths_)
        baseWidths_ = {datoWidth(), kColumnaWidth, kAnchoWidth, kImportarWidth};
    const std::vector<int> widths =
        fitColumnWidths(baseWidths_, smallestWidths(), viewport()->width(), pinned);
    fitting_ = true;
    for (int column = 0; column < MappingModel::ColumnCount; ++column)
        titles->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    fitting_ = false;
}

// A column resized with the mouse keeps the width it was given, as far as the
// others' smallest widths allow; the others take up the difference, and later fits
// start from the widths the user left.
void MappingGrid::columnResized(int logical, int, int newSize)
{
    if (fitting_ || !ours() || logical < 0 || logical >= MappingModel::ColumnCount)
        return;
    QHeaderView* titles = horizontalHeader();
    baseWidths_.assign(MappingModel::ColumnCount, 0);
    for (int column = 0; column < MappingModel::ColumnCount; ++column)
        baseWidths_[static_cast<std::size_t>(column)] = titles->sectionSize(column);
    baseWidths_[static_cast<std::size_t>(logical)] =
        std::max(newSize, smallestWidths()[static_cast<std::size_t>(logical)]);
    userWidths_ = true;
    fitColumns(logical);
}

void MappingGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

// ---- Current row ----------------------------------------------------------------

void MappingGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The view first hands an open editor's text to the cell it was opened on, while
    // the table is still on that cell's row.
    QTableView::currentChanged(current, previous);
    if (!searching_)
        searchText_.clear();
    if (!ours() || syncing_ || model_->changing() || !current.isValid() ||
        current.row() == model_->currentRow())
        return;
    int row = -1;
    guarded([&] { row = model_->goTo(current.row()); });
    // Leaving a row posts it, and the row may move to its place in the column
    // order; the row asked for keeps being the current one wherever it went.
    if (row >= 0 && currentIndex().row() != row)
        makeCurrent(row, current.column());
    selectCurrentRow();
}

void MappingGrid::makeCurrent(int row, int column)
{
    const bool wasSyncing = syncing_;
    syncing_ = true;
    setCurrentIndex(model_->index(row, std::clamp(column, 0, MappingModel::ColumnCount - 1)));
    syncing_ = wasSyncing;
    selectCurrentRow();
}

void MappingGrid::selectCurrentRow()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || selectionModel() == nullptr)
        return;
    if (selectionModel()->selectedRows().size() == 1 && selectionModel()->isRowSelected(current.row(), {}))
        return;
    selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int MappingGrid::currentColumnOr(int column) const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : column;
}

void MappingGrid::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    // The click selects what lies under the mouse; when leaving the row moved rows
    // about, that may no longer be the row that became current.
    if (ours())
        selectCurrentRow();
}

// A new untouched row is dropped when the focus goes to another control of the
// window; a box or another window taking the activation does not count.
void MappingGrid::focusMoved(QWidget* old, QWidget* now)
{
    if (!ours() || old == nullptr || now == nullptr)
        return;
    if (old != this && !isAncestorOf(old))
        return;
    if (now == this || isAncestorOf(now) || now->window() != window())
        return;
    if (!model_->untouchedNewRow())
        return;
    guarded([this] { model_->settle(); });
    const int row = model_->currentRow();
    if (row >= 0)
        makeCurrent(row, currentColumnOr(0));
}

// ---- Keys -----------------------------------------------------------------------

int MappingGrid::appendRow()
{
    int row = -1;
    guarded([&] { row = model_->appendRow(); });
    return row;
}

QModelIndex MappingGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (!ours() || model_->frozen() || (model_->currentRow() < 0 && action != MoveDown))
        return QTableView::moveCursor(action, modifiers);
    const QHeaderView* titles = horizontalHeader();
    const int columns = titles->count();
    const int rows = model_->rowCount();
    const QModelIndex current = currentIndex();
    if ((action == MoveNext || action == MovePrevious) && current.isValid() && columns > 0) {
        const int visual = titles->visualIndex(current.column());
        const int row = current.row();
        const auto at = [&](int r, int v) { return model_->index(r, titles->logicalIndex(v)); };
        if (action == MovePrevious) {
            if (visual > 0)
                return at(row, visual - 1);
            return at(row > 0 ? row - 1 : row, columns - 1);
        }
        if (visual + 1 < columns)
            return at(row, visual + 1);
        if (row + 1 < rows)
            return at(row + 1, 0);
        // Past the last cell: a new row, unless the last row is one already.
        if (model_->untouchedNewRow())
            return at(row, 0);
        const int added = appendRow();
        return added >= 0 ? at(added, 0) : current;
    }
    if (action == MoveDown && (rows == 0 || (current.isValid() && current.row() == rows - 1))) {
        // Down on the last row appends, unless the last row is an untouched new one.
        if (rows > 0 && model_->untouchedNewRow())
            return current;
        const int added = appendRow();
        return added >= 0 ? model_->index(added, currentColumnOr(0)) : current;
    }
    return QTableView::moveCursor(action, modifiers);
}

bool MappingGrid::search(const QString& typed)
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return false;
    if (!searchClock_.isValid() || searchClock_.hasExpired(QApplication::keyboardInputInterval()))
        searchText_.clear();
    searchClock_.start();
    const QString candidate = searchText_ + typed;
    const int row = model_->findPrefix(current.column(), candidate);
    if (row < 0)
        return false;
    searchText_ = candidate;
    searching_ = true;
    setCurrentIndex(model_->index(row, current.column()));
    searching_ = false;
    selectCurrentRow();
    return true;
}

void MappingGrid::keyPressEvent(QKeyEvent* event)
{
    if (!ours() || model_->frozen()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const QModelIndex current = currentIndex();

    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && (modifiers & Qt::ControlModifier)) {
        // Tab moves within the grid; Ctrl+Tab leaves it.
        const bool forward = key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
        QWidget::focusNextPrevChild(forward);
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QTableView::keyPressEvent(&tab);
        event->accept();
        return;
    }
    if (key == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        int row = -1;
        guarded([&] { row = model_->insertRow(); });
        if (row >= 0)
            makeCurrent(row, currentColumnOr(MappingModel::Columna));
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        event->accept();
        if (model_->rowCount() == 0 || !dialogs_.confirm(kDeleteRowQuestion))
            return;
        int row = -1;
        guarded([&] { row = model_->removeCurrentRow(); });
        if (row >= 0)
            makeCurrent(row, currentColumnOr(0));
        return;
    }

    const QString text = event->text();
    const bool printable = !text.isEmpty() && !(modifiers & (Qt::ControlModifier | Qt::AltModifier)) &&
                           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (!printable || state() == QAbstractItemView::EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!current.isValid())
        return;
    if (current.column() == MappingModel::Importar && key == Qt::Key_Space) {
        // Space ticks or clears the check box, as a click on it does.
        const auto state = current.data(Qt::CheckStateRole).value<Qt::CheckState>();
        model_->setData(current, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return;
    }
    if (model_->pending()) {
        // In a row being changed typing edits the cell, starting with the key typed.
        if (model_->flags(current) & Qt::ItemIsEditable) {
            // Qt hands the key on to the editor only for this trigger.
            const EditTriggers triggers = editTriggers();
            setEditTriggers(triggers | QAbstractItemView::AnyKeyPressed);
            edit(current, QAbstractItemView::AnyKeyPressed, event);
            setEditTriggers(triggers);
        }
        return;
    }
    search(text);
}

} // namespace app
