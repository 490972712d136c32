#include "import/rejected_lines.h"

#include "import/data_file.h"
#include "platform/text_codec.h"
#include "platform/wide_text.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace importer {
namespace {

// The lines from `from` on that the reader hands to the line step: the ones with
// text, past the skipped lines at the start; or every line, for a file that the
// run refused before anything was imported.
struct LinesWithText {
    std::vector<std::int64_t> lines;
    bool everyLine = false;
};
LinesWithText linesWithText(const OpenedDataFile& data, const RejectsFileRequest& request, std::int64_t from)
{
    LinesWithText result;
    FileByteSource source = data.bytes();
    DelimitedReader(data.options)
        .run(
            source, data.size,
            [&](const Slots&, int, std::int64_t line) {
                if (line >= from && line > request.skipLines)
                    result.lines.push_back(line);
            },
            [](std::int64_t) {});
    return result;
}

// The file's bytes from an offset to its end, as a stream gives them.
class StreamBytes : public ByteSource {
public:
    explicit StreamBytes(std::ifstream& in) : in_(in) {}
    std::size_t read(char* buffer, std::size_t count) override
    {
        in_.read(buffer, static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(in_.gcount());
    }

private:
    std::ifstream& in_;
};

// Calls onLine(number, content, lineEnd) for every line of the file from start on,
// the line ends being CR, LF or CR LF as the reader takes them.
template <class OnLine> bool forEachFileLine(const std::string& path, std::int64_t start, OnLine onLine)
{
    std::ifstream in(platform::fileSystemPath(path), std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::int64_t size = static_cast<std::int64_t>(in.tellg()) - start;
    if (size < 0 || !in.seekg(start))
        return false;
    StreamBytes bytes(in);
    forEachRawLine(bytes, size, onLine);
    return !in.bad();
}

bool isRegularFile(const std::string& path)
{
    return platform::pathKind(path) == platform::PathKind::RegularFile;
}

// The fields of a line written back in the file's format: each between the
// delimiters when there is one, joined by the separator (no line end).
std::string joinFields(const std::vector<std::string>& fields, const ReaderOptions& options)
{
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0)
            line += options.separator;
        if (options.delimiter != '\0')
            line += options.delimiter + fields[k] + options.delimiter;
        else
            line += fields[k];
    }
    return line;
}

} // namespace

void RejectedLines::start(bool enabled)
{
    *this = RejectedLines{};
    enabled_ = enabled;
}

void RejectedLines::quotationStarts(std::int64_t line, std::optional<std::vector<std::string>> filledFields)
{
    lastLine_ = line;
    if (!enabled_)
        return;
    open_.clear();
    open_.push_back({line, std::move(filledFields)});
}

void RejectedLines::lineOfQuotation(std::int64_t line)
{
    lastLine_ = line;
    if (enabled_)
        open_.push_back({line, std::nullopt});
}

void RejectedLines::quotationEnds(bool rejected)
{
    if (rejected)
        rejected_.insert(rejected_.end(), std::make_move_iterator(open_.begin()),
                         std::make_move_iterator(open_.end()));
    open_.clear();
}

std::vector<RejectedLines::Line> RejectedLines::lines() const
{
    std::vector<Line> lines = rejected_;
    if (!finished_)
        lines.insert(lines.end(), open_.begin(), open_.end());
    return lines;
}

std::optional<std::int64_t> RejectedLines::restFrom() const
{
    if (finished_)
        return std::nullopt;
    return lastLine_ + 1;
}

std::optional<std::string> writeRejectsFile(const RejectsFileRequest& request, const RejectedLines& rejected)
{
    const std::vector<RejectedLines::Line> kept = rejected.lines();
    const std::optional<std::int64_t> restFrom = rejected.restFrom();
    // The file opened as the run opens it: the same text (a UTF-8 file turned into
    // Windows-1252 for the reader), the same refusals. A file that cannot be opened
    // has nothing to copy; one the run refused was never imported, so all of it is
    // rest.
    DataFileOpening opening = openDataFile(request.dataPath, request.options);
    LinesWithText rest;
    if (opening.opened && restFrom)
        rest = linesWithText(*opening.opened, request, *restFrom);
    rest.everyLine = !opening.opened && isRegularFile(request.dataPath);
    // A run that read UTF-8 (by its mark or by the option) writes its rejects as
    // UTF-8 with the mark, so that the rejects file alone is read as UTF-8 whatever
    // option it is imported with later.
    const bool utf8 = opening.opened ? opening.opened->options.utf8 : request.options.utf8;
    const std::int64_t start = opening.opened ? opening.opened->start : 0;
    opening.opened.reset(); // the raw pass reads the file again, and the lock is no longer needed

    const std::filesystem::path target = platform::fileSystemPath(request.rejectsPath);
    std::filesystem::path temporary = target;
    temporary += ".partial";
    const std::string failure = "No se pudo escribir el archivo de rechazados " + request.rejectsPath;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return failure;
        auto keptAt = kept.begin();
        auto restAt = rest.lines.begin();
        bool written = false;
        auto write = [&](std::string_view content, std::string_view end) {
            if (!written && utf8)
                out << "\xEF\xBB\xBF";
            written = true;
            out << content << end;
        };
        const bool read =
            (kept.empty() && !restFrom) || !isRegularFile(request.dataPath) ||
            forEachFileLine(
                request.dataPath, start,
                [&](std::int64_t number, std::string_view content, std::string_view end) {
                    while (keptAt != kept.end() && keptAt->number < number)
                        ++keptAt;
                    while (restAt != rest.lines.end() && *restAt < number)
                        ++restAt;
                    if (keptAt != kept.end() && keptAt->number == number) {
                        if (!keptAt->filledFields)
                            write(content, end);
                        else if (utf8)
                            write(platform::cp1252ToUtf8(joinFields(*keptAt->filledFields, request.options)),
                                  end);
                        else
                            write(joinFields(*keptAt->filledFields, request.options), end);
                    } else if ((restAt != rest.lines.end() && *restAt == number) ||
                               (rest.everyLine && number >= *restFrom && number > request.skipLines)) {
                        write(content, end);
                    }
                });
        out.flush();
        if (!read || !out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return failure;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return failure;
    }
    return std::nullopt;
}

} // namespace importer
