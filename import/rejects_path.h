#pragma once
// Whether a rejects file may go where the command line asks, checked before the
// run reads or stores anything: a run that finds out at its end would have stored
// the whole file with nowhere to put what it did not store, and a rejects file
// written over the data file, a device or a pipe destroys what was there.
#include <optional>
#include <string>

namespace importer {

// The reason, in Spanish, why the rejects cannot be written at rejectsPath for a
// run of the data file at dataPath; nothing when they can. Refused: the data file
// itself under any spelling (the same file when both exist, the same canonical
// path when one does not), anything but a regular file already there (symbolic
// links followed), and a folder where the temporary file beside it
// (rejectsPath + ".partial") cannot be created. A regular file already there is
// replaced when the run ends.
std::optional<std::string> checkRejectsPath(const std::string& rejectsPath, const std::string& dataPath);

} // namespace importer
