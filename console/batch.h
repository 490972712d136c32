#pragma once
// The unattended import from the command line, for a file scheduled at night on a
// machine where nobody answers a message box: the window's steps (settings, connect,
// mapping, run) on a console host, each message a line on the error stream and a
// summary line at the end.
#include "console/command_line.h"

#include <ostream>
#include <string>

namespace importer {
struct SaveTally;
}

namespace console {

// Exit statuses of the batch mode.
inline constexpr int kBatchImported = 0;     // finished, every quotation stored
inline constexpr int kBatchStopped = 1;      // an error, a failed connect, a refused file
inline constexpr int kBatchUsage = 2;        // a usage error
inline constexpr int kBatchWithRefusals = 3; // finished, some quotation refused

// Where the database password may come from besides --password-file.
inline constexpr const char* kPasswordVariable = "IMPORTARCOT_PASSWORD";
// Firebird's own variables for the user and the password, which its tools read.
inline constexpr const char* kFirebirdUserVariable = "ISC_USER";
inline constexpr const char* kFirebirdPasswordVariable = "ISC_PASSWORD";

// Runs the import as the window would with the command line's values laid over
// what settings.conf gives: messages go to err, the summary line to out. No window
// and nothing of Qt. progressWidth is the number of columns of the terminal that
// err writes to, 0 when err is no terminal (no progress line then).
int runBatch(const CommandLine& line, std::ostream& out, std::ostream& err, int progressWidth = 0);

// "Cotizaciones grabadas: 10, rechazadas: 0, líneas grabadas: 30, última grabada: COT1010",
// with ", omitidas: N" when quotations already stored are passed over. A check
// says what would be stored and how many quotations have problems (refusals
// included): "Cotizaciones que se grabarían: 9, con problemas: 1, líneas que se
// grabarían: 27, última que se grabaría: COT1010".
std::string summaryLine(const importer::SaveTally& tally, bool check = false, bool skipExisting = false);

// The columns of the terminal open on the descriptor; 0 when it is no terminal.
int terminalWidth(int fd);

} // namespace console
