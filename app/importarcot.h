#pragma once
// The program's one window: the connection fields, the data file and its format,
// the mapping grid and the buttons. Its behaviour lives in the import session; the
// window holds the widgets, turns Qt's events into the handlers below and lends
// its widgets to the session through the FormHost interface.
#include "import/form_host.h"
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

class Tfimportarcot : public QWidget, public importer::FormHost {
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

    // FormHost
    platform::Dialogs& dialogs() override { return dialogs_; }
    std::string text(importer::FormField field) const override;
    void setText(importer::FormField field, const std::string& text) override;
    int separatorIndex() const override;
    int delimiterIndex() const override;
    void showStatus(const std::string& text) override;
    void hideStatus() override;
    void enableGenerate() override;
    void showLineDisplay() override;
    void setLineDisplay(const std::string& text) override;
    void progressStep() override;
    void mappingReset() override;
    void stopGridFollowing() override;
    void closeForm() override;

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
    QLineEdit* editFor(importer::FormField field) const;
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
