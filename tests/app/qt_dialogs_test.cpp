// The real Qt boxes: each test answers the modal box from a timer, as a user
// would, after looking at what it shows.
#include "app/qt_dialogs.h"
#include "support/test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using testing_support::TempDir;

// Waits for the next modal box, hands it to the answer and stops looking.
void answerNextModal(const std::function<void(QWidget*)>& answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

// The same for a box that must be a message box; anything else fails the test and
// is closed.
void answerNextMessageBox(const std::function<void(QMessageBox*)>& answer)
{
    answerNextModal([answer](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            ADD_FAILURE() << "not a message box";
            modal->close();
            return;
        }
        answer(box);
    });
}

struct Seen {
    std::string title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::string text;
    QStringList buttons;
    Qt::TextFormat format = Qt::AutoText;
    int width = 0;
};

TEST(QtDialogs, MessageBoxes)
{
    const struct {
        const char* name;
        std::function<void(app::QtDialogs&, const std::string&)> show;
        const char* text;
        const char* title;
        QMessageBox::Icon icon;
    } cases[] = {
        {"plain", &app::QtDialogs::plainMessage, "Importación finalizada.", "Importarcot",
         QMessageBox::NoIcon},
        {"error", &app::QtDialogs::errorDialog, "Los campos ARTI_COD,  son obligatorios.", "Error",
         QMessageBox::Critical},
        {"default", &app::QtDialogs::defaultErrorDisplay, "Floating point division by zero.", "Importarcot",
         QMessageBox::Critical},
        // Data inside a message that looks like markup is shown as it stands.
        {"plain with markup", &app::QtDialogs::plainMessage, "Código '<br>X' no encontrado.", "Importarcot",
         QMessageBox::NoIcon},
        {"error with markup", &app::QtDialogs::errorDialog, "Compañía <i> & <b>01</b>", "Error",
         QMessageBox::Critical},
        {"default with markup", &app::QtDialogs::defaultErrorDisplay, "<html>Tabla &lt;X&gt;.", "Importarcot",
         QMessageBox::Critical},
    };
    app::QtDialogs dialogs("Importarcot");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Seen seen;
        answerNextMessageBox([&seen](QMessageBox* box) {
            seen = {box->windowTitle().toStdString(), box->icon(), box->text().toStdString(), {}};
            seen.format = box->textFormat();
            seen.width = box->width();
            for (QAbstractButton* button : box->buttons())
                seen.buttons << button->text();
            box->buttons().first()->click();
        });
        c.show(dialogs, c.text);
        EXPECT_EQ(seen.title, c.title);
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.text, c.text);
        EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
        EXPECT_EQ(seen.format, Qt::PlainText);
        // However short the text, the box leaves its title room to show whole.
        EXPECT_GE(seen.width, app::titleBarWidth(QString::fromUtf8(c.title)));
    }
    EXPECT_GT(app::titleBarWidth(QStringLiteral("Importarcot")),
              QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("Importarcot")));
}

// The error box's place goes under its message; the plain message's details behind
// Qt's own button, which reads Spanish with Qt's translations.
TEST(QtDialogs, SecondTexts)
{
    QTranslator translator;
    ASSERT_TRUE(app::installQtSpanish(translator)) << "Qt's translations are missing (scripts/install)";
    const struct {
        const char* name;
        std::function<void(app::QtDialogs&)> show;
        const char* text;
        const char* informative;
        const char* details;
        QStringList buttons;
    } cases[] = {
        {"place",
         [](app::QtDialogs& d) {
             d.errorDialogWithPlace("Ya existe el registro.", "Línea 4, cotización A 1");
         },
         "Ya existe el registro.",
         "Línea 4, cotización A 1",
         "",
         {QStringLiteral("OK")}},
        {"details",
         [](app::QtDialogs& d) {
             d.plainMessageWithDetails("Importación finalizada.", "línea 4, cotización A 1: x");
         },
         "Importación finalizada.",
         "",
         "línea 4, cotización A 1: x",
         {QStringLiteral("Mostrar los detalles..."), QStringLiteral("OK")}},
    };
    app::QtDialogs dialogs("Importarcot");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text, informative, details;
        QStringList buttons;
        answerNextMessageBox([&](QMessageBox* box) {
            text = box->text().toStdString();
            informative = box->informativeText().toStdString();
            details = box->detailedText().toStdString();
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            box->button(QMessageBox::Ok)->click();
        });
        c.show(dialogs);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(informative, c.informative);
        EXPECT_EQ(details, c.details);
        buttons.sort();
        EXPECT_EQ(buttons, c.buttons);
    }
    QCoreApplication::removeTranslator(&translator);
}

