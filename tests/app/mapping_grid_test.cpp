// The mapping grid of the real window on Qt's offscreen platform, over the mapping
// read from a real company database: what it shows after the connect, how the user
// changes the mapping in it with keys and mouse, and what the run then takes.
#include "app/importarcot.h"
#include "app/mapping_grid.h"
#include "app/qt_dialogs.h"
#include "database/dm.h"
#include "database/statement.h"
#include "dataset/record_set.h"
#include "import/mapping.h"
#include "platform/regional_settings.h"
#include "support/company_db.h"
#include "support/recording_dialogs.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using app::FormField;
using testing_support::RecordingDialogs;
using Kind = RecordingDialogs::Kind;

enum Column { Dato, Columna, Ancho, Importar };

std::string str(const QVariant& value)
{
    return value.toString().toStdString();
}

class MappingGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        database_ = testing_support::createCompanyDatabase(dir_.path(), "01", true);
        window_ = new app::Tfimportarcot(dialogs_, fdm_);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
        grid_ = window_->findChild<QTableView*>(QStringLiteral("DBGridEh1"));
        ASSERT_NE(grid_, nullptr);
    }

    void TearDown() override { delete window_.data(); }

    // Leaving Cia with the four fields filled: connect to company 01 and load the mapping.
    void connect()
    {
        window_->setText(FormField::Servidor, dir_.path().string());
        window_->setText(FormField::Tusua, "SYSDBA");
        window_->setText(FormField::TClave, "masterkey");
        window_->setText(FormField::Cia, "01");
        window_->CiaExit();
        ASSERT_TRUE(dialogs_.shown.empty()) << dialogs_.shown[0].text;
        grid_->setFocus();
    }

    QAbstractItemModel* model() const { return grid_->model(); }
    int rows() const { return model()->rowCount(); }
    QModelIndex at(int row, int column) const { return model()->index(row, column); }
    std::string cell(int row, int column) const { return str(at(row, column).data()); }
    Qt::CheckState check(int row) const
    {
        return at(row, Importar).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }
    std::vector<std::string> columnTexts(int column) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < rows(); ++row)
            texts.push_back(cell(row, column));
        return texts;
    }
    std::vector<std::string> demoColumns(int first, int last) const
    {
        std::vector<std::string> texts;
        for (int column = first; column <= last; ++column)
            texts.push_back(std::to_string(column));
        return texts;
    }
    std::string indicator(int row) const { return str(model()->headerData(row, Qt::Vertical)); }

    dataset::RecordSet& table() { return window_->session().mapping().CImportacion(); }
    // The values stored in the mapping table for a data name: COLUMNA and IMPORTAR.
    std::pair<std::string, std::string> stored(const std::string& dato)
    {
        dataset::RecordSet& set = table();
        const auto value = [&](std::size_t row, const char* field) -> std::string {
            const dataset::Value& v = set.valueAt(row, set.field(field).index());
            if (const auto* text = std::get_if<std::string>(&v))
                return *text;
            if (const auto* number = std::get_if<std::int32_t>(&v))
                return std::to_string(*number);
            return "";
        };
        for (std::size_t row = 0; row < set.recordCount(); ++row)
            if (value(row, "DATO") == dato)
                return {value(row, "COLUMNA"), value(row, "IMPORTAR")};
        return {"missing", "missing"};
    }

    QPoint centre(int row, int column) const { return grid_->visualRect(at(row, column)).center(); }
    void click(int row, int column)
    {
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, centre(row, column));
    }
    // Makes a cell current with a click; a cell current already is left first, so
    // that the click neither starts an editor nor goes unnoticed.
    void moveTo(int row, int column)
    {
        if (grid_->currentIndex() == at(row, column))
            click(row == 0 ? 1 : 0, column == Dato ? Ancho : Dato);
        click(row, column);
    }
    void clickCheckBox(int row)
    {
        QStyleOptionViewItem option;
        option.initFrom(grid_->viewport());
        option.rect = grid_->visualRect(at(row, Importar));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            grid_->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, grid_);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, box.center());
    }
    // A double click on a cell, as the user opens its editor; the editor, if any.
    QLineEdit* openEditor(int row, int column)
    {
        click(row, column);
        QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, centre(row, column));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return editor != nullptr && grid_->isAncestorOf(editor) ? editor : nullptr;
    }
    // Whether a cell editor of the grid has the focus.
    bool editing() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr && focus != grid_ && grid_->isAncestorOf(focus);
    }
    void key(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(keyCode), modifiers);
    }

    // A window freed on close goes at the next pass of the event loop.
    bool freed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window_.isNull();
    }

    std::vector<std::vector<std::string>> query(const std::string& sql)
    {
        database::Statement statement(fdm_.Merkalo(), sql);
        std::vector<std::vector<std::string>> result;
        for (const auto& row : statement.fetchAll()) {
            std::vector<std::string> texts;
            for (const auto& value : row) {
                if (const auto* text = std::get_if<std::string>(&value))
                    texts.push_back(*text);
                else if (const auto* number = std::get_if<std::int32_t>(&value))
                    texts.push_back(std::to_string(*number));
                else if (const auto* decimal = std::get_if<dataset::Decimal>(&value))
                    texts.push_back(decimal->toText('.'));
                else
                    texts.push_back("");
            }
            result.push_back(texts);
        }
        return result;
    }

    testing_support::TempDir dir_;
    // A suite directory without settings.conf: the window starts with empty fields.
    testing_support::SuiteInstallation suite_{dir_};
    std::filesystem::path database_;
    RecordingDialogs dialogs_;
    database::Tfdm fdm_;
    QPointer<app::Tfimportarcot> window_;
    QTableView* grid_ = nullptr;
};

