// Fuzzes the settings-file reader: the input is written as settings.conf to a folder
// of its own and read back as the window's start-up values.
#include "fuzz/check.h"
#include "import/settings_file.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace {

std::filesystem::path& folder()
{
    static std::filesystem::path path;
    return path;
}

void removeFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder(), ignored);
}

const std::string& settingsPath()
{
    static const std::string path = [] {
        // Memory-backed when the system has it: rewriting a file on a journalling
        // disk flushes it every time, which would make the file system the bottleneck.
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        folder() = base / ("importarcot-settings-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder());
        std::atexit(removeFolder);
        return importer::settingsFilePath(folder().string());
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string& path = settingsPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        FUZZ_CHECK(out.good(), "the settings file could be written");
    }

    const importer::SettingsLines lines = importer::readSettingsFile(path);

    std::size_t present = 0;
    bool missingSeen = false;
    for (const auto& value : lines) {
        if (!value) {
            missingSeen = true;
            continue;
        }
        FUZZ_CHECK(!missingSeen, "the values fill the fields from the first line on");
        ++present;
        FUZZ_CHECK(value->find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
                   "a value holds no CR, LF or NUL");
        FUZZ_CHECK(platform::isValidUtf8(*value), "a value is UTF-8");
    }
    FUZZ_CHECK(present <= 6, "at most six values");

    const std::size_t firstBreak = bytes.find_first_of("\r\n");
    const std::size_t lineBreaks = static_cast<std::size_t>(
        std::count_if(bytes.begin(), bytes.end(), [](char b) { return b == '\r' || b == '\n'; }));
    FUZZ_CHECK(present <= lineBreaks + 1, "no more values than lines");
    FUZZ_CHECK((present == 0) == bytes.empty(), "a file with any byte gives its first line");

    // A first line of plain UTF-8 text comes through unchanged.
    const std::string_view first = bytes.substr(0, firstBreak);
    if (!bytes.empty() && first.find('\0') == std::string_view::npos && platform::isValidUtf8(first))
        FUZZ_CHECK(*lines[0] == first, "the first line's text is its value");
    return 0;
}
