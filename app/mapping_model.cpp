#include "app/mapping_model.h"

#include "dataset/record_set.h"
#include "import/mapping.h"
#include "platform/guard.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <string>

namespace app {

namespace {

QString fromBytes(const std::string& bytes)
{
    return QString::fromStdString(platform::cp1252ToUtf8(bytes));
}

QString integerText(const dataset::Value& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return QString::number(*number);
    return {};
}

QString textOf(const dataset::Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return fromBytes(*text);
    return {};
}

// Where a row is after the row at `from` was taken out and put back at `to`.
int placeAfterMove(int row, int from, int to)
{
    if (row == from)
        return to;
    const int without = row > from ? row - 1 : row;
    return without >= to ? without + 1 : without;
}

// Counts a change of the table's rows under way, for views that react to the
// model's signals while it lasts.
class ChangingRows {
public:
    explicit ChangingRows(int& counter) : counter_(counter) { ++counter_; }
    ~ChangingRows() { --counter_; }
    ChangingRows(const ChangingRows&) = delete;
    ChangingRows& operator=(const ChangingRows&) = delete;

private:
    int& counter_;
};

// Row indicator marks, as a data grid draws them: the current row, a row being
// edited, a new row.
const QString kBrowseMark = QStringLiteral("\u25BA");
const QString kEditMark = QStringLiteral("I");
const QString kInsertMark = QStringLiteral("*");

} // namespace

MappingModel::MappingModel(importer::Mapping& mapping, platform::Dialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent), mapping_(mapping), dialogs_(dialogs)
{
}

dataset::RecordSet& MappingModel::table() const
{
    return mapping_.CImportacion();
}

bool MappingModel::active() const
{
    return table().active();
}

int MappingModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (frozen_)
        return static_cast<int>(frozen_->size());
    return active() ? static_cast<int>(table().recordCount()) : 0;
}

int MappingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

MappingModel::ShownRow MappingModel::shownRow(int row) const
{
    if (frozen_)
        return (*frozen_)[static_cast<std::size_t>(row)];
    dataset::RecordSet& set = table();
    const auto at = [&](const char* field) -> const dataset::Value& {
        return set.valueAt(static_cast<std::size_t>(row), set.field(field).index());
    };
    ShownRow shown;
    // The description is looked up each time the row is shown, by the exact name.
    if (const auto* dato = std::get_if<std::string>(&at("DATO")))
        shown.dato = fromBytes(mapping_.NomDato(*dato));
    shown.columna = integerText(at("COLUMNA"));
    shown.ancho = integerText(at("ANCHO"));
    const dataset::Value& importar = at("IMPORTAR");
    if (const auto* flag = std::get_if<std::string>(&importar))
        shown.importar = *flag == "SI" ? Qt::Checked : *flag == "NO" ? Qt::Unchecked : Qt::PartiallyChecked;
    return shown;
}

QString MappingModel::text(int row, int column) const
{
    if (column == Importar) {
        // The check box has no text of its own; searching it looks at the flag.
        if (frozen_)
            return {};
        dataset::RecordSet& set = table();
        return textOf(set.valueAt(static_cast<std::size_t>(row), set.field("IMPORTAR").index()));
    }
    const ShownRow shown = shownRow(row);
    switch (column) {
    case Dato:
        return shown.dato;
    case Columna:
        return shown.columna;
    case Ancho:
        return shown.ancho;
    default:
        return {};
    }
}

QVariant MappingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (column == Importar)
            return {};
        return text(index.row(), column);
    case Qt::CheckStateRole:
        if (column != Importar)
            return {};
        return shownRow(index.row()).importar;
    case Qt::TextAlignmentRole:
        if (column == Columna || column == Ancho)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant MappingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
            return {};
        if (frozen_)
            return frozenTitles_[static_cast<std::size_t>(section)];
        return title(section);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section != currentRow())
        return {};
    if (frozen_)
        return kBrowseMark;
    switch (table().state()) {
    case dataset::State::Edit:
        return kEditMark;
    case dataset::State::Insert:
        return kInsertMark;
    default:
        return kBrowseMark;
    }
}

