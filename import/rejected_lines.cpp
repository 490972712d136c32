#include "import/rejected_lines.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace importer {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// The data file's bytes for the reader.
class StreamByteSource : public ByteSource {
public:
    explicit StreamByteSource(std::istream& in) : in_(in) {}
    std::size_t read(char* buffer, std::size_t count) override
    {
        in_.read(buffer, static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(in_.gcount());
    }

private:
    std::istream& in_;
};

// The lines from `from` on that the reader hands to the line step: the ones with
// text, past the skipped lines at the start.
std::vector<std::int64_t> linesWithText(const RejectsFileRequest& request, std::int64_t from)
{
    std::vector<std::int64_t> lines;
    std::ifstream in(request.dataPath, std::ios::binary);
    if (!in)
        return lines;
    std::error_code error;
    const auto size = std::filesystem::file_size(request.dataPath, error);
    if (error)
        return lines;
    StreamByteSource source(in);
    DelimitedReader(request.options)
        .run(
            source, static_cast<std::int64_t>(size),
            [&](const Slots&, int, std::int64_t line) {
                if (line >= from && line > request.skipLines)
                    lines.push_back(line);
            },
            [](std::int64_t) {});
    return lines;
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
    std::vector<std::int64_t> rest;
    bool everyLine = false;
    try {
        if (restFrom)
            rest = linesWithText(request, *restFrom);
    } catch (const std::exception&) {
        // A file beyond the reader's limits was refused before anything was
        // imported: every line of it is rest, as it stands.
        everyLine = true;
    }

    const std::filesystem::path target(request.rejectsPath);
    std::filesystem::path temporary = target;
    temporary += ".partial";
    const std::string failure = "No se pudo escribir el archivo de rechazados " + request.rejectsPath;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return failure;
        auto keptAt = kept.begin();
        auto restAt = rest.begin();
        // A data file that is not there (the run could not open it either) leaves
        // nothing to copy.
        const bool read = (kept.empty() && !restFrom) || !std::filesystem::exists(request.dataPath) ||
                          forEachRawLine(request.dataPath, [&](std::int64_t number, const std::string& content,
                                                               const std::string& end) {
                              while (keptAt != kept.end() && keptAt->number < number)
                                  ++keptAt;
                              while (restAt != rest.end() && *restAt < number)
                                  ++restAt;
                              if (keptAt != kept.end() && keptAt->number == number) {
                                  out << (keptAt->filledFields ? joinFields(*keptAt->filledFields, request.options)
                                                               : content)
                                      << end;
                              } else if ((restAt != rest.end() && *restAt == number) ||
                                         (everyLine && number >= *restFrom && number > request.skipLines)) {
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
