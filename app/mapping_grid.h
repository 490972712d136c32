#pragma once
// The mapping grid DBGridEh1: a table view over the column mapping with the habits
// of a data grid. A title row and a row indicator; the columns fitted together to
// the grid's width; Tab and Enter moving from cell to cell; typing searching the
// current column; Insert, Down on the last row and Ctrl+Delete adding and deleting
// rows; a row posted when the grid leaves it, a new untouched row dropped when the
// focus leaves the grid.
#include <QElapsedTimer>
#include <QTableView>
#include <functional>
#include <vector>

namespace importer {
class Mapping;
}
namespace platform {
class Dialogs;
}

namespace app {

class MappingModel;
class MappingDelegate;

// Widths of columns fitted together to `available` pixels: each column gets a share
// in proportion to its base width, and a column whose share would fall below its
// smallest width keeps that width while the others share the rest. The column
// `pinned` (when in range) keeps its base width as far as the others' smallest
// widths leave room. When the smallest widths alone exceed `available`, every
// column has its smallest width and the total is wider than asked.
std::vector<int> fitColumnWidths(const std::vector<int>& base, const std::vector<int>& smallest,
                                 int available, int pinned = -1);

// The text of the question before a row is deleted.
inline constexpr const char* kDeleteRowQuestion = "¿Borrar el registro?";

class MappingGrid : public QTableView {
    Q_OBJECT

public:
    MappingGrid(importer::Mapping& mapping, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~MappingGrid() override;

    // The mapping table was created anew: show it, fit the columns, and make its
    // current row the grid's.
    void mappingReset();
    // The grid stops following the table for good: it keeps showing what it shows
    // and takes no more changes.
    void stopFollowing();

    // Design widths of "Columna", "Ancho" and "Importar", which are also their
    // smallest widths; "Dato" has none of its own (see datoWidth).
    static constexpr int kColumnaWidth = 70;
    static constexpr int kAnchoWidth = 70;
    static constexpr int kImportarWidth = 50;
    // The width a column without one of its own starts from: as many digits of the
    // grid's font as the description holds characters.
    int datoWidth() const;
    // The smallest width of each column, in model order.
    std::vector<int> smallestWidths() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    bool ours() const;
    bool guarded(const std::function<void()>& change);
    void fitColumns(int pinned = -1);
    void columnResized(int logical, int oldSize, int newSize);
    void focusMoved(QWidget* old, QWidget* now);
    bool search(const QString& typed);
    void makeCurrent(int row, int column);
    void selectCurrentRow();
    int currentColumnOr(int column) const;
    // A new row at the end; its place, or -1.
    int appendRow();

    platform::Dialogs& dialogs_;
    MappingModel* model_ = nullptr;
    MappingDelegate* delegate_ = nullptr;
    // The widths the columns are fitted from: the design widths until the user
    // resizes a column, the widths the user left after that.
    std::vector<int> baseWidths_;
    bool userWidths_ = false;
    bool fitting_ = false;
    // Moving the view's current cell to the table's current row, which is there
    // already.
    bool syncing_ = false;
    // The incremental search: the text typed so far and the time of the last key.
    QString searchText_;
    QElapsedTimer searchClock_;
    bool searching_ = false;
};

} // namespace app
