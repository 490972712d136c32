#pragma once
// The modal boxes of the program, behind one interface: the window shows them with
// Qt, the batch mode prints them, the tests record them.
#include <optional>
#include <string>

namespace platform {

struct OpenFileRequest {
    // Filter choices as (description, pattern) pairs; the first is active.
    std::string filter; // "Archivos de texto|*.txt|..."
    // The file the dialog starts with, in its folder when that folder exists.
    std::string initialFile;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Message box titled with the program's title, no icon, one "OK".
    virtual void plainMessage(const std::string& text) = 0;
    // Dialog titled "Error", stop icon, one "OK".
    virtual void errorDialog(const std::string& text) = 0;
    // The error dialog with a second, smaller text under the message: where in the
    // data file the error belongs. Boxes that have no room for it show the message.
    virtual void errorDialogWithPlace(const std::string& text, const std::string& /*place*/)
    {
        errorDialog(text);
    }
    // The plain message with details that the user may unfold, one per line.
    virtual void plainMessageWithDetails(const std::string& text, const std::string& /*details*/)
    {
        plainMessage(text);
    }
    // The display of an error that no handler took: program title, stop icon, "OK".
    // The text is shown as given; callers pass it through withFullStop().
    virtual void defaultErrorDisplay(const std::string& text) = 0;
    // The system's default message beep.
    virtual void beep() = 0;
    // The file-open dialog: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
    // A question titled with the program's title, answered yes or no: true for yes.
    // Where nobody can answer (no window), the answer is no.
    virtual bool confirm(const std::string& /*text*/) { return false; }
    // A question with the standard Yes and No buttons, worded and given their access
    // keys by the toolkit in the user's language; true for yes, no where nobody can
    // answer.
    virtual bool question(const std::string& /*text*/) { return false; }
};

// The default error display's rule: a "." is appended when the text is not empty
// and its last character has a higher code than ".".
std::string withFullStop(const std::string& text);

} // namespace platform
