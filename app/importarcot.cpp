#include "app/importarcot.h"

#include "app/mapping_grid.h"
#include "platform/guard.h"
#include "platform/regional_settings.h"
#include "platform/stop_request.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <limits>

// The button pictures are compiled into this static library; Qt needs to be told
// to register them, outside any namespace.
static void registerPictures()
{
    Q_INIT_RESOURCE(images);
}

namespace app {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// The edit boxes are flat with a single-line border, as the suite draws them.
constexpr const char* kFlatEditRules =
    "border: 1px solid palette(shadow); background: palette(base); padding: 0px 1px;";

// The password box shows "*" (42) for each character. Qt takes the masking
// character from the style, which differs between styles (often a black circle);
// a style sheet's own hint wins over whatever style lies beneath it.
constexpr const char* kPasswordRule = "lineedit-password-character: 42;";

QLabel* label(QWidget* parent, const char* name, const char* text, int left, int top)
{
    auto* result = new QLabel(parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setTextFormat(Qt::PlainText);
    result->setText(QString::fromUtf8(text));
    result->adjustSize();
    result->move(left, top);
    return result;
}

// extraRules: style rules of this edit besides the flat look.
QLineEdit* edit(QWidget* parent, const char* name, QRect geometry, const char* extraRules = "")
{
    auto* result = new QLineEdit(parent);
    result->setObjectName(QString::fromLatin1(name));
    // Set once, here: Qt reads the masking character from the rules it has when the
    // edit is made, and a second style sheet given before the edit is first shown
    // would not reach it.
    result->setStyleSheet(QStringLiteral("QLineEdit { %1 %2 }")
                              .arg(QString::fromLatin1(kFlatEditRules), QString::fromLatin1(extraRules)));
    // No length limit: a value is taken whole, however long (Qt's default cuts at 32767).
    result->setMaxLength(std::numeric_limits<int>::max());
    result->setGeometry(geometry);
    return result;
}

QComboBox* listOnlyCombo(QWidget* parent, const char* name, QRect geometry, const QStringList& items)
{
    auto* result = new QComboBox(parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setEditable(false);
    result->addItems(items);
    result->setCurrentIndex(0);
    result->setGeometry(geometry);
    return result;
}

// A flat picture button: the 46 x 32 picture right above the caption, and no
// keyboard focus, so that clicking it leaves the focus where it was.
QToolButton* pictureButton(QWidget* parent, const char* name, const char* caption, const char* picture,
                           QRect geometry)
{
    auto* result = new QToolButton(parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setText(QString::fromUtf8(caption));
    result->setIcon(QIcon(QString::fromLatin1(picture)));
    result->setIconSize(QSize(46, 32));
    result->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    result->setAutoRaise(true);
    result->setFocusPolicy(Qt::NoFocus);
    result->setFont(narrowFont());
    result->setGeometry(geometry);
    return result;
}

// The line of figures takes the bottom of the status panel, the status text the rest.
constexpr int kFiguresHeight = 15;

QFrame* band(QWidget* parent, const char* name, int height)
{
    auto* result = new QFrame(parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setFrameStyle(QFrame::Panel | QFrame::Raised);
    result->setLineWidth(1);
    result->setFixedHeight(height);
    return result;
}

} // namespace

QFont windowFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

QFont narrowFont()
{
    QFont font(QStringLiteral("Liberation Sans Narrow"));
    font.setPixelSize(11);
    return font;
}

Tfimportarcot::Tfimportarcot(platform::Dialogs& dialogs, database::Tfdm& fdm, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs), relay_(*this, dialogs), session_(relay_, relay_, fdm)
{
    relay_.follow(session_);
    registerPictures();
    setObjectName(QStringLiteral("fimportarcot"));
    setWindowTitle(QStringLiteral("Importación de cotizaciones"));
    setFont(windowFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    resize(364, 486);

    buildBands();
    buildTabOrder();
    servidor_->setFocus();

    // Key preview: the window sees every key press of its controls before they do,
    // the grid's cell editor included, so the filter sits on the application.
    // The same filter sees Cia losing the focus.
    qApp->installEventFilter(this);

    FormCreate();
}

Tfimportarcot::~Tfimportarcot()
{
    qApp->removeEventFilter(this);
    // The grid reads the session's mapping table until it is gone, so it goes
    // before the session does rather than with the other controls.
    delete dbGridEh1_;
    dbGridEh1_ = nullptr;
}

void Tfimportarcot::buildBands()
{
    auto* bands = new QVBoxLayout(this);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);

    panel2_ = band(this, "Panel2", 34);
    label2_ = new QLabel(panel2_);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setTextFormat(Qt::PlainText);
    label2_->setText(
        QStringLiteral("Este programa importa el archivo plano de cotizaciones a Merkalo. Indique el "
                       "archivo a importar, marque las columnas y presione F2."));
    label2_->setWordWrap(true);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2_->setGeometry(16, 2, 333, 31);
    bands->addWidget(panel2_);

    groupBox1_ = new QGroupBox(QStringLiteral("Origen:"), this);
    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1_->setFixedHeight(105);
    buildOrigin(groupBox1_);
    bands->addWidget(groupBox1_);

    groupBox2_ = new QGroupBox(QStringLiteral("Parámetros "), this);
    groupBox2_->setObjectName(QStringLiteral("GroupBox2"));
    groupBox2_->setFixedHeight(128);
    buildParameters(groupBox2_);
    bands->addWidget(groupBox2_);

    // The mapping grid takes whatever height the other bands leave.
    dbGridEh1_ = new MappingGrid(session_.mapping(), dialogs_, this);
    dbGridEh1_->setObjectName(QStringLiteral("DBGridEh1"));
    dbGridEh1_->setFont(narrowFont());
    dbGridEh1_->horizontalHeader()->setFont(windowFont());
    dbGridEh1_->verticalHeader()->setFont(windowFont());
    // Rows as high as the narrow font needs, as a data grid draws them.
    dbGridEh1_->verticalHeader()->setDefaultSectionSize(QFontMetrics(narrowFont()).height() + 5);
    // Like the other bands, the grid may be shrunk to nothing with the window.
    dbGridEh1_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    bands->addWidget(dbGridEh1_, 1);

    panel1_ = band(this, "Panel1", 52);
    buildButtons(panel1_);
    bands->addWidget(panel1_);

    // The status panel lies over the two group boxes, outside the bands.
    panel5_ = new QLabel(this);
    panel5_->setObjectName(QStringLiteral("Panel5"));
    // The status text carries data (the company code): shown as it stands, never as markup.
    panel5_->setTextFormat(Qt::PlainText);
    panel5_->setGeometry(8, 92, 337, 41);
    panel5_->setAlignment(Qt::AlignCenter);
    panel5_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel5_->setLineWidth(1);
    QFont statusFont = windowFont();
    statusFont.setPixelSize(13);
    panel5_->setFont(statusFont);
    QPalette statusPalette = panel5_->palette();
    statusPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    panel5_->setPalette(statusPalette);
    panel5_->setBackgroundRole(QPalette::Button);
    panel5_->setForegroundRole(QPalette::WindowText);
    panel5_->setAutoFillBackground(true);
    // Under the status text while a file is read: the line, the file's lines and
    // the quotations stored and refused so far.
    runFigures_ = new QLabel(panel5_);
    runFigures_->setObjectName(QStringLiteral("RunFigures"));
    runFigures_->setTextFormat(Qt::PlainText);
    runFigures_->setAlignment(Qt::AlignCenter);
    runFigures_->setFont(windowFont());
    const int frame = panel5_->frameWidth();
    runFigures_->setGeometry(frame, panel5_->height() - frame - kFiguresHeight, panel5_->width() - 2 * frame,
                             kFiguresHeight);
    runFigures_->hide();
    panel5_->hide();
}

void Tfimportarcot::buildOrigin(QGroupBox* box)
{
    label(box, "Label5", "Servidor : ", 16, 16);
    servidor_ = edit(box, "Servidor", QRect(76, 8, 253, 21));
    label(box, "Label8", "Usuario : ", 16, 40);
    tusua_ = edit(box, "Tusua", QRect(76, 32, 97, 21));
    label(box, "Label9", "Clave : ", 17, 64);
    tclave_ = edit(box, "TClave", QRect(76, 56, 97, 21), kPasswordRule);
    tclave_->setEchoMode(QLineEdit::Password);
    label(box, "Label6", "Compañía:", 17, 88);
    cia_ = edit(box, "Cia", QRect(76, 80, 45, 21));
}

void Tfimportarcot::buildParameters(QGroupBox* box)
{
    label(box, "Label7", "Ubicación:", 16, 22);
    ubicacion_ = edit(box, "Ubicacion", QRect(75, 14, 201, 21));
    speedButton1_ =
        pictureButton(box, "SpeedButton1", "Explorar", ":/images/explorar.xpm", QRect(280, 16, 67, 59));
    connect(speedButton1_, &QToolButton::clicked, this, &Tfimportarcot::SpeedButton1Click);

    progressBar1_ = new QProgressBar(box);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    progressBar1_->setTextVisible(false);
    progressBar1_->setGeometry(20, 37, 255, 17);

    edit1_ = edit(box, "Edit1", QRect(20, 54, 254, 21));
    edit1_->hide();

    label(box, "Label10", "Separador:", 24, 87);
    separ_ = listOnlyCombo(
        box, "Separ", QRect(128, 79, 145, 21),
        {QStringLiteral("Coma (,)"), QStringLiteral("Punto y coma (;)"), QStringLiteral("Tabulador")});
    label(box, "Label11", "Delimitador de texto:", 24, 111);
    delim_ = listOnlyCombo(
        box, "Delim", QRect(128, 103, 145, 21),
        {QStringLiteral("Ninguno"), QStringLiteral("Comillas (\")"), QStringLiteral("Comilla simple (')")});
}

void Tfimportarcot::buildButtons(QFrame* panel)
{
    speedButton3_ =
        pictureButton(panel, "SpeedButton3", "F2: Generar", ":/images/generar.xpm", QRect(40, 1, 65, 50));
    speedButton3_->setEnabled(false);
    connect(speedButton3_, &QToolButton::clicked, this, &Tfimportarcot::SpeedButton3Click);
    speedButton2_ =
        pictureButton(panel, "SpeedButton2", "Esc: Cancelar", ":/images/cancelar.xpm", QRect(210, 1, 65, 50));
    connect(speedButton2_, &QToolButton::clicked, this, &Tfimportarcot::SpeedButton2Click);
    label(panel, "Label12", "Rev:2016/06/29", 280, 7);
}

// Band by band, then within each band: the four connection fields, the data file,
// the line display (only while shown), the two formats, the grid, and round again.
void Tfimportarcot::buildTabOrder()
{
    QWidget* const chain[] = {servidor_, tusua_, tclave_, cia_,      ubicacion_,
                              edit1_,    separ_, delim_,  dbGridEh1_};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

// ---- Handlers ---------------------------------------------------------------

void Tfimportarcot::FormCreate()
{
    platform::runGuarded(dialogs_, [this] {
        const importer::Settings settings = session_.readSettings();
        const std::pair<const std::optional<std::string>&, FormField> read[] = {
            {settings.server, FormField::Servidor},
            {settings.user, FormField::Tusua},
            {settings.password, FormField::TClave},
            {settings.company, FormField::Cia},
            {settings.dataPath, FormField::Ubicacion}};
        for (const auto& [value, field] : read)
            if (value)
                setText(field, *value);
    });
}

void Tfimportarcot::FormActivate()
{
    for (FormField field : {FormField::Servidor, FormField::Tusua, FormField::TClave, FormField::Cia})
        if (text(field).empty())
            return;
    CiaExit();
}

void Tfimportarcot::CiaExit()
{
    // The window takes no input while its run goes on; Cia keeps its text.
    if (running())
        return;
    runImport(true);
}

bool Tfimportarcot::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    bool taken = false;
    platform::runGuarded(dialogs_, [&] {
        if (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
            return;
        // F2 does not look at the state of "F2: Generar": it runs also before any connect.
        if (key == Qt::Key_F2) {
            taken = true;
            closePopups();
            SpeedButton3Click();
        } else if (key == Qt::Key_Escape) {
            taken = true;
            closePopups();
            SpeedButton2Click();
        }
    });
    return taken;
}

void Tfimportarcot::SpeedButton1Click()
{
    platform::runGuarded(dialogs_, [this] {
        // The file named in Ubicacion, in its folder; without one, the name last chosen.
        const std::string named = text(FormField::Ubicacion);
        const auto chosen = dialogs_.openFile({kDataFileFilter, named.empty() ? lastChosenFile_ : named});
        if (!chosen)
            return;
        lastChosenFile_ = *chosen;
        ubicacion_->setText(qt(*chosen));
    });
}

void Tfimportarcot::SpeedButton2Click()
{
    platform::runGuarded(dialogs_, [this] { close(); });
}

void Tfimportarcot::SpeedButton3Click()
{
    // F2 starts no second run inside the first.
    if (running())
        return;
    runImport(false);
}

// The run goes on in the background while this handler waits for it, the window
// answering meanwhile; the caller finds the run over, as before. A connect that
// failed and a run that stopped hide the status panel once their box is answered,
// so that the fields under it can be seen and corrected.
void Tfimportarcot::runImport(bool connectFirst)
{
    const bool done = platform::runGuarded(dialogs_, [this, connectFirst] {
        // Only the first mapping of the window, with the unattended flag, starts the run.
        if (connectFirst && !session_.connect(runRequest().connection))
            return;
        importer::RunRequest request = runRequest();
        request.stop = &relay_.stopRequest();
        relay_.runInBackground([this, request] { session_.run(request); });
    });
    if (!done)
        hideStatus();
    if (regionalSettingsChanged_) {
        regionalSettingsChanged_ = false;
        platform::runGuarded(dialogs_, [] { platform::reloadRegionalSettings(); });
    }
    // A signal ended the program while the run went on.
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

// Esc and closing the window while a run goes on: the run waits at its next line
// while the user answers, and yes stops it there.
void Tfimportarcot::askToStop()
{
    if (askingToStop_ || relay_.stopRequest())
        return;
    askingToStop_ = true;
    relay_.pause();
    bool stop = false;
    platform::runGuarded(dialogs_, [&] { stop = dialogs_.question(kStopQuestion); });
    if (stop)
        relay_.requestStop();
    relay_.resume();
    askingToStop_ = false;
}

void Tfimportarcot::FormClose()
{
    // The window is freed once closed; being the program's main window, that ends
    // the program. An edit still open in the grid is discarded with the mapping,
    // rather than written into it as the window goes.
    platform::runGuarded(dialogs_, [this] {
        dropGridEditor();
        setAttribute(Qt::WA_DeleteOnClose);
    });
}

// ---- Qt events --------------------------------------------------------------

bool Tfimportarcot::eventFilter(QObject* watched, QEvent* event)
{
    if (running() && swallowedDuringRun(watched, event))
        return true;
    if (event->type() == QEvent::KeyPress) {
        // Keys inside a modal box belong to that box, not to this window.
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && ownsKeysOf(widget)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (FormKeyDown(key->key(), key->modifiers())) {
                event->accept();
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::Expose && watched == windowHandle())
        activateOnceExposed();
    if (watched == cia_ && isCiaExit(event))
        CiaExit();
    return QWidget::eventFilter(watched, event);
}

// While a run goes on the controls take no input: the fields and the grid keep what
// the run was started with, and F2 starts no second run. Esc and "Esc: Cancelar"
// ask whether to stop, as closing the window does. Modal boxes are windows of their
// own and keep their input.
bool Tfimportarcot::swallowedDuringRun(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        break;
    default:
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || !ownsKeysOf(widget))
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        FormKeyDown(key->key(), key->modifiers());
        return true;
    }
    const bool click =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease;
    return !(click && widget == speedButton2_);
}

// A control of this window, or a popup that one of them opened: a combo box's list,
// a line edit's context menu (or a menu opened from that). A popup is a window of its
// own whose parent is the control that opened it, so the walk goes up from popup to
// opener until it reaches this window; any other window on the way (a modal box, the
// file dialog) keeps its keys.
bool Tfimportarcot::ownsKeysOf(const QWidget* widget) const
{
    for (const QWidget* window = widget->window(); window != this; window = widget->window()) {
        if (window->windowType() != Qt::Popup || window->parentWidget() == nullptr)
            return false;
        widget = window->parentWidget();
    }
    return true;
}

// The popups open over this window go before F2 or Esc acts: the run's message
// boxes then get the keyboard, and the window does not close under an open list.
void Tfimportarcot::closePopups()
{
    QWidget* popup = QApplication::activePopupWidget();
    while (popup != nullptr) {
        popup->close();
        QWidget* next = QApplication::activePopupWidget();
        // A popup that will not close is left alone rather than asked for ever.
        if (next == popup)
            break;
        popup = next;
    }
}

// The focus leaves Cia for another control of this window. When the window only
// loses the activation (a message box, the file dialog, another program) or a popup
// opens, Cia keeps the focus of the window and is not left.
bool Tfimportarcot::isCiaExit(QEvent* event) const
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    // Qt has already moved the focus when it tells the old widget.
    const QWidget* next = QApplication::focusWidget();
    return next != nullptr && next != cia_ && next->window() == this;
}

void Tfimportarcot::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownBefore_)
        return;
    shownBefore_ = true;
    if (const QScreen* desktop = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->geometry().center());
        move(frame.topLeft());
    }
    // The first activation comes once the window is on the screen: only then can
    // what it starts (the connect, an unattended run) paint the status panel.
    awaitingFirstExposure_ = true;
    activateOnceExposed();
}

void Tfimportarcot::activateOnceExposed()
{
    if (!awaitingFirstExposure_ || windowHandle() == nullptr || !windowHandle()->isExposed())
        return;
    awaitingFirstExposure_ = false;
    // After the exposure has been handled and the window painted.
    QTimer::singleShot(0, this, &Tfimportarcot::FormActivate);
}

void Tfimportarcot::closeEvent(QCloseEvent* event)
{
    if (running()) {
        // The window stays while its run goes on. A signal (a shutdown) stops the run
        // without asking and the window closes once it has stopped; the user is asked.
        event->ignore();
        if (platform::stopRequested()) {
            closeAfterRun_ = true;
            relay_.requestStop();
        } else {
            askToStop();
        }
        return;
    }
    FormClose();
    event->accept();
}

void Tfimportarcot::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange) {
        // The run reads the settings on its own thread: they change once it is over.
        if (running())
            regionalSettingsChanged_ = true;
        else
            platform::runGuarded(dialogs_, [] { platform::reloadRegionalSettings(); });
    }
    QWidget::changeEvent(event);
}

