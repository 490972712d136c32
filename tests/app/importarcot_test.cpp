// The main window, real, on Qt's offscreen platform: its controls as the suite lays
// them out, its keys, the file dialog and what it lends to the import.
#include "app/close_on_signals.h"
#include "app/gui_main.h"
#include "app/importarcot.h"
#include "database/dm.h"
#include "platform/regional_settings.h"
#include "support/recording_dialogs.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using app::FormField;
using testing_support::RecordingDialogs;
using testing_support::TempDir;

// Counts the key presses that reach a widget, to tell a key let through from one
// that the window took.
class KeySpy : public QObject {
public:
    explicit KeySpy(QObject* target) { target->installEventFilter(this); }
    std::vector<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = new app::Tfimportarcot(dialogs_, fdm_);
        grid_ = window_->findChild<QTableView*>(QStringLiteral("DBGridEh1"));
        ASSERT_NE(grid_, nullptr);
    }

    void TearDown() override { delete window_.data(); }

    // Shown, active, and through its first activation, which comes once the window
    // is exposed on the screen.
    void showActive()
    {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
        QCoreApplication::processEvents();
    }

    // A window freed on close goes at the next pass of the event loop.
    bool freed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window_.isNull();
    }

    // A new window, created after settings.conf was given these lines.
    void recreateWithSettings(const std::string& lines)
    {
        suite_.writeSettings(lines);
        delete window_.data();
        window_ = new app::Tfimportarcot(dialogs_, fdm_);
        grid_ = child<QTableView>("DBGridEh1");
    }

    // Fills the four connection fields so that leaving Cia connects, to a company
    // database that does not exist.
    void fillConnectionFields()
    {
        window_->setText(FormField::Servidor, dir_.path().string());
        window_->setText(FormField::Tusua, "SYSDBA");
        window_->setText(FormField::TClave, "masterkey");
        window_->setText(FormField::Cia, "07");
    }

    // What CiaExit leaves behind after a failed connect: the status panel with its
    // text, and the connection's error.
    bool connectTried()
    {
        const auto* panel = child<QLabel>("Panel5");
        const bool tried = panel->isVisible();
        if (tried) {
            EXPECT_EQ(panel->text().toStdString(), "Conectando a la base de datos 07 ...");
            EXPECT_FALSE(dialogs_.shown.empty());
            if (!dialogs_.shown.empty()) {
                EXPECT_EQ(dialogs_.shown.back().kind, RecordingDialogs::Kind::Default);
            }
        }
        return tried;
    }

    template <class T = QWidget> T* child(const char* name) const
    {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }

    // Gives the grid rows and opens the editor of its first cell, which holds "5".
    QWidget* openCellEditor()
    {
        model_.setItem(0, 0, new QStandardItem(QStringLiteral("5")));
        model_.setItem(1, 0, new QStandardItem(QStringLiteral("6")));
        grid_->setModel(&model_);
        grid_->setFocus();
        grid_->setCurrentIndex(model_.index(0, 0));
        grid_->edit(model_.index(0, 0));
        QWidget* editor = grid_->indexWidget(model_.index(0, 0));
        if (editor != nullptr)
            QTest::keyClicks(editor, QStringLiteral("99"));
        return editor;
    }

    TempDir dir_;
    // A suite directory without settings.conf: the window starts with empty fields.
    testing_support::SuiteInstallation suite_{dir_};
    RecordingDialogs dialogs_;
    database::Tfdm fdm_;
    QStandardItemModel model_{2, 2};
    QPointer<app::Tfimportarcot> window_;
    QTableView* grid_ = nullptr;
};

QString shownText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    return {};
}

struct ControlCase {
    const char* name;
    const char* kind;
    const char* band; // the widget the position is relative to
    int left, top;
    int width, height; // 0: sized to its text
    const char* text;
    bool hidden;
    bool enabled;
};

