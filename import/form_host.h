#pragma once
// What the import needs of the window: the texts of its fields, the status panel,
// the line display, the progress bar, the button, the grid and closing; and the
// run's events for a host without widgets. The window implements it with widgets,
// the batch mode with plain values and the events, the tests with a recorder.
#include "import/run_events.h"
#include "platform/dialogs.h"

#include <string>

namespace importer {

// The edit boxes whose texts the program reads and the settings file fills.
enum class FormField { Servidor, Tusua, TClave, Cia, Ubicacion };

class FormHost : public RunEvents {
public:
    virtual platform::Dialogs& dialogs() = 0;

    // Texts are UTF-8.
    virtual std::string text(FormField field) const = 0;
    virtual void setText(FormField field, const std::string& text) = 0;
    // The items selected in Separ and Delim (0, 1 or 2).
    virtual int separatorIndex() const = 0;
    virtual int delimiterIndex() const = 0;

    // The window's widgets. A host without them has the run's events instead.
    // Panel5: set its text, show it and repaint the window at once.
    virtual void showStatus(const std::string& text) = 0;
    virtual void hideStatus() = 0;
    // SpeedButton3, "F2: Generar".
    virtual void enableGenerate() = 0;
    // Edit1: shown by the run, then the line being imported.
    virtual void showLineDisplay() = 0;
    virtual void setLineDisplay(const std::string& text) = 0;
    // ProgressBar1 advances by its step; a step past 100 starts again from 0.
    virtual void progressStep() = 0;
    // The mapping table was created or rebuilt: the grid shows it anew.
    virtual void mappingReset() = 0;
    // The grid stops following the mapping table: an editor still open is dropped,
    // a changed row is posted.
    virtual void stopGridFollowing() = 0;
    // Closes the window, which ends the program.
    virtual void closeForm() = 0;
};

} // namespace importer