// ---- Controls and the session's events -----------------------------------------

QLineEdit* Tfimportarcot::editFor(FormField field) const
{
    switch (field) {
    case FormField::Servidor:
        return servidor_;
    case FormField::Tusua:
        return tusua_;
    case FormField::TClave:
        return tclave_;
    case FormField::Cia:
        return cia_;
    case FormField::Ubicacion:
        break;
    }
    return ubicacion_;
}

std::string Tfimportarcot::text(FormField field) const
{
    return editFor(field)->text().toStdString();
}

void Tfimportarcot::setText(FormField field, const std::string& text)
{
    editFor(field)->setText(qt(text));
}

importer::RunRequest Tfimportarcot::runRequest() const
{
    importer::RunRequest request;
    request.connection = {text(FormField::Servidor), text(FormField::Tusua), text(FormField::TClave),
                          text(FormField::Cia)};
    request.dataPath = text(FormField::Ubicacion);
    request.reader = {importer::separatorForItem(separatorIndex()),
                      importer::delimiterForItem(delimiterIndex())};
    return request;
}

int Tfimportarcot::separatorIndex() const
{
    return separ_->currentIndex();
}

int Tfimportarcot::delimiterIndex() const
{
    return delim_->currentIndex();
}

void Tfimportarcot::showStatus(const std::string& text)
{
    // A status of its own: the figures of a run come once its file is being read.
    runFigures_->hide();
    panel5_->setAlignment(Qt::AlignCenter);
    panel5_->setIndent(-1);
    panel5_->setText(qt(text));
    panel5_->show();
    panel5_->raise();
    // What follows (the connect, the run) keeps the event loop waiting: paint now.
    // The window's repaint leaves out the place of an opaque child that has only
    // just been shown, so the panel paints itself as well.
    repaint();
    panel5_->repaint();
}