const ControlCase kControls[] = {
    {"Label2", "QLabel", "Panel2", 16, 2, 333, 31,
     "Este programa importa el archivo plano de cotizaciones a Merkalo. Indique el archivo a importar, "
     "marque "
     "las columnas y presione F2.",
     false, true},
    {"Label5", "QLabel", "GroupBox1", 16, 16, 0, 0, "Servidor : ", false, true},
    {"Servidor", "QLineEdit", "GroupBox1", 76, 8, 253, 21, "", false, true},
    {"Label8", "QLabel", "GroupBox1", 16, 40, 0, 0, "Usuario : ", false, true},
    {"Tusua", "QLineEdit", "GroupBox1", 76, 32, 97, 21, "", false, true},
    {"Label9", "QLabel", "GroupBox1", 17, 64, 0, 0, "Clave : ", false, true},
    {"TClave", "QLineEdit", "GroupBox1", 76, 56, 97, 21, "", false, true},
    {"Label6", "QLabel", "GroupBox1", 17, 88, 0, 0, "Compañía:", false, true},
    {"Cia", "QLineEdit", "GroupBox1", 76, 80, 45, 21, "", false, true},
    {"Label7", "QLabel", "GroupBox2", 16, 22, 0, 0, "Ubicación:", false, true},
    {"Ubicacion", "QLineEdit", "GroupBox2", 75, 14, 201, 21, "", false, true},
    {"SpeedButton1", "QToolButton", "GroupBox2", 280, 16, 67, 59, "Explorar", false, true},
    {"ProgressBar1", "QProgressBar", "GroupBox2", 20, 37, 255, 17, "", false, true},
    {"Edit1", "QLineEdit", "GroupBox2", 20, 54, 254, 21, "", true, true},
    {"Label10", "QLabel", "GroupBox2", 24, 87, 0, 0, "Separador:", false, true},
    {"Separ", "QComboBox", "GroupBox2", 128, 79, 145, 21, "Coma (,)", false, true},
    {"Label11", "QLabel", "GroupBox2", 24, 111, 0, 0, "Delimitador de texto:", false, true},
    {"Delim", "QComboBox", "GroupBox2", 128, 103, 145, 21, "Ninguno", false, true},
    {"SpeedButton3", "QToolButton", "Panel1", 40, 1, 65, 50, "F2: Generar", false, false},
    {"SpeedButton2", "QToolButton", "Panel1", 210, 1, 65, 50, "Esc: Cancelar", false, true},
    {"Label12", "QLabel", "Panel1", 280, 7, 0, 0, "Rev:2016/06/29", false, true},
    {"Panel5", "QLabel", "fimportarcot", 8, 92, 337, 41, "", true, true},
};

TEST_F(WindowTest, ControlsAtTheirPlacesWithTheirTextsAndStates)
{
    for (const ControlCase& control : kControls) {
        SCOPED_TRACE(control.name);
        const QWidget* widget = child(control.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(control.kind));
        EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), control.band);
        EXPECT_EQ(widget->pos(), QPoint(control.left, control.top));
        if (control.width != 0) {
            EXPECT_EQ(widget->size(), QSize(control.width, control.height));
        }
        EXPECT_EQ(shownText(widget).toStdString(), control.text);
        EXPECT_EQ(widget->isHidden(), control.hidden);
        EXPECT_EQ(widget->isEnabled(), control.enabled);
    }
}

TEST_F(WindowTest, TheWindowItself)
{
    EXPECT_EQ(window_->windowTitle().toStdString(), "Importación de cotizaciones");
    EXPECT_TRUE(window_->isWindow());
    EXPECT_TRUE(window_->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window_->backgroundRole(), QPalette::Button);
    EXPECT_TRUE(window_->autoFillBackground());
    showActive();
    EXPECT_EQ(window_->size(), QSize(364, 486));
    EXPECT_FALSE(window_->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    // Centred on the desktop: the frame's centre is the screen's, give or take the
    // frame that the window system adds after the move.
    const QPoint offCentre = window_->frameGeometry().center() - window_->screen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 30);
}

struct BandCase {
    QSize client;
};

class BandTest : public WindowTest, public ::testing::WithParamInterface<BandCase> {};