QString MappingModel::title(int section) const
{
    // The titles are the display labels of the fields; the description has none of
    // its own, being no field of the table.
    static const char* const kFields[] = {nullptr, "COLUMNA", "ANCHO", "IMPORTAR"};
    if (kFields[section] == nullptr)
        return QStringLiteral("Dato");
    const dataset::RecordSet& set = table();
    for (std::size_t i = 0; i < set.fieldCount(); ++i)
        if (set.fieldDef(i).name == kFields[section])
            return QString::fromStdString(set.fieldDef(i).label());
    return {};
}

Qt::ItemFlags MappingModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (frozen_)
        return flags;
    if (index.column() == Columna)
        flags |= Qt::ItemIsEditable;
    else if (index.column() == Importar)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool MappingModel::guarded(const std::function<void()>& change)
{
    return platform::runGuarded(dialogs_, change);
}

bool MappingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (frozen_ || assigning_ || !active() || !index.isValid() || index.row() >= rowCount())
        return false;
    std::string text;
    const char* field = nullptr;
    if (index.column() == Columna && role == Qt::EditRole) {
        const QString typed = value.toString();
        // An editor left as it was opened assigns nothing, so an untouched new row
        // stays untouched and an unchanged row is not changed.
        if (typed == this->text(index.row(), Columna))
            return false;
        text = typed.toStdString();
        field = "COLUMNA";
    } else if (index.column() == Importar && role == Qt::CheckStateRole) {
        text = value.value<Qt::CheckState>() == Qt::Checked ? "SI" : "NO";
        field = "IMPORTAR";
    } else {
        return false;
    }

    assigning_ = true;
    const int before = currentRow();
    int row = index.row();
    const bool done = guarded([&] {
        row = goTo(row);
        dataset::RecordSet& set = table();
        set.edit();
        set.field(field).setAsString(text);
    });
    assigning_ = false;
    if (row >= 0) {
        Q_EMIT dataChanged(this->index(row, 0), this->index(row, ColumnCount - 1));
        indicatorChanged(row, row);
        if (row != before)
            Q_EMIT assignedElsewhere(this->index(row, index.column()));
    }
    return done;
}

void MappingModel::indicatorChanged(int oldRow, int newRow)
{
    const int count = rowCount();
    int first = std::min(oldRow, newRow);
    const int last = std::min(std::max(oldRow, newRow), count - 1);
    first = std::max(first, 0);
    if (first <= last)
        Q_EMIT headerDataChanged(Qt::Vertical, first, last);
}

void MappingModel::reset()
{
    const ChangingRows changing(changing_);
    beginResetModel();
    frozen_.reset();
    frozenCurrent_ = -1;
    endResetModel();
}

void MappingModel::changeRow(RowChange kind, int at, const std::function<void()>& change)
{
    const bool inserting = kind == RowChange::Insert;
    if (inserting)
        beginInsertRows({}, at, at);
    else
        beginRemoveRows({}, at, at);
    const auto end = [&] {
        if (inserting)
            endInsertRows();
        else
            endRemoveRows();
    };
    try {
        change();
    } catch (...) {
        end();
        reset();
        throw;
    }
    end();
}

void MappingModel::freeze()
{
    if (frozen_)
        return;
    std::vector<ShownRow> rows;
    const int count = rowCount();
    for (int row = 0; row < count; ++row)
        rows.push_back(shownRow(row));
    frozenCurrent_ = currentRow();
    for (int section = 0; section < ColumnCount; ++section)
        frozenTitles_[static_cast<std::size_t>(section)] = title(section);
    frozen_ = std::move(rows);
    if (count > 0) {
        Q_EMIT dataChanged(index(0, 0), index(count - 1, ColumnCount - 1));
        Q_EMIT headerDataChanged(Qt::Vertical, 0, count - 1);
    }
}

