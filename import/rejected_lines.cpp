#include "import/rejected_lines.h"

#include "import/data_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace importer {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// The lines from `from` on that the reader hands to the line step: the ones with
// text, past the skipped lines at the start. The file is opened as the run opens
// it; nothing when it cannot be, and every line when the reader cannot hold it (it
// was refused before anything was imported).
struct LinesWithText {
    std::vector<std::int64_t> lines;
    bool everyLine = false;
};
LinesWithText linesWithText(const RejectsFileRequest& request, std::int64_t from)
{
    LinesWithText result;
    DataFileOpening opening = openDataFile(request.dataPath, request.options);
    if (!opening.opened) {
        result.everyLine = platform::fileExists(request.dataPath);
        return result;
    }
    FileByteSource source(*opening.opened->file);
    DelimitedReader(request.options)
        .run(
            source, opening.opened->size,
            [&](const Slots&, int, std::int64_t line) {
                if (line >= from && line > request.skipLines)
                    result.lines.push_back(line);
            },
            [](std::int64_t) {});
    return result;
}

// Calls onLine(number, content, lineEnd) for every line of the file, the line ends
// being CR, LF or CR LF as the reader takes them.
template <class OnLine>
bool forEachRawLine(const std::string& path, OnLine onLine)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::vector<char> block(kBlockSize);
    std::string content;
    std::int64_t number = 1;
    bool afterCR = false;  // the line just ended with a CR: an LF now belongs to it
    std::string pendingEnd;
    auto flush = [&](const std::string& end) {
        onLine(number, content, end);
        content.clear();
        ++number;
    };
    for (;;) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto count = static_cast<std::size_t>(in.gcount());
        if (count == 0)
            break;
        for (std::size_t i = 0; i < count; ++i) {
            const char b = block[i];
            if (afterCR) {
                afterCR = false;
                if (b == '\n') {
                    flush("\r\n");
                    continue;
                }
                flush("\r");
            }
            if (b == '\r')
                afterCR = true;
            else if (b == '\n')
                flush("\n");
            else
                content += b;
        }
    }
    if (in.bad())
        return false;
    if (afterCR)
        flush("\r");
    else if (!content.empty())
        flush("");
    return true;
}

}  // namespace

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
        rejected_.insert(rejected_.end(), std::make_move_iterator(open_.begin()), std::make_move_iterator(open_.end()));
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

std::optional<std::string> writeRejectsFile(const RejectsFileRequest& request, const RejectedLines& rejected)
{
    const std::vector<RejectedLines::Line> kept = rejected.lines();
    const std::optional<std::int64_t> restFrom = rejected.restFrom();
    LinesWithText rest;
    if (restFrom)
        rest = linesWithText(request, *restFrom);

    const std::filesystem::path target(request.rejectsPath);
    std::filesystem::path temporary = target;
    temporary += ".partial";
    const std::string failure = "No se pudo escribir el archivo de rechazados " + request.rejectsPath;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return failure;
        auto keptAt = kept.begin();
        auto restAt = rest.lines.begin();
        // A data file that is not there (the run could not open it either) leaves
        // nothing to copy.
        const bool read = (kept.empty() && !restFrom) || !platform::fileExists(request.dataPath) ||
                          forEachRawLine(request.dataPath, [&](std::int64_t number, const std::string& content,
                                                               const std::string& end) {
                              while (keptAt != kept.end() && keptAt->number < number)
                                  ++keptAt;
                              while (restAt != rest.lines.end() && *restAt < number)
                                  ++restAt;
                              if (keptAt != kept.end() && keptAt->number == number) {
                                  out << (keptAt->filledFields ? joinFields(*keptAt->filledFields, request.options)
                                                               : content)
                                      << end;
                              } else if ((restAt != rest.lines.end() && *restAt == number) ||
                                         (rest.everyLine && number >= *restFrom && number > request.skipLines)) {
                                  out << content << end;
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

}  // namespace importer