TEST_P(BandTest, FiveBandsStretchAndTheGridTakesTheHeightLeft)
{
    showActive();
    const QSize client = GetParam().client;
    window_->resize(client);
    QCoreApplication::processEvents();
    const int w = client.width();
    const int h = client.height();
    const struct {
        const char* name;
        QRect geometry;
    } bands[] = {{"Panel2", {0, 0, w, 34}},
                 {"GroupBox1", {0, 34, w, 105}},
                 {"GroupBox2", {0, 139, w, 128}},
                 {"DBGridEh1", {0, 267, w, h - 319}},
                 {"Panel1", {0, h - 52, w, 52}}};
    for (const auto& band : bands) {
        SCOPED_TRACE(band.name);
        const QWidget* widget = child(band.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), window_.data());
        EXPECT_EQ(widget->geometry(), band.geometry);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, BandTest,
                         ::testing::Values(BandCase{{364, 486}}, BandCase{{600, 700}}, BandCase{{400, 330}}));

TEST_F(WindowTest, Fonts)
{
    const struct {
        const QWidget* widget;
        const char* family;
        int pixels;
    } cases[] = {
        {window_, "Liberation Sans", 11},
        {child("Servidor"), "Liberation Sans", 11},
        {child("Label2"), "Liberation Sans", 11},
        {child("SpeedButton1"), "Liberation Sans Narrow", 11},
        {child("SpeedButton2"), "Liberation Sans Narrow", 11},
        {child("SpeedButton3"), "Liberation Sans Narrow", 11},
        {grid_, "Liberation Sans Narrow", 11},
        {grid_->horizontalHeader(), "Liberation Sans", 11},
        {child("Panel5"), "Liberation Sans", 13},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.widget, nullptr);
        SCOPED_TRACE(c.widget->objectName().toStdString());
        EXPECT_EQ(c.widget->font().family().toStdString(), c.family);
        EXPECT_EQ(c.widget->font().pixelSize(), c.pixels);
        // The font is there, not a fallback.
        EXPECT_EQ(QFontInfo(c.widget->font()).family().toStdString(), c.family);
    }
}

TEST_F(WindowTest, StatusPanelLooks)
{
    const auto* panel = child<QLabel>("Panel5");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->alignment(), Qt::AlignCenter);
    EXPECT_EQ(panel->palette().color(panel->foregroundRole()), QColor(0, 0, 128));
    EXPECT_EQ(panel->frameShape(), QFrame::Panel);
    EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
    EXPECT_TRUE(panel->autoFillBackground());
}

TEST_F(WindowTest, EditBoxesAndLists)
{
    EXPECT_EQ(child<QLineEdit>("TClave")->echoMode(), QLineEdit::Password);
    for (const char* name : {"Servidor", "Tusua", "Cia", "Ubicacion", "Edit1"})
        EXPECT_EQ(child<QLineEdit>(name)->echoMode(), QLineEdit::Normal) << name;

    const struct {
        const char* name;
        QStringList items;
    } lists[] = {{"Separ", {"Coma (,)", "Punto y coma (;)", "Tabulador"}},
                 {"Delim", {"Ninguno", "Comillas (\")", "Comilla simple (')"}}};
    for (const auto& list : lists) {
        SCOPED_TRACE(list.name);
        const auto* combo = child<QComboBox>(list.name);
        ASSERT_NE(combo, nullptr);
        EXPECT_FALSE(combo->isEditable());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        EXPECT_EQ(items, list.items);
        EXPECT_EQ(combo->currentIndex(), 0);
    }

    const auto* bar = child<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(WindowTest, PasswordShowsAStarForEachCharacterWhateverTheStyle)
{
    auto* clave = child<QLineEdit>("TClave");
    clave->setText(QStringLiteral("contraseña"));
    EXPECT_EQ(clave->displayText().toStdString(), "**********");
    showActive();
    const QString original = QApplication::style()->name();
    QStringList styles = QStyleFactory::keys();
    ASSERT_FALSE(styles.isEmpty());
    for (const QString& style : styles) {
        SCOPED_TRACE(style.toStdString());
        QApplication::setStyle(style);
        EXPECT_EQ(clave->displayText().toStdString(), "**********");
        EXPECT_EQ(clave->text().toStdString(), "contraseña");
    }
    QApplication::setStyle(original);
}

// Qt cuts a line edit's text at 32767 characters unless told otherwise.
TEST_F(WindowTest, EditBoxesHaveNoLengthLimit)
{
    showActive();
    window_->showLineDisplay();
    const QString longText(40000, QLatin1Char('x'));
    for (const char* name : {"Servidor", "Tusua", "TClave", "Cia", "Ubicacion", "Edit1"}) {
        SCOPED_TRACE(name);
        auto* edit = child<QLineEdit>(name);
        ASSERT_NE(edit, nullptr);
        edit->setText(longText);
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_Y);
        EXPECT_EQ(edit->text().size(), 40001);
        EXPECT_TRUE(edit->text().endsWith(QLatin1Char('y')));
        edit->clear();
    }
}