int MappingModel::currentRow() const
{
    if (frozen_)
        return frozenCurrent_;
    if (!active() || table().isEmpty())
        return -1;
    return static_cast<int>(table().recNo());
}

bool MappingModel::pending() const
{
    if (frozen_ || !active())
        return false;
    const dataset::State state = table().state();
    return state == dataset::State::Edit || state == dataset::State::Insert;
}

bool MappingModel::untouchedNewRow() const
{
    return pending() && table().state() == dataset::State::Insert && !table().modified();
}

void MappingModel::settle()
{
    if (!pending())
        return;
    const ChangingRows changing(changing_);
    dataset::RecordSet& set = table();
    const int from = currentRow();
    if (!set.modified()) {
        if (set.state() == dataset::State::Insert) {
            changeRow(RowChange::Remove, from, [&] { set.cancel(); });
            indicatorChanged(from, currentRow());
        } else {
            set.cancel();
            indicatorChanged(from, from);
        }
        return;
    }

    // Posting puts the row at its place in the column order: the rows between its
    // old and its new place shift by one, and every index the views keep (the
    // current cell, the selection) shifts with them.
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    struct LayoutDone {
        MappingModel& model;
        const QModelIndexList& before;
        int from;
        ~LayoutDone()
        {
            const int to = model.currentRow();
            QModelIndexList after;
            after.reserve(before.size());
            for (const QModelIndex& index : before)
                after << model.index(placeAfterMove(index.row(), from, to), index.column());
            model.changePersistentIndexList(before, after);
            Q_EMIT model.layoutChanged({}, QAbstractItemModel::VerticalSortHint);
            const int count = model.rowCount();
            if (count > 0)
                Q_EMIT model.headerDataChanged(Qt::Vertical, 0, count - 1);
        }
    } done{*this, before, from};
    set.post();
}

int MappingModel::goTo(int row)
{
    if (frozen_ || !active())
        return -1;
    const int count = rowCount();
    if (count == 0)
        return -1;
    row = std::clamp(row, 0, count - 1);
    const int from = currentRow();
    if (row == from)
        return row;
    if (pending()) {
        const bool dropping = untouchedNewRow();
        settle();
        if (dropping)
            row = row > from ? row - 1 : row;
        else
            row = placeAfterMove(row, from, currentRow());
    }
    const int before = currentRow();
    table().moveTo(static_cast<std::size_t>(row));
    indicatorChanged(before, row);
    return row;
}

int MappingModel::insertRow()
{
    if (frozen_ || !active())
        return -1;
    settle();
    const ChangingRows changing(changing_);
    const int at = std::max(currentRow(), 0);
    changeRow(RowChange::Insert, at, [&] { table().insert(); });
    indicatorChanged(at, rowCount() - 1);
    return at;
}

int MappingModel::appendRow()
{
    if (frozen_ || !active())
        return -1;
    settle();
    const ChangingRows changing(changing_);
    const int at = rowCount();
    changeRow(RowChange::Insert, at, [&] { table().append(); });
    indicatorChanged(at, at);
    return at;
}

int MappingModel::removeCurrentRow()
{
    if (frozen_ || !active() || rowCount() == 0)
        return -1;
    const ChangingRows changing(changing_);
    const int at = currentRow();
    changeRow(RowChange::Remove, at, [&] { table().remove(); });
    const int now = currentRow();
    indicatorChanged(now, now);
    return now;
}

int MappingModel::findPrefix(int column, const QString& prefix) const
{
    if (frozen_ || column < 0 || column >= ColumnCount)
        return -1;
    const int count = rowCount();
    for (int row = 0; row < count; ++row)
        if (text(row, column).startsWith(prefix, Qt::CaseInsensitive))
            return row;
    return -1;
}

} // namespace app
