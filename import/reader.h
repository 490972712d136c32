#pragma once
// The delimited text reader: cuts the data file into lines and fields, one byte at
// a time in file order (read in large blocks), and hands every line to the line
// step with the field slots.
//
// A delimiter byte switches a delimited stretch on and off and never reaches the
// text; a separator outside a stretch ends a field; CR or LF ends a line (an LF
// right after a CR belongs to the same line end and is counted, not tested);
// every comma inside a field becomes a point, so that decimal commas reach the
// numeric fields as points. The slots keep what earlier lines left in them beyond
// the fields of the current line.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace importer {

constexpr int kMaxFields = 101;
constexpr int kMaxFieldBytes = 1024;

using Slots = std::array<std::string, kMaxFields>;

struct ReaderOptions {
    char separator = ',';
    char delimiter = '\0'; // "Ninguno": the zero byte plays the delimiter
    // The file is UTF-8 text: it is turned into Windows-1252 bytes before it is cut
    // (separators, delimiters and line ends are ASCII, so the cutting stays the
    // same). Off, the bytes are taken as they are.
    bool utf8 = false;
};

// The separator of the items of Separ ("Coma (,)", "Punto y coma (;)",
// "Tabulador") and the delimiter of the items of Delim ("Ninguno", "Comillas (\")",
// "Comilla simple (')").
char separatorForItem(int item);
char delimiterForItem(int item);

// Where the bytes come from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to count bytes; 0 at the end.
    virtual std::size_t read(char* buffer, std::size_t count) = 0;
};

// A line of the file that the reader cannot hold: beyond its limits or, in a
// UTF-8 file, with a character that Windows-1252 has no byte for or with bytes that
// are not UTF-8.
struct LimitViolation {
    enum class Kind { FieldTooLong, TooManyFields, NotWindows1252, NotUtf8 };
    Kind kind;
    std::int64_t line;      // 1-based
    char32_t character = 0; // NotWindows1252: the character
};

// The message that refuses the file.
std::string limitMessage(const LimitViolation& violation);

// One fast pass over the file with the reader's rules: the first line with a field
// of more than kMaxFieldBytes bytes or more than kMaxFields fields, or that does not
// convert; and the size of the text the reader will count (a UTF-8 file turned into
// Windows-1252 is shorter than its bytes).
struct TextCheck {
    std::optional<LimitViolation> violation;
    std::int64_t textSize = 0;
};
TextCheck checkText(ByteSource& source, std::int64_t size, const ReaderOptions& options);

// Every line of the bytes as it stands, for copying it: its number (1-based), its
// bytes without the line end, and the line end (CR, LF, CR LF, or "" for a last line
// without one), by the reader's own rule of line ends. A line without bytes is
// handed on too, but for a file's end right after a line end.
using RawLineHandler = std::function<void(std::int64_t line, std::string_view content, std::string_view end)>;
void forEachRawLine(ByteSource& source, std::int64_t size, const RawLineHandler& onLine);

class DelimitedReader {
public:
    // Called for each line that has at least one non-empty field, with the slots,
    // the number of fields of that line and its 1-based line number in the file.
    using LineHandler = std::function<void(const Slots& slots, int fieldCount, std::int64_t lineNumber)>;
    // Called after each byte of the main loop with the byte count so far.
    using ByteHandler = std::function<void(std::int64_t count)>;

    explicit DelimitedReader(ReaderOptions options) : options_(options) {}

    // Reads until size bytes have been counted (for a UTF-8 file, bytes of the text
    // turned into Windows-1252). A last line without a line break is handed on like
    // the others. Raises std::runtime_error with limitMessage() for a line beyond
    // the limits or that does not convert (the run checks the file beforehand); what
    // the source raises ends the run without handing on the line being read.
    void run(ByteSource& source, std::int64_t size, const LineHandler& onLine, const ByteHandler& onByte);

private:
    ReaderOptions options_;
};

} // namespace importer