void Tfimportarcot::hideStatus()
{
    panel5_->hide();
}

void Tfimportarcot::connected()
{
    speedButton3_->setEnabled(true);
}

void Tfimportarcot::runPreparing()
{
    stopGridFollowing();
    showLineDisplay();
}

void Tfimportarcot::runEnded(importer::RunEnd end)
{
    // A run that read its file to the end, and one whose file was refused, end the
    // program; a stopped run leaves the window open.
    if (end != importer::RunEnd::Stopped)
        closeForm();
}

void Tfimportarcot::showLineDisplay()
{
    edit1_->show();
}

void Tfimportarcot::setLineDisplay(const std::string& text)
{
    edit1_->setText(qt(text));
}

void Tfimportarcot::progressStep()
{
    progressSteps(1);
}

void Tfimportarcot::progressSteps(int count)
{
    // The bar's step: past its maximum it starts again from its minimum, so many
    // steps at once go round as often as one at a time would.
    const int minimum = progressBar1_->minimum();
    const int span = progressBar1_->maximum() - minimum + 1;
    if (count <= 0 || span <= 0)
        return;
    progressBar1_->setValue(minimum + (progressBar1_->value() - minimum + count % span) % span);
}

void Tfimportarcot::showFigures(const RunProgress& progress)
{
    if (progress.lockWait)
        runFigures_->setText(QStringLiteral("Línea %1 de %2 · esperando a otro usuario: %3 s de %4")
                                 .arg(progress.line)
                                 .arg(progress.lines)
                                 .arg(progress.lockWait->first)
                                 .arg(progress.lockWait->second));
    else
        runFigures_->setText(QStringLiteral("Línea %1 de %2 · grabadas %3 · rechazadas %4")
                                 .arg(progress.line)
                                 .arg(progress.lines)
                                 .arg(progress.stored)
                                 .arg(progress.refused));
    if (runFigures_->isHidden()) {
        // The status text moves up into the room above the figures, centred there;
        // a label's indent from its top edge places it without touching the bevel.
        const int above = panel5_->height() - 2 * panel5_->frameWidth() - kFiguresHeight;
        panel5_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        panel5_->setIndent(std::max(0, (above - panel5_->fontMetrics().height()) / 2));
        runFigures_->show();
    }
}

