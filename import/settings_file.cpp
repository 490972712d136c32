#include "import/settings_file.h"

#include "platform/registry.h"
#include "platform/small_file.h"
#include "platform/text_codec.h"

#include <stdexcept>

namespace importer {

std::string diraplicacion(platform::Dialogs& dialogs)
{
    const auto key = platform::RegistryKey::openLocalMachineReadOnly(kSuiteKey);
    if (!key) {
        dialogs.plainMessage(
            "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016\\Directorio");
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
    // A file that is missing, held by another program or cannot be opened gives no
    // values; one that cannot be a settings file at all is worth a message.
    const platform::SmallFile file = platform::readSmallFile(path, platform::ExclusiveFile::Sharing::None);
    if (file.error == platform::SmallFileError::NotRegular ||
        file.error == platform::SmallFileError::TooLarge)
        throw std::runtime_error("No se puede leer el archivo de configuración " +
                                 platform::systemTextToUtf8(path) + ": " +
                                 platform::smallFileReason(file.error) + ".");
    const std::string& content = file.content;

    std::size_t lineCount = 0;
    std::string value;
    bool valueEnded = false; // a NUL byte ended the value; the rest of the line is ignored
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

} // namespace importer