// The question to stop a run: Qt's own Yes and No, as its Spanish translation words
// them, with their access keys.
TEST(QtDialogs, AQuestionWithQtsYesAndNo)
{
    QTranslator translator;
    ASSERT_TRUE(app::installQtSpanish(translator)) << "Qt's translations are missing (scripts/install)";
    app::QtDialogs dialogs("Importarcot");
    for (const QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
        SCOPED_TRACE(answer);
        QStringList buttons;
        std::string title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool yesIsDefault = false, noIsEscape = false;
        answerNextMessageBox([&](QMessageBox* box) {
            title = box->windowTitle().toStdString();
            text = box->text().toStdString();
            icon = box->icon();
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            noIsEscape = box->escapeButton() == box->button(QMessageBox::No);
            box->button(answer)->click();
        });
        EXPECT_EQ(dialogs.question("¿Detener la importación?"), answer == QMessageBox::Yes);
        EXPECT_EQ(title, "Importarcot");
        EXPECT_EQ(text, "¿Detener la importación?");
        EXPECT_EQ(icon, QMessageBox::Question);
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{QStringLiteral("&No"), QStringLiteral("&Sí")}));
        EXPECT_TRUE(yesIsDefault);
        EXPECT_TRUE(noIsEscape);
    }
    QCoreApplication::removeTranslator(&translator);
}

// With Qt's translations installed, its own buttons (those of the file dialog)
// read Spanish.
TEST(QtDialogs, QtsOwnButtonsSpeakSpanish)
{
    QTranslator translator;
    ASSERT_TRUE(app::installQtSpanish(translator)) << "Qt's translations are missing (scripts/install)";
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    const QString open = buttons.button(QDialogButtonBox::Open)->text().remove(QLatin1Char('&'));
    const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&'));
    // The other tests see Qt's own texts as they were.
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(open.toStdString(), "Abrir");
    EXPECT_EQ(cancel.toStdString(), "Cancelar");
}

class OpenFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.write("cot.txt", "CT,1\n");
        dir_.write("otra.csv", "CT,2\n");
    }
    std::string path(const char* name) const { return (dir_.path() / name).string(); }

    TempDir dir_;
    app::QtDialogs dialogs_{"Importarcot"};
};

TEST_F(OpenFileTest, FiltersAndTheNameLastChosen)
{
    QStringList filters;
    QString activeFilter;
    QString folder;
    QStringList selected;
    bool resizable = false;
    answerNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            ADD_FAILURE() << "not a file dialog";
            modal->close();
            return;
        }
        filters = dialog->nameFilters();
        // What the list of file types shows (selectedNameFilter() gives the whole
        // filter from Qt 6.8 on).
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            activeFilter = types->currentText();
        folder = dialog->directory().absolutePath();
        selected = dialog->selectedFiles();
        resizable = dialog->isSizeGripEnabled();
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto chosen = dialogs_.openFile(
        {"Archivos de texto|*.txt|Archivos de valores separados por comas|*.csv", path("cot.txt")});
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Archivos de texto (*.txt)"),
                                    QStringLiteral("Archivos de valores separados por comas (*.csv)")}));
    // The choices show their descriptions only, as on the suite's dialogs.
    EXPECT_EQ(activeFilter.toStdString(), "Archivos de texto");
    EXPECT_EQ(folder.toStdString(), dir_.path().string());
    EXPECT_EQ(selected, QStringList{QString::fromStdString(path("cot.txt"))});
    EXPECT_TRUE(resizable);
    EXPECT_EQ(chosen, path("cot.txt"));
}

TEST_F(OpenFileTest, ConfirmOrCancel)
{
    // The user types a name into the dialog's name box, or cancels.
    const auto typeAndConfirm = [](const std::string& name) {
        return [name](QFileDialog* dialog) {
            auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(nameBox, nullptr);
            ASSERT_TRUE(QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }));
            nameBox->setFocus();
            nameBox->selectAll();
            QTest::keyClicks(nameBox, QString::fromStdString(name));
            static_cast<QDialog*>(dialog)->accept();
        };
    };
    const struct {
        const char* name;
        std::function<void(QFileDialog*)> answer;
        std::optional<std::string> chosen;
    } cases[] = {
        {"the name it starts with", typeAndConfirm("cot.txt"), path("cot.txt")},
        {"another file", typeAndConfirm("otra.csv"), path("otra.csv")},
        {"a full path", typeAndConfirm(path("otra.csv")), path("otra.csv")},
        // As on the suite's dialogs, a name that does not exist may be confirmed.
        {"a new name", typeAndConfirm("nueva.txt"), path("nueva.txt")},
        {"cancel", [](QFileDialog* dialog) { dialog->reject(); }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answerNextModal([&c](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                c.answer(dialog);
                if (dialog->isVisible())
                    dialog->reject();
                return;
            }
            ADD_FAILURE() << "not a file dialog";
            modal->close();
        });
        EXPECT_EQ(dialogs_.openFile({"Archivos de texto|*.txt|Archivos de valores separados por comas|*.csv",
                                     path("cot.txt")}),
                  c.chosen);
    }
}

TEST(QtDialogs, NameFilters)
{
    const struct {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"Archivos de texto|*.txt", {"Archivos de texto (*.txt)"}},
        {"Datos|*.txt;*.csv|Todos|*.*", {"Datos (*.txt *.csv)", "Todos (*.*)"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::nameFilters(c.filter), c.expected) << c.filter;
}

} // namespace