void Tfimportarcot::drawProgress(const RunProgress& progress, bool repaintNow)
{
    if (progress.steps > 0)
        progressSteps(progress.steps);
    if (progress.lineShown)
        setLineDisplay(*progress.lineShown);
    if (progress.started)
        showFigures(progress);
    if (!repaintNow)
        return;
    for (QWidget* drawn : {static_cast<QWidget*>(progressBar1_), static_cast<QWidget*>(edit1_),
                           static_cast<QWidget*>(panel5_)})
        if (drawn->isVisible())
            drawn->repaint();
}

void Tfimportarcot::mappingReset()
{
    dbGridEh1_->mappingReset();
}

void Tfimportarcot::stopGridFollowing()
{
    // A value still open in a cell editor never reaches the table.
    dropGridEditor();
    dbGridEh1_->stopFollowing();
}

// Closes the cell editor of the grid as if the user had cancelled it, so that its
// text is not written into the cell.
void Tfimportarcot::dropGridEditor()
{
    const QModelIndex current = dbGridEh1_->currentIndex();
    if (!current.isValid())
        return;
    QWidget* editor = dbGridEh1_->indexWidget(current);
    QAbstractItemDelegate* delegate = dbGridEh1_->itemDelegateForIndex(current);
    if (editor != nullptr && delegate != nullptr)
        Q_EMIT delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void Tfimportarcot::closeForm()
{
    close();
}

} // namespace app