// The descriptions of the demo company's first rows, in column order.
const char* const kFirstDescriptions[] = {"Prefijo de la cotización", "Número de la cotización",
                                          "Fecha de la cotización"};

TEST_F(MappingGridTest, EmptyUntilTheConnectThenTheMappingInColumnOrder)
{
    EXPECT_EQ(rows(), 0);
    connect();
    ASSERT_EQ(rows(), 28);
    const struct {
        const char* title;
        Qt::ItemFlags editing;
    } columns[] = {
        {"Dato", {}}, {"Columna", Qt::ItemIsEditable}, {"Ancho", {}}, {"Importar", Qt::ItemIsUserCheckable}};
    for (int column = 0; column < 4; ++column) {
        SCOPED_TRACE(columns[column].title);
        EXPECT_EQ(str(model()->headerData(column, Qt::Horizontal)), columns[column].title);
        EXPECT_EQ(at(0, column).flags() & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable),
                  columns[column].editing);
    }
    EXPECT_TRUE(grid_->horizontalHeader()->isVisible());
    EXPECT_TRUE(grid_->verticalHeader()->isVisible());
    EXPECT_TRUE(grid_->showGrid());

    EXPECT_EQ(columnTexts(Columna), demoColumns(1, 28));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(cell(row, Dato), kFirstDescriptions[row]);
    EXPECT_EQ((std::vector<std::string>{cell(0, Ancho), cell(7, Ancho)}),
              (std::vector<std::string>{"4", "60"}));
    for (int row = 0; row < rows(); ++row)
        EXPECT_EQ(check(row), Qt::Checked) << row;
    // The current row is the first, marked in the row indicator.
    EXPECT_EQ(grid_->currentIndex().row(), 0);
    EXPECT_EQ(indicator(0), "\u25BA");
    EXPECT_EQ(indicator(1), "");
}

TEST_F(MappingGridTest, DescriptionsByTheExactName)
{
    testing_support::runSql(database_,
                            "update NOMBRES_CAMPOS set NOMBRE = 'pref_pre' where NOMBRE = 'PREF_PRE';"
                            "insert into IMPORTACION_INVENTARIO values (30, 'SIN_NOMBRE', 40, null);"
                            "insert into IMPORTACION_INVENTARIO values (30, 'ARTI_COD', 0, 10);");
    connect();
    const struct {
        int row;
        const char* dato;
        const char* columna;
        const char* ancho;
    } cases[] = {
        {0, "Código del artículo", "0", "10"},
        {1, "", "1", "4"}, // its description differs in case only
        {3, "Fecha de la cotización", "3", "10"},
        {29, "", "40", "0"}, // no description at all, no width
    };
    ASSERT_EQ(rows(), 30);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(cell(c.row, Dato), c.dato);
        EXPECT_EQ(cell(c.row, Columna), c.columna);
        EXPECT_EQ(cell(c.row, Ancho), c.ancho);
        EXPECT_EQ(check(c.row), Qt::Checked);
    }
}

