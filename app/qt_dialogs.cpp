#include "app/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTranslator>
#include <utility>

namespace app {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// Messages carry data (codes, names, database texts) that may hold "<" or "&":
// they are shown as they stand, never read as markup.
void showAsPlainText(QMessageBox& box, const std::string& text)
{
    box.setTextFormat(Qt::PlainText);
    box.setText(qt(text));
}

// A message box sizes itself to its text; a short text would leave its title cut
// ("Im...cot"). A spacer as wide as the title needs keeps it from getting narrower.
void makeRoomForTitle(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

// A box with one "OK", over the window that is active, waiting for the user. The
// informative text goes under the message, smaller; the details are Qt's own, the
// box gaining its button that unfolds them.
void messageBox(QMessageBox::Icon icon, const std::string& title, const std::string& text,
                const std::string& informative = {}, const std::string& details = {})
{
    QMessageBox box(icon, qt(title), QString(), QMessageBox::Ok, QApplication::activeWindow());
    showAsPlainText(box, text);
    if (!informative.empty())
        box.setInformativeText(qt(informative));
    if (!details.empty())
        box.setDetailedText(qt(details));
    makeRoomForTitle(box);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

} // namespace

QtDialogs::QtDialogs(std::string programTitle) : programTitle_(std::move(programTitle)) {}

void QtDialogs::plainMessage(const std::string& text)
{
    messageBox(QMessageBox::NoIcon, programTitle_, text);
}

void QtDialogs::errorDialog(const std::string& text)
{
    messageBox(QMessageBox::Critical, "Error", text);
}

void QtDialogs::errorDialogWithPlace(const std::string& text, const std::string& place)
{
    messageBox(QMessageBox::Critical, "Error", text, place);
}

void QtDialogs::plainMessageWithDetails(const std::string& text, const std::string& details)
{
    messageBox(QMessageBox::NoIcon, programTitle_, text, {}, details);
}

void QtDialogs::defaultErrorDisplay(const std::string& text)
{
    messageBox(QMessageBox::Critical, programTitle_, text);
}

void QtDialogs::beep()
{
    QApplication::beep();
}

bool QtDialogs::confirm(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, qt(programTitle_), QString(), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    showAsPlainText(box, text);
    makeRoomForTitle(box);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Sí"));
    box.button(QMessageBox::No)->setText(QStringLiteral("No"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::question(const std::string& text)
{
    // Qt words the standard buttons itself, with their access keys, in the language
    // of the translations installed (installQtSpanish).
    QMessageBox box(QMessageBox::Question, qt(programTitle_), QString(), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    showAsPlainText(box, text);
    makeRoomForTitle(box);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::openFile(const platform::OpenFileRequest& request)
{
    // No title of its own. The file it starts with brings its folder when that folder
    // exists; otherwise the platform's default folder applies, with the name alone.
    // As on the suite's dialogs, a name that does not exist may be confirmed; the
    // run says so later.
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setSizeGripEnabled(true);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (!request.initialFile.empty()) {
        const QFileInfo initial(qt(request.initialFile));
        dialog.selectFile(initial.absoluteDir().exists() ? initial.absoluteFilePath() : initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QFileInfo(chosen.first()).absoluteFilePath().toStdString();
}

int titleBarWidth(const QString& title)
{
    // The window manager's title font is unknown here: a bold application font is
    // what most of them use. The icon and up to three buttons take about 40 pixels
    // each, and margins at both ends.
    constexpr int kIconButtonsAndMargins = 4 * 40 + 16;
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kIconButtonsAndMargins;
}

bool installQtSpanish(QTranslator& translator)
{
    if (!translator.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

QStringList nameFilters(const std::string& filter)
{
    const QStringList parts = qt(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return result;
}

} // namespace app
