#include "platform/small_file.h"

#include <vector>

namespace platform {

SmallFile readSmallFile(const std::string& path, ExclusiveFile::Sharing sharing)
{
    SmallFile result;
    switch (pathKind(path)) {
    case PathKind::Missing:
        result.error = SmallFileError::Missing;
        return result;
    case PathKind::Folder:
    case PathKind::Other:
        result.error = SmallFileError::NotRegular;
        return result;
    case PathKind::RegularFile:
        break;
    }
    const auto file = ExclusiveFile::open(path, sharing);
    if (!file) {
        // Replaced by something else since the look, or held by another program.
        result.error = pathKind(path) != PathKind::RegularFile   ? SmallFileError::NotRegular
                       : sharing == ExclusiveFile::Sharing::None ? SmallFileError::Held
                                                                 : SmallFileError::Unreadable;
        return result;
    }
    // One byte more than the bound tells a file that is too large from one that
    // just fits.
    std::vector<char> block(64 * 1024);
    for (;;) {
        const std::int64_t got = file->read(block.data(), block.size());
        if (got < 0) {
            result.error = SmallFileError::Unreadable;
            result.content.clear();
            return result;
        }
        if (got == 0)
            return result;
        result.content.append(block.data(), static_cast<std::size_t>(got));
        if (static_cast<std::int64_t>(result.content.size()) > kSmallFileLimit) {
            result.error = SmallFileError::TooLarge;
            result.content.clear();
            return result;
        }
    }
}

std::string smallFileReason(SmallFileError error)
{
    switch (error) {
    case SmallFileError::None:
        return {};
    case SmallFileError::Missing:
        return "no existe";
    case SmallFileError::NotRegular:
        return "no es un archivo común (es una carpeta, una tubería, un dispositivo o un socket)";
    case SmallFileError::Held:
        return "otro programa lo tiene abierto";
    case SmallFileError::TooLarge:
        return "tiene más de " + std::to_string(kSmallFileLimit / (1024 * 1024)) + " MiB";
    case SmallFileError::Unreadable:
        return "el sistema no lo deja leer";
    }
    return {};
}

} // namespace platform
