#include "support/test_registry.h"

#include <cstdlib>
#include <string>
#include <utility>

#ifdef _WIN32
#include "platform/text_codec.h"
#include "platform/wide_text.h"

#include <fstream>
#include <windows.h>
#endif

namespace testing_support {
namespace {

#ifdef _WIN32

// The suite's key, in the native and in the 32-bit view.
void removeSuiteKey()
{
    for (const REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_32KEY}}) {
        HKEY software = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) !=
            ERROR_SUCCESS)
            continue;
        RegDeleteTreeW(software, L"Orvan");
        RegCloseKey(software);
    }
}

// A file that does not exist leaves the registry without the suite's key.
void useRegistryFile(const std::filesystem::path& file)
{
    removeSuiteKey();
    if (!std::filesystem::exists(file))
        return;
    // reg.exe takes a file of the current format only in UTF-16LE, as the editor
    // writes it; an 8-bit one has its hex(2) strings read as 8-bit text. So an 8-bit
    // file is imported from its UTF-16LE copy.
    std::string bytes = readFile(file);
    std::filesystem::path imported = file;
    if (!bytes.starts_with("\xFF\xFE")) {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.erase(0, 3);
        const std::wstring text = platform::widened(platform::systemTextToUtf8(bytes));
        imported += L".utf16.reg";
        std::ofstream out(imported, std::ios::binary);
        out << "\xFF\xFE";
        out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
    }
    // A file that is not an export (an empty one) imports nothing, as the program
    // finds no key in it on Linux.
    const std::wstring command = L"reg import \"" + imported.wstring() + L"\" >NUL 2>&1";
    _wsystem(command.c_str());
}

void forgetRegistry()
{
    removeSuiteKey();
}

#else

void useRegistryFile(const std::filesystem::path& file)
{
    setenv("IMPORTARCOT_REGISTRY", file.c_str(), 1);
}

void forgetRegistry()
{
    unsetenv("IMPORTARCOT_REGISTRY");
}

#endif

std::filesystem::path madeFolder(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path);
    return path;
}

} // namespace

std::string suiteKeyExport(const std::string& values)
{
    return "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\n" +
           values;
}

std::string directorioValue(const std::filesystem::path& suite)
{
    // A string value escapes its backslashes, as in a Windows path.
    std::string escaped;
    for (const char c : suite.string()) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return "\"Directorio\"=\"" + escaped + "\"\n";
}

ScopedRegistry::ScopedRegistry(std::filesystem::path file) : file_(std::move(file))
{
    useRegistryFile(file_);
}

ScopedRegistry::ScopedRegistry(const TempDir& folder, const std::string& content)
    : ScopedRegistry(folder.write("registry.reg", content))
{
}

ScopedRegistry::~ScopedRegistry()
{
    forgetRegistry();
}

SuiteInstallation::SuiteInstallation(const TempDir& folder)
    : path_(madeFolder(folder.path() / "suite")), registry_(folder, suiteKeyExport(directorioValue(path_)))
{
}

std::filesystem::path SuiteInstallation::writeSettings(const std::string& bytes) const
{
    return writeFile(path_ / "settings.conf", bytes);
}

} // namespace testing_support
