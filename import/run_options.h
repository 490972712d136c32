#pragma once
// What a run may ask beyond the window's import: a check that stores nothing,
// quotations already stored passed over, the first lines of the file left out, the
// rejected lines kept for a later run, how long a write waits for a lock. The window
// runs with the defaults, which are the import as it always was.
#include <cstdint>

namespace importer {

struct RunOptions {
    // Every quotation is assembled, looked up and written, then rolled back; a
    // problem is reported and the check goes on with the next quotation.
    bool check = false;
    // A quotation whose prefix and number COTIZACIONES already holds is passed over.
    bool skipExisting = false;
    // Lines at the start of the file that are not imported (a header line); they
    // still count for line numbers.
    std::int64_t skipLines = 0;
    // Keep, per quotation, the file lines that were not stored.
    bool keepRejected = false;
    // How long the writing of a quotation waits for a row that another user holds
    // (the same prefix and number being inserted, an article being deleted), in
    // seconds; 0 does not wait. When the wait runs out the database refuses the
    // quotation with its own text, and the run goes on.
    int lockTimeout = 60;
    // A file that hands no line to the import (empty, or nothing past the skipped
    // lines) is an import of nothing, said in kNoDataLinesMessage. Off, the final
    // save works on a header of defaults and fails, as the window's run always has.
    bool noDataIsEmptyImport = false;
};

} // namespace importer
