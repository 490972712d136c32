#include "app/gui_main.h"

#include "app/bundled_fonts.h"
#include "app/close_on_signals.h"
#include "app/importarcot.h"
#include "app/qt_dialogs.h"
#include "database/dm.h"
#include "platform/program_title.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>

app::Tfimportarcot* app::createWindow(platform::Dialogs& dialogs, database::Tfdm& fdm,
                                      const std::optional<std::string>& dataFile)
{
    auto* window = new Tfimportarcot(dialogs, fdm);
    if (dataFile)
        window->setText(app::FormField::Ubicacion, *dataFile);
    return window;
}

int runWindow(const char* program, const std::optional<std::string>& dataFile)
{
    // Qt sees the program's name only: the arguments were the command line's, and
    // a data file named like one of Qt's own options (-style) must stay a file.
    // QApplication keeps references to both, which outlive it here.
    int argc = 1;
    char* argv[] = {const_cast<char*>(program), nullptr};
    QApplication application(argc, argv);
    // The suite's forms are classic Windows forms: three-dimensional group boxes,
    // sunken lists and raised panels. Qt's own "Windows" style draws them so.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
        application.setStyle(classic);
    app::addBundledFonts();
    application.setFont(app::windowFont());
    // Qt's own dialogs and buttons (the file dialog) speak the program's language;
    // without the translations they stay in English.
    QTranslator qtSpanish;
    app::installQtSpanish(qtSpanish);
    application.setQuitOnLastWindowClosed(true);

    app::QtDialogs dialogs(platform::programTitle());
    database::Tfdm fdm;
    // The window frees itself when it closes (FormClose); should the loop end some
    // other way, it goes here, before the data module and the dialogs it uses.
    QPointer<app::Tfimportarcot> window = app::createWindow(dialogs, fdm, dataFile);
    // Asked to end by a signal, the window closes as if the user had closed it.
    new app::CloseOnSignals(window);
    window->show();
    const int exitCode = QApplication::exec();
    delete window.data();
    return exitCode;
}
