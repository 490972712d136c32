#pragma once
// The modal boxes of the program shown with Qt: message boxes and the file-open
// dialog. Texts come and go as UTF-8.
#include "platform/dialogs.h"

#include <QStringList>

class QTranslator;
#include <string>

namespace app {

class QtDialogs : public platform::Dialogs {
public:
    // The title of the plain message and of the default error display.
    explicit QtDialogs(std::string programTitle);

    void plainMessage(const std::string& text) override;
    void errorDialog(const std::string& text) override;
    // The place goes in the box's informative text, under the message.
    void errorDialogWithPlace(const std::string& text, const std::string& place) override;
    // The details behind Qt's button that unfolds them.
    void plainMessageWithDetails(const std::string& text, const std::string& details) override;
    void defaultErrorDisplay(const std::string& text) override;
    void beep() override;
    std::optional<std::string> openFile(const platform::OpenFileRequest& request) override;
    // A question box with the buttons "Sí" and "No", "Sí" the default.
    bool confirm(const std::string& text) override;
    // A question box with Qt's standard Yes and No, Yes the default.
    bool question(const std::string& text) override;

    const std::string& programTitle() const { return programTitle_; }

private:
    std::string programTitle_;
};

// The width a box needs for the window manager to show its title whole: the title
// in the bold application font, and room for the window's icon and buttons.
int titleBarWidth(const QString& title);

// Loads Qt's own Spanish texts (standard buttons, the file dialog) from Qt's
// translations folder into the translator and installs it in the application.
// False when they are not there (Debian package qt6-translations-l10n).
bool installQtSpanish(QTranslator& translator);

// "Archivos de texto|*.txt|Otros|*.a;*.b" as Qt's name filters:
// "Archivos de texto (*.txt)", "Otros (*.a *.b)".
QStringList nameFilters(const std::string& filter);

} // namespace app