TEST_F(WindowTest, ALongSettingsLineIsTakenWhole)
{
    const std::string path = "/datos/" + std::string(40000, 'p') + ".txt";
    recreateWithSettings("\n\n\n\n" + path + "\n");
    EXPECT_EQ(window_->text(FormField::Ubicacion), path);
}

// Markup characters in data (a company code, a status) are shown as they stand.
TEST_F(WindowTest, LabelsShowTheirTextsAsPlainText)
{
    showActive();
    const auto labels = window_->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 10);
    for (const QLabel* label : labels)
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    window_->showStatus("Conectando a la base de datos <i> ...");
    EXPECT_EQ(child<QLabel>("Panel5")->text().toStdString(), "Conectando a la base de datos <i> ...");
}

TEST_F(WindowTest, FlatPictureButtonsTakeNoFocus)
{
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3"}) {
        SCOPED_TRACE(name);
        const auto* button = child<QToolButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(button->autoRaise());
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_EQ(button->iconSize(), QSize(46, 32));
        EXPECT_EQ(button->icon().pixmap(QSize(46, 32)).size(), QSize(46, 32));
    }
}

struct TabCase {
    bool lineDisplayShown;
    std::vector<std::string> cycle;
};

class TabOrderTest : public WindowTest, public ::testing::WithParamInterface<TabCase> {};

TEST_P(TabOrderTest, TabCyclesFromServidorBackToServidor)
{
    showActive();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), child("Servidor"));
    if (GetParam().lineDisplayShown)
        window_->showLineDisplay();
    std::vector<std::string> visited;
    for (std::size_t i = 0; i < GetParam().cycle.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(visited, GetParam().cycle);
}

INSTANTIATE_TEST_SUITE_P(LineDisplay, TabOrderTest,
                         ::testing::Values(TabCase{false,
                                                   {"Tusua", "TClave", "Cia", "Ubicacion", "Separ", "Delim",
                                                    "DBGridEh1", "Servidor"}},
                                           TabCase{true,
                                                   {"Tusua", "TClave", "Cia", "Ubicacion", "Edit1", "Separ",
                                                    "Delim", "DBGridEh1", "Servidor"}}));

struct HeldKeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class HeldKeyTest : public WindowTest, public ::testing::WithParamInterface<HeldKeyCase> {};

