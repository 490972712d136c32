#pragma once
// The program's one window: the connection fields, the data file and its format,
// the mapping grid and the buttons. Its behaviour lives in the import session; the
// window holds the widgets, turns Qt's events into the handlers below, builds the
// session's requests from its controls and draws the session's events.
#include "import/run_events.h"
#include "import/session.h"

#include <QWidget>
#include <string>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableView;
class QToolButton;

namespace database {
class Tfdm;
}

namespace app {

class MappingGrid;

// The edit boxes whose texts the program reads and the settings file fills.
enum class FormField { Servidor, Tusua, TClave, Cia, Ubicacion };

class Tfimportarcot : public QWidget, public importer::RunEvents {
    Q_OBJECT

public:
    Tfimportarcot(platform::Dialogs& dialogs, database::Tfdm& fdm, QWidget* parent = nullptr);
    ~Tfimportarcot() override;

    // Event handlers. Each runs its body inside the guard of platform::runGuarded,
    // so no failure leaves a handler towards Qt's event loop.
    void FormCreate();
    void FormActivate();
    void CiaExit();
    // The key preview: true when the key was taken (F2 or Esc without Shift, Ctrl
    // or Alt); the key then goes no further.
    bool FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void FormClose();

    importer::ImportSession& session() { return session_; }

    // The controls, texts in UTF-8.
    std::string text(FormField field) const;
    void setText(FormField field, const std::string& text);
    // The items selected in Separ and Delim (0, 1 or 2).
    int separatorIndex() const;
    int delimiterIndex() const;
    // What F2 runs: the file and its format as the controls give them.
    importer::RunRequest runRequest() const;

    // The widgets as the session's events draw them.
    // Panel5: set its text, show it and repaint the window at once.
    void showStatus(const std::string& text);
    void hideStatus();
    // Edit1: shown by the run, then the line being imported.
    void showLineDisplay();
    void setLineDisplay(const std::string& text);
    // ProgressBar1 advances by its step; a step past 100 starts again from 0.
    void progressStep() override;
    // The grid stops following the mapping table: an editor still open is dropped,
    // a changed row is posted.
    void stopGridFollowing();
    // Closes the window, which ends the program.
    void closeForm();

    // RunEvents
    void statusShown(const std::string& text) override { showStatus(text); }
    void statusHidden() override { hideStatus(); }
    void connected() override;
    void mappingReset() override;
    void runPreparing() override;
    void lineDisplayed(const std::string& text) override { setLineDisplay(text); }
    void runEnded(importer::RunEnd end) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildBands();
    void buildOrigin(QGroupBox* box);
    void buildParameters(QGroupBox* box);
    void buildButtons(QFrame* panel);
    void buildTabOrder();
    QLineEdit* editFor(FormField field) const;
    void dropGridEditor();
    bool isCiaExit(QEvent* event) const;
    bool ownsKeysOf(const QWidget* widget) const;
    void closePopups();
    void activateOnceExposed();

    platform::Dialogs& dialogs_;
    importer::ImportSession session_;
    // OpenDialog1 keeps the name last chosen and starts with it the next time.
    std::string lastChosenFile_;
    bool shownBefore_ = false;
    // Shown for the first time, the first activation waits for the window to be
    // exposed on the screen.
    bool awaitingFirstExposure_ = false;

    QFrame* panel2_ = nullptr;
    QLabel* label2_ = nullptr;
    QGroupBox* groupBox1_ = nullptr;
    QLineEdit* servidor_ = nullptr;
    QLineEdit* tusua_ = nullptr;
    QLineEdit* tclave_ = nullptr;
    QLineEdit* cia_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QLineEdit* ubicacion_ = nullptr;
    QToolButton* speedButton1_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QComboBox* separ_ = nullptr;
    QComboBox* delim_ = nullptr;
    MappingGrid* dbGridEh1_ = nullptr;
    QFrame* panel1_ = nullptr;
    QToolButton* speedButton3_ = nullptr;
    QToolButton* speedButton2_ = nullptr;
    QLabel* panel5_ = nullptr;
};

// The fonts of the window. "MS Sans Serif" and "Arial Narrow" do not exist here;
// Liberation Sans and Liberation Sans Narrow have their metrics. Eight points at
// 96 dots per inch are 11 pixels.
QFont windowFont();
QFont narrowFont();

// The filter of OpenDialog1, in the "description|pattern|..." form.
inline constexpr const char* kDataFileFilter =
    "Archivos de texto|*.txt|Archivos de valores separados por comas|*.csv";

} // namespace app
