#include "import/data_file.h"

#include "platform/text_codec.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace importer {
namespace {

// What a spreadsheet's "CSV UTF-8" puts in front of the text.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string quotedPath(const std::string& path)
{
    return "\"" + platform::systemTextToUtf8(path) + "\"";
}

} // namespace

FileByteSource::FileByteSource(platform::ExclusiveFile& file, std::string path, std::int64_t start,
                               std::int64_t end)
    : file_(file), path_(std::move(path)), position_(start), end_(end)
{
    file_.seek(start);
}

std::size_t FileByteSource::read(char* buffer, std::size_t count)
{
    if (position_ >= end_)
        return 0;
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), end_ - position_));
    const std::int64_t got = file_.read(buffer, wanted);
    if (got < 0)
        throw std::runtime_error("No se pudo leer el archivo " + quotedPath(path_) +
                                 " mientras se importaba. La importación se detuvo.");
    if (got == 0)
        throw std::runtime_error("El archivo " + quotedPath(path_) +
                                 " se acortó mientras se importaba: terminó en el byte " +
                                 std::to_string(position_) + " de los " + std::to_string(end_) +
                                 " que tenía al abrirlo. La importación se detuvo.");
    position_ += got;
    return static_cast<std::size_t>(got);
}

FileByteSource OpenedDataFile::bytes() const
{
    return FileByteSource(*file, path, start, fileSize);
}

std::optional<std::string> checkDataFilePath(const std::string& path)
{
    if (path.empty())
        return std::string(kNoPathMessage);
    switch (platform::pathKind(path)) {
    case platform::PathKind::Missing:
    case platform::PathKind::Folder:
        return std::string(kNotFoundMessage);
    case platform::PathKind::Other:
        return "El archivo a importar " + quotedPath(path) +
               " no es un archivo común: es una tubería, un dispositivo o un socket.";
    case platform::PathKind::RegularFile:
        break;
    }
    return std::nullopt;
}

DataFileOpening openDataFile(const std::string& path, const ReaderOptions& options)
{
    DataFileOpening result;
    auto file = platform::ExclusiveFile::open(path);
    if (!file) {
        result.refusal = kCannotOpenMessage;
        return result;
    }
    OpenedDataFile opened{std::move(file), path, options};
    opened.fileSize = opened.file->size();
    try {
        char mark[kUtf8Mark.size()] = {};
        FileByteSource head = opened.bytes();
        std::size_t got = 0;
        while (got < sizeof mark && opened.fileSize >= static_cast<std::int64_t>(sizeof mark)) {
            const std::size_t more = head.read(mark + got, sizeof mark - got);
            got += more;
        }
        // The mark is not data: a file that starts with it is UTF-8 text.
        if (got == sizeof mark && std::string_view(mark, sizeof mark) == kUtf8Mark) {
            opened.start = static_cast<std::int64_t>(kUtf8Mark.size());
            opened.options.utf8 = true;
        }
        FileByteSource source = opened.bytes();
        const TextCheck check = checkText(source, opened.fileSize - opened.start, opened.options);
        if (check.violation) {
            result.refusal = limitMessage(*check.violation);
            return result;
        }
        opened.size = opened.options.utf8 ? check.textSize : opened.fileSize - opened.start;
        opened.lines = check.lines;
    } catch (const std::runtime_error& error) {
        // Cut short or unreadable while it was checked.
        result.refusal = error.what();
        return result;
    }
    result.opened = std::move(opened);
    return result;
}

std::int64_t progressStepSize(std::int64_t size)
{
    const std::int64_t step = size / 100;
    return step == 0 ? 1 : step;
}

} // namespace importer
