#include "import/reader.h"

#include "platform/text_codec.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace importer {
namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr std::size_t kBlockSize = 64 * 1024;

// Buffered bytes of a source with one byte of look-ahead.
class Bytes {
public:
    explicit Bytes(ByteSource& source) : source_(source), block_(kBlockSize) {}

    bool next(char& byte)
    {
        if (pos_ == end_ && !refill())
            return false;
        byte = block_[pos_++];
        return true;
    }

    bool peek(char& byte)
    {
        if (pos_ == end_ && !refill())
            return false;
        byte = block_[pos_];
        return true;
    }

private:
    bool refill()
    {
        pos_ = 0;
        end_ = source_.read(block_.data(), block_.size());
        return end_ > 0;
    }

    ByteSource& source_;
    std::vector<char> block_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

// A UTF-8 text that does not convert, at the given line.
class UnconvertibleText : public std::runtime_error {
public:
    explicit UnconvertibleText(const LimitViolation& violation)
        : std::runtime_error(limitMessage(violation)), violation(violation)
    {
    }
    LimitViolation violation;
};

// The bytes of a UTF-8 source as Windows-1252. It counts the line ends it gives
// (CR, LF, CR LF) to name the line of a character that does not convert; the bytes
// before that character are given first, the failure comes with the next read.
class Utf8TextSource : public ByteSource {
public:
    explicit Utf8TextSource(ByteSource& source) : source_(source), raw_(kBlockSize) {}

    std::size_t read(char* buffer, std::size_t count) override
    {
        while (converted_.size() - taken_ < 1) {
            if (failure_ != platform::StrictUtf8ToCp1252::Failure::None)
                throw UnconvertibleText(violation());
            if (ended_)
                return 0;
            converted_.clear();
            taken_ = 0;
            const std::size_t got = source_.read(raw_.data(), raw_.size());
            if (got == 0) {
                ended_ = true;
                failure_ = converter_.finish();
            } else {
                failure_ = converter_.convert(std::string_view(raw_.data(), got), converted_);
            }
        }
        const std::size_t given = std::min(count, converted_.size() - taken_);
        for (std::size_t k = 0; k < given; ++k) {
            const char b = converted_[taken_ + k];
            if (b == '\r' || (b == '\n' && previous_ != '\r'))
                ++lineEnds_;
            previous_ = b;
            buffer[k] = b;
        }
        taken_ += given;
        return given;
    }

private:
    LimitViolation violation() const
    {
        const bool notWindows1252 = failure_ == platform::StrictUtf8ToCp1252::Failure::NoWindows1252Byte;
        return {notWindows1252 ? LimitViolation::Kind::NotWindows1252 : LimitViolation::Kind::NotUtf8,
                lineEnds_ + 1, notWindows1252 ? converter_.unconvertible() : 0};
    }

    ByteSource& source_;
    std::vector<char> raw_;
    platform::StrictUtf8ToCp1252 converter_;
    platform::StrictUtf8ToCp1252::Failure failure_ = platform::StrictUtf8ToCp1252::Failure::None;
    std::string converted_;
    std::size_t taken_ = 0;
    bool ended_ = false;
    std::int64_t lineEnds_ = 0;
    char previous_ = 0;
};

// The cutting rules, shared by the run, the limit check and the copy of lines as
// they stand. The sink receives every byte of a line as it is (raw), the field
// bytes, field ends, and line ends with the bytes that ended them ("" for a last
// line without one).
template <class Sink>
void cutBytes(ByteSource& source, std::int64_t size, const ReaderOptions& options, Sink& sink)
{
    Bytes bytes(source);
    bool inStretch = false;
    bool lineOpen = false; // bytes taken since the last line end
    std::int64_t count = 0;
    char b = 0;
    while (count < size && sink.wantsMore()) {
        if (!bytes.next(b))
            break; // the file is shorter than its size said: nothing more to take
        lineOpen = true;
        if (b == kCR || b == kLF) {
            inStretch = false;
            lineOpen = false;
            // An LF right after a CR belongs to the same line end: counted, not tested.
            char following = 0;
            if (b == kCR && count + 1 < size && bytes.peek(following) && following == kLF) {
                sink.lineEnd("\r\n");
                bytes.next(following);
                ++count;
            } else {
                sink.lineEnd(b == kCR ? "\r" : "\n");
            }
        } else {
            sink.raw(b);
            if (b == options.delimiter)
                inStretch = !inStretch;
            else if (!inStretch && b == options.separator)
                sink.fieldEnd();
            else
                sink.append(b == ',' ? '.' : b);
        }
        ++count;
        sink.counted(count);
    }
    if (lineOpen && sink.wantsMore())
        sink.lineEnd("");
}

template <class Sink>
void cut(ByteSource& source, std::int64_t size, const ReaderOptions& options, Sink& sink)
{
    if (!options.utf8)
        return cutBytes(source, size, options, sink);
    Utf8TextSource text(source);
    cutBytes(text, size, options, sink);
}

// Collects the fields of a line and hands the line on.
class RunSink {
public:
    RunSink(const DelimitedReader::LineHandler& onLine, const DelimitedReader::ByteHandler& onByte)
        : onLine_(onLine), onByte_(onByte)
    {
    }

    bool wantsMore() const { return true; }
    void raw(char) {}

