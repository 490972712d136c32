#include "import/reader.h"

#include <stdexcept>
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

// The cutting rules, shared by the run and the limit check. The sink receives
// field bytes, field ends and line ends.
template <class Sink>
void cut(ByteSource& source, std::int64_t size, const ReaderOptions& options, Sink& sink)
{
    Bytes bytes(source);
    bool inStretch = false;
    bool lineOpen = false;  // bytes taken since the last line end
    std::int64_t count = 0;
    char b = 0;
    while (count < size && sink.wantsMore()) {
        if (!bytes.next(b))
            break;  // the file is shorter than its size said: nothing more to take
        lineOpen = true;
        if (b == options.delimiter) {
            inStretch = !inStretch;
        } else if (!inStretch && b == options.separator) {
            sink.fieldEnd();
        } else if (b == kCR || b == kLF) {
            inStretch = false;
            lineOpen = false;
            sink.lineEnd();
            char following = 0;
            if (b == kCR && count + 1 < size && bytes.peek(following) && following == kLF) {
                bytes.next(following);
                ++count;
            }
        } else {
            sink.append(b == ',' ? '.' : b);
        }
        ++count;
        sink.counted(count);
    }
    if (lineOpen && sink.wantsMore())
        sink.lineEnd();
}

// Collects the fields of a line and hands the line on.
class RunSink {
public:
    RunSink(const DelimitedReader::LineHandler& onLine, const DelimitedReader::ByteHandler& onByte)
        : onLine_(onLine), onByte_(onByte)
    {
    }

    bool wantsMore() const { return true; }

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

    void lineEnd()
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
    int count_ = 0;       // fields ended in this line so far
    int length_ = 0;      // bytes appended to the current field
    bool ended_ = false;  // the current field's text met a zero byte
    std::int64_t line_ = 1;
};

// Measures fields and lines, and stops at the first that breaks a limit.
class LimitSink {
public:
    bool wantsMore() const { return !violation.has_value(); }
    void append(char) { check(++length_ > kMaxFieldBytes, LimitViolation::Kind::FieldTooLong); }
    void fieldEnd()
    {
        length_ = 0;
        check(++count_ >= kMaxFields, LimitViolation::Kind::TooManyFields);
    }
    void lineEnd()
    {
        count_ = 0;
        length_ = 0;
        ++line_;
    }
    void counted(std::int64_t) {}

    std::optional<LimitViolation> violation;

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

}  // namespace

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
    const std::string line = std::to_string(violation.line);
    if (violation.kind == LimitViolation::Kind::FieldTooLong)
        return "El archivo no se puede importar: la línea " + line + " tiene un campo de más de "
               + std::to_string(kMaxFieldBytes) + " caracteres.";
    return "El archivo no se puede importar: la línea " + line + " tiene más de " + std::to_string(kMaxFields)
           + " columnas.";
}

std::optional<LimitViolation> findLimitViolation(ByteSource& source, std::int64_t size, const ReaderOptions& options)
{
    LimitSink sink;
    cut(source, size, options, sink);
    return sink.violation;
}

void DelimitedReader::run(ByteSource& source, std::int64_t size, const LineHandler& onLine, const ByteHandler& onByte)
{
    RunSink sink(onLine, onByte);
    cut(source, size, options_, sink);
}

}  // namespace importer
