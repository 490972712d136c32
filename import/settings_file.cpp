#include "import/settings_file.h"

#include <vector>

#include "platform/exclusive_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"

namespace importer {

std::string diraplicacion(platform::Dialogs& dialogs)
{
    const auto key = platform::RegistryKey::openLocalMachineReadOnly(kSuiteKey);
    if (!key) {
        dialogs.plainMessage("No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016\\Directorio");
        return {};
    }
    return key->readString(kDirectoryValue);
}

std::string settingsFilePath(const std::string& directory)
{
#ifdef _WIN32
    return directory + "\\settings.conf";
#else
    return directory + "/settings.conf";
#endif
}

SettingsLines readSettingsFile(const std::string& path)
{
    SettingsLines lines;
    if (!platform::fileExists(path))
        return lines;
    const auto file = platform::ExclusiveFile::open(path);
    if (!file)
        return lines;

    const std::int64_t size = file->size();
    file->seek(0);
    std::string content;
    std::vector<char> block(64 * 1024);
    while (static_cast<std::int64_t>(content.size()) < size) {
        const std::size_t got = file->read(block.data(), block.size());
        if (got == 0)
            break;
        content.append(block.data(), got);
    }

    std::size_t lineCount = 0;
    std::string value;
    bool valueEnded = false;  // a NUL byte ended the value; the rest of the line is ignored
    bool lineOpen = false;
    auto endLine = [&] {
        if (lineCount < lines.size())
            lines[lineCount] = platform::systemTextToUtf8(value);
        ++lineCount;
        value.clear();
        valueEnded = false;
        lineOpen = false;
    };
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char b = content[i];
        if (b == '\r' || b == '\n') {
            endLine();
            if (b == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            continue;
        }
        lineOpen = true;
        if (b == '\0')
            valueEnded = true;
        else if (!valueEnded)
            value += b;
    }
    if (lineOpen)
        endLine();
    return lines;
}

}  // namespace importer