TEST_P(HeldKeyTest, WithShiftCtrlOrAltTheKeyGoesOnToTheControl)
{
    showActive();
    QWidget* servidor = child("Servidor");
    servidor->setFocus();
    KeySpy spy(servidor);
    QTest::keyClick(servidor, GetParam().key, GetParam().modifiers);
    // Qt's test keyboard presses the modifier keys first: look for the key itself.
    EXPECT_NE(std::find(spy.keys.begin(), spy.keys.end(), GetParam().key), spy.keys.end());
    EXPECT_FALSE(freed());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(dialogs_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Modifiers, HeldKeyTest,
                         ::testing::Values(HeldKeyCase{Qt::Key_F2, Qt::ShiftModifier},
                                           HeldKeyCase{Qt::Key_F2, Qt::ControlModifier},
                                           HeldKeyCase{Qt::Key_F2, Qt::AltModifier},
                                           HeldKeyCase{Qt::Key_Escape, Qt::ShiftModifier},
                                           HeldKeyCase{Qt::Key_Escape, Qt::ControlModifier},
                                           HeldKeyCase{Qt::Key_Escape, Qt::AltModifier}));

TEST_F(WindowTest, F2RunsTheImportWhileGenerateIsDisabled)
{
    const struct {
        const char* focus; // nullptr: the grid's cell editor
    } cases[] = {{"Servidor"}, {"Cia"}, {nullptr}};
    showActive();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus ? c.focus : "cell editor");
        ASSERT_FALSE(window_.isNull());
        dialogs_.shown.clear();
        ASSERT_FALSE(child("SpeedButton3")->isEnabled());
        QWidget* target = c.focus ? child(c.focus) : openCellEditor();
        ASSERT_NE(target, nullptr);
        target->setFocus();
        KeySpy spy(target);
        QTest::keyClick(target, Qt::Key_F2);
        // The window took the key, and the run told the user something: that the
        // data file is missing, or why it could not go on.
        EXPECT_TRUE(spy.keys.empty());
        EXPECT_FALSE(dialogs_.shown.empty());
        if (freed()) {
            // A run that the missing file ends closes the window; start afresh.
            window_ = new app::Tfimportarcot(dialogs_, fdm_);
            grid_ = child<QTableView>("DBGridEh1");
            showActive();
        }
    }
}

TEST_F(WindowTest, KeysInsideAModalBoxAreTheBoxs)
{
    showActive();
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Escape}) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Importarcot"), QStringLiteral("Aviso"),
                        QMessageBox::Ok, window_);
        box.open();
        box.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&box] { return QApplication::activeWindow() == &box; }));
        KeySpy spy(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(spy.keys, std::vector<int>{key});
        box.close();
    }
    EXPECT_FALSE(freed());
    EXPECT_TRUE(dialogs_.shown.empty());
}

enum class Popup { SeparList, DelimList, ServidorMenu };

struct PopupKeyCase {
    const char* name;
    Popup popup;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

void PrintTo(const PopupKeyCase& c, std::ostream* out)
{
    *out << c.name;
}

class PopupKeyTest : public WindowTest, public ::testing::WithParamInterface<PopupKeyCase> {
protected:
    // Opens the popup and gives back the widget that its keys go to.
    QWidget* openPopup()
    {
        switch (GetParam().popup) {
        case Popup::SeparList:
            child<QComboBox>("Separ")->showPopup();
            break;
        case Popup::DelimList:
            child<QComboBox>("Delim")->showPopup();
            break;
        case Popup::ServidorMenu: {
            QWidget* servidor = child("Servidor");
            servidor->setFocus();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                   servidor->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(servidor, &menu);
            break;
        }
        }
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr)
            return nullptr;
        // Where Qt sends the keys while a popup is open.
        return popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
    }
};

// With a list dropped down or a context menu open, F2 and Esc still act: the popup
// closes and the run starts, or the window closes.
TEST_P(PopupKeyTest, KeysInAPopupOfTheWindow)
{
    const PopupKeyCase& c = GetParam();
    showActive();
    QWidget* receiver = openPopup();
    ASSERT_NE(receiver, nullptr);
    ASSERT_NE(receiver->window(), window_.data());
    QTest::keyClick(receiver, c.key, c.modifiers);
    const bool held = c.modifiers != Qt::NoModifier;
    if (held) {
        EXPECT_FALSE(freed());
        EXPECT_FALSE(child("Panel5")->isVisible());
        EXPECT_TRUE(dialogs_.shown.empty());
    } else if (c.key == Qt::Key_F2) {
        // The run started: its status is up, and without a connection it stopped
        // at its first read and said why.
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(child<QLabel>("Panel5")->text().toStdString(),
                  "Importando cotizaciones. Espere un momento...");
        EXPECT_TRUE(child("Panel5")->isVisible());
        EXPECT_FALSE(dialogs_.shown.empty());
    } else {
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_TRUE(freed());
        EXPECT_TRUE(dialogs_.shown.empty());
    }
    if (QWidget* open = QApplication::activePopupWidget())
        open->close();
}

