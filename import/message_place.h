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

// "línea 12, cotización CT 1: El registro ya existe": a message of the run behind
// its place, as the batch mode writes it and the window lists it, all UTF-8. The
// text is made UTF-8 on its own first: a text of the database in the suite's code
// page behind the UTF-8 place would otherwise be taken for a whole in the code page.
std::string placedMessage(const std::string& place, const std::string& text);

} // namespace importer
