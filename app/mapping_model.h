#pragma once
// The column mapping CImportacion as a Qt table model for the grid DBGridEh1: one
// row per mapping row in the table's own order (by column number), the columns
// "Dato", "Columna", "Ancho" and "Importar". The record set stays the one place
// where the rows live; the model reads it, and every change the grid makes goes
// through the record set's own operations (edit, assign, post, cancel, insert,
// append, delete) so that the run finds the table exactly as the user left it.
#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace dataset {
class RecordSet;
}
namespace importer {
class Mapping;
}
namespace platform {
class Dialogs;
}

namespace app {

class MappingModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Dato, Columna, Ancho, Importar, ColumnCount };

    // Failures of the record set's operations (a column number out of range, say)
    // go to the default error display of these dialogs.
    MappingModel(importer::Mapping& mapping, platform::Dialogs& dialogs, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // "Columna" takes a text (EditRole) by the field's integer rules; a text equal to
    // the one shown assigns nothing. "Importar" takes a check state (CheckStateRole):
    // ticked writes "SI", cleared "NO". Both put the row in edit state; the row is
    // posted when the grid leaves it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The table was created anew: show it from its current row, and follow it again.
    void reset();
    // The grid stops following the table: what is shown now stays shown, and
    // nothing can be changed through the model any more. From then on the model
    // reads nothing of the table, which the run is using on a thread of its own.
    void freeze();
    bool frozen() const { return frozen_.has_value(); }

    // The table's current row; -1 when it has no rows or is not open.
    int currentRow() const;
    // Whether the current row has a change not yet posted, or is a new row.
    bool pending() const;
    // Whether the current row is a new row nothing was assigned to.
    bool untouchedNewRow() const;
    // Makes the row current. A pending row that is left first is posted (and takes
    // its place in the column order) or, when nothing was assigned to a new row,
    // dropped; the row asked for is followed through that, and its place afterwards
    // is returned (-1 when there is nothing to move to).
    int goTo(int row);
    // A pending row is posted, or dropped when it is new and untouched.
    void settle();
    // A new row at the current row's place, or after the last one. Returns its place.
    int insertRow();
    int appendRow();
    // Deletes the current row; returns the place of the row that is current then.
    int removeCurrentRow();
    // Whether the model is in the middle of changing the table's rows; a view that
    // moves its current cell meanwhile must not move the table.
    bool changing() const { return changing_ > 0; }
    // The first row whose text in the column begins with the given text, compared
    // without regard to case; -1 when none does.
    int findPrefix(int column, const QString& prefix) const;

Q_SIGNALS:
    // A change made through setData moved the table to another row (a check box
    // clicked in a row that was not the current one): the view follows.
    void assignedElsewhere(const QModelIndex& index);

private:
    struct ShownRow {
        QString dato, columna, ancho;
        Qt::CheckState importar = Qt::PartiallyChecked;
    };

    dataset::RecordSet& table() const;
    bool active() const;
    ShownRow shownRow(int row) const;
    QString text(int row, int column) const;
    QString title(int section) const;
    void indicatorChanged(int oldRow, int newRow);
    // Runs a change of the table inside the default error display; false when it failed.
    bool guarded(const std::function<void()>& change);
    enum class RowChange { Insert, Remove };
    // Runs a change of the table that puts a row in at `at` or takes the row at `at`
    // out, between the model's begin and end of that row change. A change that fails
    // may have changed the table all the same, so the views then read it anew.
    void changeRow(RowChange kind, int at, const std::function<void()>& change);

    importer::Mapping& mapping_;
    platform::Dialogs& dialogs_;
    std::optional<std::vector<ShownRow>> frozen_;
    std::array<QString, ColumnCount> frozenTitles_;
    int frozenCurrent_ = -1;
    // A modal error box opened from an assignment lets the editor lose its focus,
    // which commits it again; the second commit is not taken.
    bool assigning_ = false;
    int changing_ = 0;
};

} // namespace app
