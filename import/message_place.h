#pragma once
// Where in the data file a message of the run belongs: the line being read and the
// quotation it is part of. The batch mode writes it in front of its messages, so
// that a message in a log names the line to fix.
#include <cstdint>
#include <string>

namespace importer {

struct MessagePlace {
    std::int64_t line = 0; // 1-based; 0 when the message belongs to no line
    std::string prefix;    // the quotation's prefix and number, as in the file
    std::string number;
};

// "línea 12, cotización COT 1002" (UTF-8); "línea 12" for a line without prefix
// and number; "" for no line.
std::string placeText(const MessagePlace& place);

} // namespace importer