INSTANTIATE_TEST_SUITE_P(
    Popups, PopupKeyTest,
    ::testing::Values(PopupKeyCase{"F2InSeparList", Popup::SeparList, Qt::Key_F2, Qt::NoModifier},
                      PopupKeyCase{"F2InDelimList", Popup::DelimList, Qt::Key_F2, Qt::NoModifier},
                      PopupKeyCase{"F2InServidorMenu", Popup::ServidorMenu, Qt::Key_F2, Qt::NoModifier},
                      PopupKeyCase{"EscInSeparList", Popup::SeparList, Qt::Key_Escape, Qt::NoModifier},
                      PopupKeyCase{"EscInServidorMenu", Popup::ServidorMenu, Qt::Key_Escape, Qt::NoModifier},
                      PopupKeyCase{"ShiftF2InSeparList", Popup::SeparList, Qt::Key_F2, Qt::ShiftModifier},
                      PopupKeyCase{"CtrlEscInDelimList", Popup::DelimList, Qt::Key_Escape,
                                   Qt::ControlModifier}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, EscClosesAndFreesTheWindowWhileACellIsEdited)
{
    showActive();
    QWidget* editor = openCellEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(freed());
    // The text typed into the editor never reached the cell.
    EXPECT_EQ(model_.item(0, 0)->text().toStdString(), "5");
    EXPECT_TRUE(dialogs_.shown.empty());
}

enum class CloseWay { EscInServidor, CancelButton, TitleBar, FromTheRun, Terminated };

class CloseTest : public WindowTest, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(CloseTest, ClosingFreesTheWindow)
{
    showActive();
    QWidget* servidor = child("Servidor");
    servidor->setFocus();
    switch (GetParam()) {
    case CloseWay::EscInServidor:
        QTest::keyClick(servidor, Qt::Key_Escape);
        break;
    case CloseWay::CancelButton:
        QTest::mouseClick(child("SpeedButton2"), Qt::LeftButton);
        break;
    case CloseWay::TitleBar:
        window_->close();
        break;
    case CloseWay::FromTheRun:
        window_->closeForm();
        break;
    case CloseWay::Terminated:
        // As the program's start-up wires it: SIGTERM closes the window through the
        // event loop, as if the user had closed it.
        new app::CloseOnSignals(window_);
        ASSERT_EQ(std::raise(SIGTERM), 0);
        EXPECT_TRUE(QTest::qWaitFor([this] { return freed(); }));
        break;
    }
    EXPECT_TRUE(freed());
    EXPECT_TRUE(dialogs_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values(CloseWay::EscInServidor, CloseWay::CancelButton,
                                           CloseWay::TitleBar, CloseWay::FromTheRun, CloseWay::Terminated));

TEST_F(WindowTest, ExplorarPutsTheChosenFileIntoUbicacion)
{
    const struct {
        std::optional<std::string> answer;
        const char* startsWith; // the name the dialog is opened with
        const char* ubicacion;  // Ubicacion afterwards
    } steps[] = {
        {"/datos/cotizaciones.txt", "", "/datos/cotizaciones.txt"},
        {std::nullopt, "/datos/cotizaciones.txt", "/datos/cotizaciones.txt"},
        {"/otros/año 2016.csv", "/datos/cotizaciones.txt", "/otros/año 2016.csv"},
        {std::nullopt, "/otros/año 2016.csv", "/otros/año 2016.csv"},
    };
    showActive();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.answer.value_or("cancel"));
        dialogs_.shown.clear();
        dialogs_.openFileAnswer = step.answer;
        QTest::mouseClick(child("SpeedButton1"), Qt::LeftButton);
        ASSERT_EQ(dialogs_.shown.size(), 1u);
        EXPECT_EQ(dialogs_.shown[0].kind, RecordingDialogs::Kind::OpenFile);
        EXPECT_EQ(dialogs_.lastOpenFileRequest.filter,
                  "Archivos de texto|*.txt|Archivos de valores separados por comas|*.csv");
        EXPECT_EQ(dialogs_.lastOpenFileRequest.initialFile, step.startsWith);
        EXPECT_EQ(child<QLineEdit>("Ubicacion")->text().toStdString(), step.ubicacion);
    }
}