    void append(char b)
    {
        if (++length_ > kMaxFieldBytes)
            throw std::runtime_error(limitMessage({LimitViolation::Kind::FieldTooLong, line_}));
        if (ended_)
            return;
        // The text of a field ends at its first zero byte.
        if (b == '\0')
            ended_ = true;
        else
            field().push_back(b);
    }

    void fieldEnd()
    {
        if (++count_ >= kMaxFields)
            throw std::runtime_error(limitMessage({LimitViolation::Kind::TooManyFields, line_}));
        length_ = 0;
        ended_ = false;
    }

    void lineEnd(std::string_view)
    {
        const int fields = count_ + 1;
        bool anyText = false;
        for (int k = 0; k < fields; ++k)
            anyText = anyText || !line_fields_[k].empty();
        if (anyText) {
            // Only the line's own fields replace slots; the rest keep their text.
            for (int k = 0; k < fields; ++k)
                slots_[k].swap(line_fields_[k]);
            onLine_(slots_, fields, line_);
        }
        for (int k = 0; k < fields; ++k)
            line_fields_[k].clear();
        count_ = 0;
        length_ = 0;
        ended_ = false;
        ++line_;
    }

    void counted(std::int64_t count) { onByte_(count); }

private:
    std::string& field() { return line_fields_[count_]; }

    const DelimitedReader::LineHandler& onLine_;
    const DelimitedReader::ByteHandler& onByte_;
    Slots slots_;
    Slots line_fields_;
    int count_ = 0;      // fields ended in this line so far
    int length_ = 0;     // bytes appended to the current field
    bool ended_ = false; // the current field's text met a zero byte
    std::int64_t line_ = 1;
};

// Measures fields and lines, and stops at the first that breaks a limit.
class LimitSink {
public:
    bool wantsMore() const { return !violation.has_value(); }
    void raw(char) {}
    void append(char) { check(++length_ > kMaxFieldBytes, LimitViolation::Kind::FieldTooLong); }
    void fieldEnd()
    {
        length_ = 0;
        check(++count_ >= kMaxFields, LimitViolation::Kind::TooManyFields);
    }
    void lineEnd(std::string_view)
    {
        count_ = 0;
        length_ = 0;
        ++line_;
    }
    void counted(std::int64_t count) { this->count = count; }

    std::optional<LimitViolation> violation;
    std::int64_t count = 0;

private:
    void check(bool broken, LimitViolation::Kind kind)
    {
        if (broken && !violation)
            violation = LimitViolation{kind, line_};
    }

    int count_ = 0;
    int length_ = 0;
    std::int64_t line_ = 1;
};

// Every line's bytes as they stand, with the bytes that ended it.
class RawLineSink {
public:
    explicit RawLineSink(const RawLineHandler& onLine) : onLine_(onLine) {}

    bool wantsMore() const { return true; }
    void raw(char b) { content_.push_back(b); }
    void append(char) {}
    void fieldEnd() {}
    void lineEnd(std::string_view end)
    {
        onLine_(line_++, content_, end);
        content_.clear();
    }
    void counted(std::int64_t) {}

private:
    const RawLineHandler& onLine_;
    std::string content_;
    std::int64_t line_ = 1;
};

} // namespace

char separatorForItem(int item)
{
    switch (item) {
    case 1:
        return ';';
    case 2:
        return '\t';
    default:
        return ',';
    }
}

char delimiterForItem(int item)
{
    switch (item) {
    case 1:
        return '"';
    case 2:
        return '\'';
    default:
        return '\0';
    }
}

std::string limitMessage(const LimitViolation& violation)
{
    const std::string start = "El archivo no se puede importar: la línea " + std::to_string(violation.line);
    switch (violation.kind) {
    case LimitViolation::Kind::FieldTooLong:
        return start + " tiene un campo de más de " + std::to_string(kMaxFieldBytes) + " caracteres.";
    case LimitViolation::Kind::TooManyFields:
        return start + " tiene más de " + std::to_string(kMaxFields) + " columnas.";
    case LimitViolation::Kind::NotWindows1252: {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(violation.character));
        std::string character;
        platform::appendUtf8(character, violation.character);
        return start + " tiene el carácter «" + character + "» (" + code +
               "), que no existe en Windows-1252, la codificación de la base de datos.";
    }
    case LimitViolation::Kind::NotUtf8:
        break;
    }
    return start + " no es texto UTF-8 válido.";
}

TextCheck checkText(ByteSource& source, std::int64_t size, const ReaderOptions& options)
{
    LimitSink sink;
    try {
        cut(source, size, options, sink);
    } catch (const UnconvertibleText& unconvertible) {
        // A line beyond the limits before it comes first.
        if (!sink.violation)
            sink.violation = unconvertible.violation;
    }
    return {sink.violation, sink.count};
}

void forEachRawLine(ByteSource& source, std::int64_t size, const RawLineHandler& onLine)
{
    // No separator and no delimiter: the cutting of fields does not change where a
    // line ends.
    RawLineSink sink(onLine);
    cutBytes(source, size, ReaderOptions{'\0', '\0', false}, sink);
}

void DelimitedReader::run(ByteSource& source, std::int64_t size, const LineHandler& onLine,
                          const ByteHandler& onByte)
{
    RunSink sink(onLine, onByte);
    cut(source, size, options_, sink);
}

} // namespace importer