TEST_F(MappingGridTest, ColumnsFittedToTheGridsWidth)
{
    connect();
    const struct {
        int windowWidth;
        bool roomForAll; // the smallest widths leave room for the description
    } cases[] = {{364, true}, {900, true}, {200, false}, {500, true}};
    const QHeaderView* titles = grid_->horizontalHeader();
    const int smallest[] = {titles->minimumSectionSize(), 70, 70, 50};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowWidth);
        window_->resize(c.windowWidth, 486);
        QApplication::processEvents();
        QApplication::processEvents();
        ASSERT_EQ(window_->width(), c.windowWidth);
        int total = 0;
        for (int column = 0; column < 4; ++column) {
            EXPECT_GE(titles->sectionSize(column), smallest[column]) << column;
            total += titles->sectionSize(column);
        }
        const int width = grid_->viewport()->width();
        EXPECT_EQ(width >= smallest[0] + 190, c.roomForAll) << width;
        if (c.roomForAll)
            EXPECT_EQ(total, width);
        else
            EXPECT_GT(total, width);
        // The fixed-width columns grow with the grid once the description is wide.
        if (width > 600) {
            EXPECT_GT(titles->sectionSize(Columna), 70);
        }
    }
}

TEST_F(MappingGridTest, ColumnsResizedAndMovedWithTheMouse)
{
    connect();
    QHeaderView* titles = grid_->horizontalHeader();
    const int width = grid_->viewport()->width();
    const int before = titles->sectionSize(Columna);

    // Drag the right edge of "Columna" 30 pixels to the right.
    const int edge = titles->sectionViewportPosition(Columna) + titles->sectionSize(Columna) - 1;
    const int y = titles->height() / 2;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(titles->viewport(), QPoint(edge + 30, y));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edge + 30, y));
    EXPECT_EQ(titles->sectionSize(Columna), before + 30);
    int total = 0;
    for (int column = 0; column < 4; ++column)
        total += titles->sectionSize(column);
    EXPECT_EQ(total, width);

    // Dragging it narrower than its smallest width leaves it at that width.
    const int edgeNow = titles->sectionViewportPosition(Columna) + titles->sectionSize(Columna) - 1;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edgeNow, y));
    QTest::mouseMove(titles->viewport(), QPoint(edgeNow - 80, y));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edgeNow - 80, y));
    EXPECT_EQ(titles->sectionSize(Columna), 70);

    // Drag the title "Importar" onto "Dato": it becomes the first column.
    const QPoint from(titles->sectionViewportPosition(Importar) + titles->sectionSize(Importar) / 2, y);
    const QPoint to(titles->sectionViewportPosition(Dato) + 5, y);
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(titles->viewport(), (from + to) / 2);
    QTest::mouseMove(titles->viewport(), to);
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(titles->visualIndex(Importar), 0);
    // Tab now goes from the moved column to the description.
    click(0, Importar);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid_->currentIndex().column(), Dato);
}

TEST_F(MappingGridTest, TabAndEnterMoveFromCellToCell)
{
    connect();
    const struct {
        int row, column;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int toRow, toColumn;
    } cases[] = {
        {0, Dato, Qt::Key_Tab, {}, 0, Columna},
        {0, Columna, Qt::Key_Return, {}, 0, Ancho},
        {0, Ancho, Qt::Key_Enter, Qt::KeypadModifier, 0, Importar},
        {0, Importar, Qt::Key_Tab, {}, 1, Dato},
        {1, Dato, Qt::Key_Backtab, Qt::ShiftModifier, 0, Importar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column) + " key " +
                     std::to_string(c.key));
        moveTo(c.row, c.column);
        key(c.key, c.modifiers);
        EXPECT_EQ(grid_->currentIndex(), at(c.toRow, c.toColumn));
        EXPECT_FALSE(editing());
    }
    // Enter in the cell editor takes the value and goes on like Tab.
    QLineEdit* editor = openEditor(2, Columna);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("44"));
    key(Qt::Key_Return);
    EXPECT_EQ(grid_->currentIndex(), at(2, Ancho));
    EXPECT_EQ(stored("COTI_FECHA").first, "44");
    // Ctrl+Tab leaves the grid for the next control of the window.
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(grid_->hasFocus());
}