// "importarcot FILE": the window reads its settings first, then shows FILE as the
// data file in place of the one settings.conf names; without it, settings.conf's.
TEST_F(WindowTest, DataFileFromTheCommandLineReplacesTheSettingsOne)
{
    suite_.writeSettings("/srv/merkalo\r\nSYSDBA\r\nclave\r\n\r\n/datos/settings.csv\r\n0\r\n");
    const struct {
        std::optional<std::string> operand;
        const char* ubicacion;
    } cases[] = {
        {std::nullopt, "/datos/settings.csv"},
        {"/tmp/cotización -style.csv", "/tmp/cotización -style.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ubicacion);
        delete window_.data();
        window_ = app::createWindow(dialogs_, fdm_, c.operand);
        EXPECT_EQ(child<QLineEdit>("Ubicacion")->text().toStdString(), c.ubicacion);
        EXPECT_EQ(child<QLineEdit>("Tusua")->text().toStdString(), "SYSDBA");
        EXPECT_TRUE(dialogs_.shown.empty());
    }
}

TEST_F(WindowTest, FieldTextsAreUtf8)
{
    const struct {
        FormField field;
        const char* name;
        const char* text;
    } cases[] = {{FormField::Servidor, "Servidor", "servidor.ñandú:/srv"},
                 {FormField::Tusua, "Tusua", "JOSÉ"},
                 {FormField::TClave, "TClave", "contraseña"},
                 {FormField::Cia, "Cia", "07 "},
                 {FormField::Ubicacion, "Ubicacion", "/datos/cotización.csv"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_->setText(c.field, c.text);
        EXPECT_EQ(child<QLineEdit>(c.name)->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(window_->text(c.field), c.text);
    }
}

TEST_F(WindowTest, SelectedSeparatorAndDelimiter)
{
    for (const auto& [separator, delimiter] : {std::pair{2, 1}, std::pair{1, 2}, std::pair{0, 0}}) {
        child<QComboBox>("Separ")->setCurrentIndex(separator);
        child<QComboBox>("Delim")->setCurrentIndex(delimiter);
        EXPECT_EQ(window_->separatorIndex(), separator);
        EXPECT_EQ(window_->delimiterIndex(), delimiter);
    }
}

TEST_F(WindowTest, StatusPanelShowsOverTheGroupBoxes)
{
    showActive();
    const auto* panel = child<QLabel>("Panel5");
    window_->showStatus("Conectando a la base de datos 07 ...");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text().toStdString(), "Conectando a la base de datos 07 ...");
    // Whatever lies under it in the group boxes, the panel is what shows there.
    for (const QPoint& point : {QPoint(20, 100), QPoint(176, 112), QPoint(340, 130)})
        EXPECT_EQ(window_->childAt(point), panel) << point.x() << "," << point.y();
    window_->hideStatus();
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(WindowTest, GenerateAndLineDisplay)
{
    showActive();
    window_->connected();
    EXPECT_TRUE(child("SpeedButton3")->isEnabled());
    window_->showLineDisplay();
    window_->setLineDisplay("CT12 - 770");
    EXPECT_TRUE(child("Edit1")->isVisible());
    EXPECT_EQ(child<QLineEdit>("Edit1")->text().toStdString(), "CT12 - 770");
}

TEST_F(WindowTest, ProgressStepStartsAgainPastTheMaximum)
{
    const struct {
        int steps;
        int value;
    } cases[] = {{1, 1}, {99, 99}, {100, 100}, {101, 0}, {102, 1}, {250, 48}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        child<QProgressBar>("ProgressBar1")->setValue(0);
        for (int i = 0; i < c.steps; ++i)
            window_->progressStep();
        EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), c.value);
    }
}

TEST_F(WindowTest, StopGridFollowingDropsTheOpenEditorsText)
{
    showActive();
    QWidget* editor = openCellEditor();
    ASSERT_NE(editor, nullptr);
    window_->stopGridFollowing();
    EXPECT_EQ(grid_->indexWidget(model_.index(0, 0)), nullptr);
    EXPECT_EQ(model_.item(0, 0)->text().toStdString(), "5");
    // Without an editor open there is nothing to drop.
    window_->stopGridFollowing();
    EXPECT_EQ(model_.item(0, 0)->text().toStdString(), "5");
}

enum class Leaving { Tab, Backtab, ClickIntoUbicacion, MessageBox, ClickOnExplorar };

struct LeavingCase {
    Leaving how;
    bool connects;
};

class CiaExitTest : public WindowTest, public ::testing::WithParamInterface<LeavingCase> {};

TEST_P(CiaExitTest, OnlyMovingTheFocusToAnotherControlLeavesCia)
{
    showActive();
    fillConnectionFields();
    QWidget* cia = child("Cia");
    cia->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), cia);
    switch (GetParam().how) {
    case Leaving::Tab:
        QTest::keyClick(cia, Qt::Key_Tab);
        break;
    case Leaving::Backtab:
        QTest::keyClick(cia, Qt::Key_Backtab, Qt::ShiftModifier);
        break;
    case Leaving::ClickIntoUbicacion:
        QTest::mouseClick(child("Ubicacion"), Qt::LeftButton);
        break;
    case Leaving::MessageBox: {
        // A box takes the activation and gives it back: Cia keeps the window's focus.
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Importarcot"), QStringLiteral("Aviso"),
                        QMessageBox::Ok, window_);
        box.open();
        box.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&box] { return QApplication::activeWindow() == &box; }));
        box.accept();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == window_; }));
        EXPECT_EQ(QApplication::focusWidget(), cia);
        break;
    }
    case Leaving::ClickOnExplorar:
        // The flat button takes no focus; its dialog is answered with a cancel.
        QTest::mouseClick(child("SpeedButton1"), Qt::LeftButton);
        EXPECT_EQ(QApplication::focusWidget(), cia);
        break;
    }
    EXPECT_EQ(connectTried(), GetParam().connects);
}

