#pragma once
// What an import run does, as it happens: for a front end that follows the run
// without widgets (the batch mode's progress line, its question whether leaving
// the company field already ran the import) and for the tests. The window shows
// the run through its widgets and leaves these alone.
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

// Every run ends exactly once; it starts only when its file opens.
class RunEvents {
public:
    virtual ~RunEvents() = default;

    virtual void runStarted(const RunStart&) {}
    virtual void lineRead(const LineRead&) {}
    virtual void quotationEnded(const QuotationEnd&) {}
    // Comes from a thread of its own while the run's thread waits, once a second.
    virtual void lockWaiting(const LockWait&) {}
    virtual void runEnded(RunEnd) {}
};

} // namespace importer