TEST_F(MappingGridTest, TheColumnaEditorTakesOnlyASignedInteger)
{
    connect();
    const struct {
        const char* typed;
        const char* editorText;
        const char* stored; // COLUMNA of COTI_FECHA afterwards
        const char* message;
    } cases[] = {
        {"1a2", "12", "12", nullptr},
        {"x", "3", "3", nullptr},
        {"-7", "-7", "-7", nullptr},
        {"+5", "+5", "5", nullptr},
        {"-+5", "-5", "-5", nullptr},
        {"99999999999", "99999999999", "3", "'99999999999' is not a valid integer value for field 'Columna'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs_.shown.clear();
        // Start from the loaded mapping every time.
        window_->CiaExit();
        ASSERT_TRUE(dialogs_.shown.empty());
        QLineEdit* editor = openEditor(2, Columna);
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QString::fromUtf8(c.typed));
        EXPECT_EQ(editor->text().toStdString(), c.editorText);
        key(Qt::Key_Tab);
        EXPECT_EQ(stored("COTI_FECHA").first, c.stored);
        if (c.message != nullptr)
            EXPECT_EQ(dialogs_.shown, (std::vector<RecordingDialogs::Shown>{{Kind::Default, c.message}}));
        else
            EXPECT_TRUE(dialogs_.shown.empty());
    }
}

TEST_F(MappingGridTest, TypingOutsideAnEditorSearchesTheCurrentColumn)
{
    connect();
    const struct {
        int column;
        const char* typed;
        int row; // where the grid ends
    } cases[] = {
        {Columna, "2", 1},    {Columna, "25", 24},
        {Columna, "290", 19}, // no row begins with 29: the 9 is not taken, 20 is found
        {Dato, "fe", 2},      {Dato, "NOM", 7},
        {Dato, "zz", 0},      {Ancho, "6", 4}, // the first row 6 (or 60) wide
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        // Moving to another cell starts the search text anew.
        click(5, (c.column + 1) % 4);
        click(0, c.column);
        QTest::keyClicks(grid_, QString::fromUtf8(c.typed));
        EXPECT_EQ(grid_->currentIndex(), at(c.row, c.column));
        EXPECT_EQ(indicator(c.row), "\u25BA");
        EXPECT_FALSE(editing());
    }
    // Nothing was edited.
    EXPECT_EQ(columnTexts(Columna), demoColumns(1, 28));
    EXPECT_EQ(table().state(), dataset::State::Browse);
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MappingGridTest, AnEditedColumnMovesItsRowOnceTheRowIsLeft)
{
    const struct {
        const char* how;
        bool byClick;            // on row 5; otherwise Down
        int currentRow;          // where the grid is afterwards
        const char* currentDato; // and which row that is
    } cases[] = {
        {"Down", false, 0, "Número de la cotización"},
        {"click", true, 4, "Punto de venta"},
    };
    connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        window_->CiaExit();
        QLineEdit* editor = openEditor(0, Columna);
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QStringLiteral("30"));
        key(Qt::Key_Tab);
        // The cell counts at once, the row stays where it was until it is left.
        EXPECT_EQ(cell(0, Columna), "30");
        EXPECT_EQ(cell(0, Dato), kFirstDescriptions[0]);
        EXPECT_EQ(indicator(0), "I");
        if (c.byClick)
            click(5, Dato);
        else
            key(Qt::Key_Down);
        std::vector<std::string> expected = demoColumns(2, 28);
        expected.push_back("30");
        EXPECT_EQ(columnTexts(Columna), expected);
        EXPECT_EQ(cell(27, Dato), kFirstDescriptions[0]);
        EXPECT_EQ(grid_->currentIndex().row(), c.currentRow);
        EXPECT_EQ(cell(c.currentRow, Dato), c.currentDato);
        EXPECT_EQ(table().recNo(), static_cast<std::size_t>(c.currentRow));
        EXPECT_EQ(table().state(), dataset::State::Browse);
        EXPECT_EQ(grid_->selectionModel()->selectedRows(), QModelIndexList{at(c.currentRow, 0)});
    }
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MappingGridTest, TheCheckBoxWritesSiAndNoAtOnce)
{
    connect();
    clickCheckBox(7);
    EXPECT_EQ(check(7), Qt::Unchecked);
    EXPECT_EQ(stored("COTI_NOMTERC").second, "NO");
    clickCheckBox(7);
    EXPECT_EQ(stored("COTI_NOMTERC").second, "SI");
    // Space does the same on the current cell.
    key(Qt::Key_Space);
    EXPECT_EQ(check(7), Qt::Unchecked);
    EXPECT_EQ(stored("COTI_NOMTERC").second, "NO");
    // A new row has no flag: its box is greyed until it is ticked or cleared.
    key(Qt::Key_Insert);
    EXPECT_EQ(check(7), Qt::PartiallyChecked);
    key(Qt::Key_Space);
    EXPECT_EQ(check(7), Qt::Checked);
}

