#pragma once
// The preview mode: cuts a data file exactly as the import run would and prints
// each line that the run would hand to the line step as one JSON object.
#include "import/reader.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace console {

// Returns the exit status: 0, or 1 when the run would refuse the file (the
// message goes to err). The first skipLines lines are not shown, as the import
// leaves them out.
int runPreview(const std::string& path, const importer::ReaderOptions& options, std::ostream& out,
               std::ostream& err, std::int64_t skipLines = 0);

// A JSON string literal of a UTF-8 text.
std::string jsonString(const std::string& text);

} // namespace console
