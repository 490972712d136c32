#include "support/test_registry.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <fstream>
#include <windows.h>

#include "platform/text_codec.h"
#include "platform/wide_text.h"
#include "support/test_support.h"
#endif

namespace testing_support {

#ifdef _WIN32

namespace {

// The suite's key, in the native and in the 32-bit view.
void removeSuiteKey()
{
    for (const REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_32KEY}}) {
        HKEY software = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) != ERROR_SUCCESS)
            continue;
        RegDeleteTreeW(software, L"Orvan");
        RegCloseKey(software);
    }
}

}  // namespace

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

void forgetRegistry() { removeSuiteKey(); }

#else

void useRegistryFile(const std::filesystem::path& file) { setenv("IMPORTARCOT_REGISTRY", file.c_str(), 1); }

void forgetRegistry() { unsetenv("IMPORTARCOT_REGISTRY"); }

#endif

}  // namespace testing_support