enum class RunStart { EditorOpenF2, EditorOpenButton, Tab, Enter, ClickAnotherCell, ImportarCleared };

struct RunCase {
    RunStart start;
    const char* nomterc; // COTI_NOMTERC as stored
    const char* name;
};

class RunAfterEdits : public MappingGridTest, public ::testing::WithParamInterface<RunCase> {};

// One quotation whose client name is in column 8 and branch in column 9; the row of
// the client name is the eighth of the grid.
TEST_P(RunAfterEdits, TheRunTakesWhatTheUserLeftTheCellWith)
{
    connect();
    std::vector<std::string> fields(28);
    const std::pair<int, const char*> values[] = {
        {1, "CT"},      {2, "1"},     {3, "05/03/2024"},     {5, "7"},  {7, "900123"},
        {8, "Cliente"}, {9, "Norte"}, {16, "7707001000017"}, {18, "1"}, {21, "100"}};
    for (const auto& [column, value] : values)
        fields[static_cast<std::size_t>(column - 1)] = value;
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i == 0 ? "" : ",") + fields[i];
    window_->setText(FormField::Ubicacion, dir_.write("cotizaciones.txt", line + "\r\n").string());

    const RunStart start = GetParam().start;
    if (start == RunStart::ImportarCleared) {
        clickCheckBox(7);
    } else {
        QLineEdit* editor = openEditor(7, Columna);
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QStringLiteral("9"));
        if (start == RunStart::Tab)
            key(Qt::Key_Tab);
        else if (start == RunStart::Enter)
            key(Qt::Key_Enter, Qt::KeypadModifier);
        else if (start == RunStart::ClickAnotherCell)
            click(7, Dato);
    }
    if (start == RunStart::EditorOpenButton)
        QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
    else
        key(Qt::Key_F2);

    EXPECT_EQ(dialogs_.shown,
              (std::vector<RecordingDialogs::Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_TRUE(freed());
    EXPECT_EQ(query("select COTI_NOMTERC, COTI_SUCURSAL from COTIZACIONES"),
              (std::vector<std::vector<std::string>>{{GetParam().nomterc, "Norte"}}));
    // Nothing of the mapping went to the database.
    EXPECT_EQ(query("select IMIN_COLUMNA from IMPORTACION_INVENTARIO where IMIN_DATO = 'COTI_NOMTERC'"),
              (std::vector<std::vector<std::string>>{{"8"}}));
}

INSTANTIATE_TEST_SUITE_P(Starts, RunAfterEdits,
                         ::testing::Values(RunCase{RunStart::EditorOpenF2, "Cliente", "EditorOpenF2"},
                                           RunCase{RunStart::EditorOpenButton, "Cliente", "EditorOpenButton"},
                                           RunCase{RunStart::Tab, "Norte", "Tab"},
                                           RunCase{RunStart::Enter, "Norte", "Enter"},
                                           RunCase{RunStart::ClickAnotherCell, "Norte", "ClickAnotherCell"},
                                           RunCase{RunStart::ImportarCleared, "", "ImportarCleared"}),
                         [](const ::testing::TestParamInfo<RunCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(MappingGridTest, AfterAStoppedRunTheGridNoLongerFollowsTheTable)
{
    connect();
    window_->setText(FormField::Ubicacion, dir_.write("cotizaciones.txt", "CT,1,31/02/2024\r\n").string());
    QLineEdit* editor = openEditor(0, Columna);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("30"));
    key(Qt::Key_Tab);
    key(Qt::Key_F2);
    ASSERT_EQ(dialogs_.shown,
              (std::vector<RecordingDialogs::Shown>{{Kind::Default, "'31/02/2024' is not a valid date."}}));
    ASSERT_FALSE(freed());
    // The run posted the changed row, which went to its place at the end of the
    // table; the grid still shows it where it was.
    EXPECT_EQ(table().state(), dataset::State::Browse);
    EXPECT_EQ(stored("PREF_PRE").first, "30");
    EXPECT_EQ(table().field("DATO").asString(), "PREF_PRE");
    EXPECT_EQ(table().recNo(), 27u);
    EXPECT_EQ(cell(0, Columna), "30");
    EXPECT_EQ(cell(0, Dato), kFirstDescriptions[0]);
    // And it takes no more changes.
    key(Qt::Key_Insert);
    clickCheckBox(1);
    EXPECT_EQ(rows(), 28);
    EXPECT_EQ(table().recordCount(), 28u);
    EXPECT_EQ(check(1), Qt::Checked);
    EXPECT_EQ(stored("COTI_NUMERO").second, "SI");
}

TEST_F(MappingGridTest, InsertAndAppendNewRows)
{
    connect();
    click(3, Columna);
    key(Qt::Key_Insert);
    ASSERT_EQ(rows(), 29);
    EXPECT_EQ(grid_->currentIndex(), at(3, Columna));
    EXPECT_EQ((std::vector<std::string>{cell(3, Dato), cell(3, Columna), cell(3, Ancho)}),
              (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(indicator(3), "*");
    // In a new row typing edits; leaving the row puts it at its place.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
    ASSERT_TRUE(editing());
    key(Qt::Key_Tab);
    key(Qt::Key_Down);
    EXPECT_EQ(cell(0, Columna), "0");
    EXPECT_EQ(grid_->currentIndex(), at(4, Ancho));
    EXPECT_EQ(cell(4, Columna), "4");

    // Down on the last row appends one; again on the untouched new row, nothing.
    click(28, Dato);
    key(Qt::Key_Down);
    ASSERT_EQ(rows(), 30);
    EXPECT_EQ(grid_->currentIndex(), at(29, Dato));
    EXPECT_EQ(indicator(29), "*");
    key(Qt::Key_Down);
    EXPECT_EQ(rows(), 30);
    // Leaving it untouched drops it.
    key(Qt::Key_Up);
    EXPECT_EQ(rows(), 29);
    EXPECT_EQ(grid_->currentIndex(), at(28, Dato));
    // Tab past the last cell appends as well.
    click(28, Ancho);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(rows(), 30);
    EXPECT_EQ(grid_->currentIndex(), at(29, Dato));

    EXPECT_EQ(table().recordCount(), 30u);
    EXPECT_EQ(query("select count(*) from IMPORTACION_INVENTARIO where IMIN_TIPO = 30"),
              (std::vector<std::vector<std::string>>{{"28"}}));
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MappingGridTest, AnUntouchedNewRowIsDroppedWhenTheFocusLeavesTheGrid)
{
    const struct {
        const char* name;
        bool touched;
        int rowsAfter;
    } cases[] = {{"untouched", false, 28}, {"ticked", true, 29}};
    connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_->CiaExit();
        click(3, Ancho);
        key(Qt::Key_Insert);
        ASSERT_EQ(rows(), 29);
        if (c.touched) {
            key(Qt::Key_Tab);
            key(Qt::Key_Space);
        }
        QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("Ubicacion")), Qt::LeftButton);
        ASSERT_FALSE(grid_->hasFocus());
        EXPECT_EQ(rows(), c.rowsAfter);
        EXPECT_EQ(table().recordCount(), static_cast<std::size_t>(c.rowsAfter));
    }
}

TEST_F(MappingGridTest, CtrlDeleteAsksBeforeDeletingTheRow)
{
    const struct {
        bool answer;
        std::vector<std::string> firstColumns;
    } cases[] = {{false, {"1", "2", "3", "4", "5"}}, {true, {"1", "2", "3", "5", "6"}}};
    connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        window_->CiaExit();
        dialogs_.shown.clear();
        dialogs_.confirmAnswer = c.answer;
        click(3, Dato);
        key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(dialogs_.shown,
                  (std::vector<RecordingDialogs::Shown>{{Kind::Confirm, "¿Borrar el registro?"}}));
        const std::vector<std::string> columns = columnTexts(Columna);
        EXPECT_EQ(std::vector<std::string>(columns.begin(), columns.begin() + 5), c.firstColumns);
        EXPECT_EQ(rows(), c.answer ? 27 : 28);
        EXPECT_EQ(grid_->currentIndex().row(), 3);
        EXPECT_EQ(stored("COTI_VALIDEZ").first, c.answer ? "missing" : "4");
    }
    EXPECT_EQ(query("select count(*) from IMPORTACION_INVENTARIO where IMIN_TIPO = 30"),
              (std::vector<std::vector<std::string>>{{"28"}}));
}

