#pragma once
// What the import session does, as it happens: the connect, the mapping, and each
// run from its start to its end. Both front ends draw from these events, and a
// test reads them without any form.
#include "import/message_place.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace importer {

// The data file is open and its reading starts.
struct RunStart {
    std::string path;
    // The bytes the reader counts: the file's, or for a UTF-8 file those of its
    // text in Windows-1252.
    std::int64_t size = 0;
};

// A line of the file that the line step has taken in (lines skipped at the start
// and lines without text are not).
struct LineRead {
    std::int64_t line = 0;      // 1-based
    std::int64_t bytesRead = 0; // counted so far, of the size the run started with
    std::string shown;          // as the line display shows it (UTF-8)
};

enum class QuotationOutcome {
    Stored,  // under a check: it would be stored
    Refused, // refused by the database, or a check found a problem in it
    Skipped, // stored already, passed over
};

// A quotation the run is through with.
struct QuotationEnd {
    QuotationOutcome outcome = QuotationOutcome::Stored;
    MessagePlace place; // its first line, its prefix and number
};

// The writing of a quotation has not come back for a while: another user holds a
// row it needs (or the server is slow). It waits at most timeout seconds.
struct LockWait {
    std::chrono::seconds waited{0};
    int timeout = 0;
};

enum class RunEnd {
    Finished,    // the file was read to its end and the closing message shown
    FileRefused, // the path or the file was refused before any line was read
    Stopped,     // an error or a stop request ended the run
};

// What the session does, as it happens, for the front end to draw: the window
// through its widgets (status panel, line display, progress bar, grid, button),
// the batch mode through its progress line, a test by recording them. Nothing here
// asks the user anything: the modal boxes go through platform::Dialogs.
class RunEvents {
public:
    virtual ~RunEvents() = default;

    // The status panel (Panel5) shows this text, at once; and is hidden again.
    virtual void statusShown(const std::string& /*text*/) {}
    virtual void statusHidden() {}
    // A connect succeeded: a run may be started ("F2: Generar").
    virtual void connected() {}
    // The mapping table was created or read anew: the grid shows it again.
    virtual void mappingReset() {}
    // A run is under way from here on: the grid stops following the mapping table
    // (an editor still open is dropped), the line display is shown.
    virtual void runPreparing() {}

    // Every run ends exactly once; it starts only when its file opens.
    virtual void runStarted(const RunStart&) {}
    virtual void lineRead(const LineRead&) {}
    // The line display (Edit1): the line whose step runs now. A line is read before
    // its step, which waits for the rest of its quotation's look-ups.
    virtual void lineDisplayed(const std::string& /*text*/) {}
    // The progress bar's step, once per hundredth of the file (per byte below 100
    // bytes).
    virtual void progressStep() {}
    virtual void quotationEnded(const QuotationEnd&) {}
    // Comes from a thread of its own while the run's thread waits, once a second.
    virtual void lockWaiting(const LockWait&) {}
    // A finished run and a refused file end the program in the window.
    virtual void runEnded(RunEnd) {}
};

} // namespace importer
