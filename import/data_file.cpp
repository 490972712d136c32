#include "import/data_file.h"

namespace importer {

std::optional<std::string> checkDataFilePath(const std::string& path)
{
    if (path.empty())
        return std::string(kNoPathMessage);
    if (!platform::fileExists(path))
        return std::string(kNotFoundMessage);
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
    const std::int64_t size = file->size();
    file->seek(0);
    FileByteSource source(*file);
    if (const auto violation = findLimitViolation(source, size, options)) {
        result.refusal = limitMessage(*violation);
        return result;
    }
    file->seek(0);
    result.opened = OpenedDataFile{std::move(file), size};
    return result;
}

std::int64_t progressStepSize(std::int64_t size)
{
    const std::int64_t step = size / 100;
    return step == 0 ? 1 : step;
}

}  // namespace importer
