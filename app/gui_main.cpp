#include "app/gui_main.h"

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

int runWindow(int argc, char** argv)
{
    // QApplication keeps a reference to argc: the parameter outlives it here.
    QApplication application(argc, argv);
    // The suite's forms are classic Windows forms: three-dimensional group boxes,
    // sunken lists and raised panels. Qt's own "Windows" style draws them so.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
        application.setStyle(classic);
    application.setFont(app::windowFont());
    // Qt's own dialogs and buttons (the file dialog) speak the program's language;
    // without the translations they stay in English.
    QTranslator qtSpanish;
    app::installQtSpanish(qtSpanish);
    application.setQuitOnLastWindowClosed(true);

    app::QtDialogs dialogs(platform::programTitle());
    database::Tfdm fdm(dialogs);
    // The window frees itself when it closes (FormClose); should the loop end some
    // other way, it goes here, before the data module and the dialogs it uses.
    QPointer<app::Tfimportarcot> window = new app::Tfimportarcot(dialogs, fdm);
    // Asked to end by a signal, the window closes as if the user had closed it.
    new app::CloseOnSignals(window);
    window->show();
    const int exitCode = QApplication::exec();
    delete window.data();
    return exitCode;
}