TEST_F(MappingGridTest, EscClosesTheWindowWhileACellIsEdited)
{
    connect();
    QLineEdit* editor = openEditor(0, Columna);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("9"));
    ASSERT_EQ(QApplication::focusWidget(), editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(freed());
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MappingGridTest, ALaterConnectShowsTheTableReadAnew)
{
    connect();
    clickCheckBox(0);
    QLineEdit* editor = openEditor(1, Columna);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("40"));
    key(Qt::Key_Tab);
    database::Statement(fdm_.Merkalo(), "delete from IMPORTACION_INVENTARIO where IMIN_DATO = 'CTDE_TOTAL'")
        .execute();
    QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("Cia")), Qt::LeftButton);
    QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("Ubicacion")), Qt::LeftButton);
    EXPECT_TRUE(dialogs_.shown.empty());
    ASSERT_EQ(rows(), 27);
    EXPECT_EQ(columnTexts(Columna), demoColumns(1, 27));
    EXPECT_EQ(check(0), Qt::Checked);
    EXPECT_EQ(grid_->currentIndex().row(), 0);
    EXPECT_EQ(table().state(), dataset::State::Browse);
}

TEST(FitColumnWidths, SharesInProportionAboveTheSmallestWidths)
{
    const struct {
        std::vector<int> base;
        int available;
        int pinned;
        std::vector<int> widths;
    } cases[] = {
        {{254, 70, 70, 50}, 888, -1, {508, 140, 140, 100}}, // twice the base
        {{254, 70, 70, 50}, 331, -1, {141, 70, 70, 50}},    // the fixed ones at their smallest
        {{254, 70, 70, 50}, 150, -1, {20, 70, 70, 50}},     // not even room for those
        {{100, 100, 100, 100}, 401, -1, {101, 100, 100, 100}},
        {{200, 120, 70, 50}, 400, 1, {160, 120, 70, 50}}, // the resized one keeps its width
        {{200, 300, 70, 50}, 400, 1, {20, 260, 70, 50}},  // as far as the others leave room
        {{200, 40, 70, 50}, 400, 1, {207, 70, 72, 51}},   // never below its smallest
    };
    const std::vector<int> smallest = {20, 70, 70, 50};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.available);
        EXPECT_EQ(app::fitColumnWidths(c.base, smallest, c.available, c.pinned), c.widths);
    }
}

TEST(QtDialogsConfirm, AQuestionAnsweredSiOrNo)
{
    app::QtDialogs dialogs("Importarcot");
    for (const char* answer : {"Sí", "No"}) {
        SCOPED_TRACE(answer);
        QString title;
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            timer->stop();
            timer->deleteLater();
            title = box->windowTitle();
            text = box->text();
            format = box->textFormat();
            icon = box->icon();
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QString::fromUtf8(answer))
                    button->click();
        });
        timer->start();
        const bool yes = dialogs.confirm("¿Borrar el registro?");
        EXPECT_EQ(yes, std::string(answer) == "Sí");
        EXPECT_EQ(title.toStdString(), "Importarcot");
        EXPECT_EQ(text.toStdString(), "¿Borrar el registro?");
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(icon, QMessageBox::Question);
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{QStringLiteral("No"), QStringLiteral("Sí")}));
    }
}

} // namespace
