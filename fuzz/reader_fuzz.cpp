// Fuzzes the delimited reader and its limit check with arbitrary data files.
//
// Input: the first byte picks the separator item (byte % 3), the delimiter item
// (byte / 3 % 3) and the size of the pieces in which a second pass hands the file
// over (1 + byte / 9 % 7); the remaining bytes are the file.
#include "fuzz/check.h"
#include "import/reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace importer;

// The file, handed out in pieces of at most a given size.
class PieceSource : public ByteSource {
public:
    PieceSource(const std::uint8_t* data, std::size_t size, std::size_t piece)
        : data_(data), size_(size), piece_(piece)
    {
    }
    std::size_t read(char* buffer, std::size_t count) override
    {
        const std::size_t n = std::min({count, piece_, size_ - pos_});
        if (n > 0)
            std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t piece_;
    std::size_t pos_ = 0;
};

struct Line {
    std::int64_t number;
    std::vector<std::string> fields;
    bool operator==(const Line&) const = default;
};

struct Outcome {
    std::vector<Line> lines;
    std::int64_t lastCount = 0;
    std::optional<std::string> refusal;
};

struct File {
    const std::uint8_t* data;
    std::size_t size;
    ReaderOptions options;
    bool hasDelimiter;       // the delimiter byte occurs in the file
    std::int64_t lineBreaks; // CR and LF bytes in the file
};

Outcome cutFile(const File& file, std::size_t piece)
{
    Outcome outcome;
    Slots previous;
    std::int64_t lastNumber = 0;
    const auto size = static_cast<std::int64_t>(file.size);

    const auto onLine = [&](const Slots& slots, int fieldCount, std::int64_t number) {
        FUZZ_CHECK(fieldCount >= 1 && fieldCount <= kMaxFields, "a line has 1 to 101 fields");
        FUZZ_CHECK(number > lastNumber, "line numbers strictly increase");
        FUZZ_CHECK(number <= file.lineBreaks + 1, "a line number counts the line breaks before it");
        bool anyText = false;
        for (int k = 0; k < kMaxFields; ++k) {
            const std::string& field = slots[static_cast<std::size_t>(k)];
            if (k >= fieldCount) {
                FUZZ_CHECK(field == previous[static_cast<std::size_t>(k)],
                           "slots beyond the line keep what earlier lines left");
                continue;
            }
            anyText = anyText || !field.empty();
            FUZZ_CHECK(field.size() <= static_cast<std::size_t>(kMaxFieldBytes), "a field holds 1024 bytes");
            FUZZ_CHECK(field.find(',') == std::string::npos, "every comma becomes a point");
            FUZZ_CHECK(field.find_first_of("\r\n") == std::string::npos, "CR and LF end lines, never text");
            FUZZ_CHECK(field.find('\0') == std::string::npos, "a field's text ends at its first zero byte");
            FUZZ_CHECK(file.hasDelimiter || field.find(file.options.separator) == std::string::npos,
                       "a separator is text only inside a delimited stretch");
        }
        FUZZ_CHECK(anyText, "a line without any text is not handed on");
        previous = slots;
        lastNumber = number;
        outcome.lines.push_back(
            {number, std::vector<std::string>(slots.begin(), slots.begin() + fieldCount)});
    };
    const auto onByte = [&](std::int64_t count) {
        FUZZ_CHECK(count > outcome.lastCount && count <= size, "the byte count grows up to the size");
        outcome.lastCount = count;
    };

    PieceSource source(file.data, file.size, piece);
    try {
        DelimitedReader(file.options).run(source, size, onLine, onByte);
    } catch (const std::runtime_error& refusal) {
        outcome.refusal = refusal.what();
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    File file{data + 1, size - 1, {separatorForItem(choice % 3), delimiterForItem(choice / 3 % 3)}, false, 0};
    file.hasDelimiter = std::memchr(file.data, file.options.delimiter, file.size) != nullptr;
    file.lineBreaks = std::count_if(file.data, file.data + file.size,
                                    [](std::uint8_t b) { return b == '\r' || b == '\n'; });

    const Outcome whole = cutFile(file, std::max<std::size_t>(file.size, 1));
    const Outcome pieces = cutFile(file, 1 + choice / 9 % 7);
    FUZZ_CHECK(whole.lines == pieces.lines && whole.refusal == pieces.refusal &&
                   whole.lastCount == pieces.lastCount,
               "the cut does not depend on how the reads split the file");

    PieceSource source(file.data, file.size, file.size + 1);
    const auto violation = checkText(source, static_cast<std::int64_t>(file.size), file.options).violation;
    FUZZ_CHECK(violation.has_value() == whole.refusal.has_value(),
               "the limit check finds a violation exactly when the run refuses the file");
    if (violation) {
        FUZZ_CHECK(*whole.refusal == limitMessage(*violation), "the run refuses the file for the same line");
        for (const Line& line : whole.lines)
            FUZZ_CHECK(line.number < violation->line, "no line at or after the refused one is handed on");
    } else {
        FUZZ_CHECK(whole.lastCount == static_cast<std::int64_t>(file.size),
                   "every byte of the file is counted");
    }
    return 0;
}