INSTANTIATE_TEST_SUITE_P(Ways, CiaExitTest,
                         ::testing::Values(LeavingCase{Leaving::Tab, true},
                                           LeavingCase{Leaving::Backtab, true},
                                           LeavingCase{Leaving::ClickIntoUbicacion, true},
                                           LeavingCase{Leaving::MessageBox, false},
                                           LeavingCase{Leaving::ClickOnExplorar, false}));

TEST_F(WindowTest, FirstShowConnectsWhenTheSettingsFillTheFourFields)
{
    const struct {
        const char* name;
        std::string settings;
        bool connects;
    } cases[] = {
        {"all four", dir_.path().string() + "\nSYSDBA\nmasterkey\n07\n\n", true},
        {"no server", "\nSYSDBA\nmasterkey\n07\n\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recreateWithSettings(c.settings);
        dialogs_.shown.clear();
        EXPECT_FALSE(child("Panel5")->isVisible());
        showActive();
        QCoreApplication::processEvents();
        EXPECT_EQ(connectTried(), c.connects);

        // Shown again, the window is not activated for the first time again.
        window_->hideStatus();
        const auto shownBefore = dialogs_.shown.size();
        window_->hide();
        showActive();
        QCoreApplication::processEvents();
        EXPECT_FALSE(child("Panel5")->isVisible());
        EXPECT_EQ(dialogs_.shown.size(), shownBefore);
    }
}

TEST_F(WindowTest, RegionalSettingsReadAgainWhenTheLocaleChanges)
{
    platform::setRegionalSettings({'#', "yy|MM|dd", '|'});
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(window_, &change);
    const platform::RegionalSettings system = platform::readSystemRegionalSettings();
    EXPECT_EQ(platform::regionalSettings().decimalSeparator, system.decimalSeparator);
    EXPECT_EQ(platform::regionalSettings().shortDateFormat, system.shortDateFormat);
    EXPECT_EQ(platform::regionalSettings().dateSeparator, system.dateSeparator);
}

} // namespace
