#include "platform/program_title.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

namespace {

// Number of bytes of the UTF-8 sequence that starts with this byte; 1 for a byte
// that starts none, so that a name in another encoding is still walked byte by byte.
std::size_t sequenceLength(const std::string& text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (at + length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 1;
    return length;
}

// Lower case for ASCII and for the Latin-1 capitals (U+00C0 to U+00DE but U+00D7),
// which covers the names a Spanish installation gives its programs; other
// characters stay as they are.
void appendLowerCase(std::string& out, const std::string& text, std::size_t at, std::size_t length)
{
    const auto first = static_cast<unsigned char>(text[at]);
    if (length == 1) {
        out += first >= 'A' && first <= 'Z' ? static_cast<char>(first - 'A' + 'a') : text[at];
        return;
    }
    if (length == 2 && first == 0xC3) {
        // U+00C0..U+00FF is C3 80..C3 BF; the two cases lie 0x20 apart.
        const auto second = static_cast<unsigned char>(text[at + 1]);
        if (second >= 0x80 && second <= 0x9E && second != 0x97) {
            out += text[at];
            out += static_cast<char>(second + 0x20);
            return;
        }
    }
    out.append(text, at, length);
}

} // namespace

std::string programTitle(const std::string& executablePath)
{
    const auto slash = executablePath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    name = name.substr(0, name.find('.'));

    // The first character stays as it is written.
    std::string title;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = sequenceLength(name, at);
        if (at == 0)
            title.append(name, 0, length);
        else
            appendLowerCase(title, name, at, length);
        at += length;
    }
    return title;
}

std::string programTitle()
{
#ifdef _WIN32
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    const std::filesystem::path path(std::wstring(buffer, length));
    const auto utf8 = path.u8string();
    return programTitle(std::string(utf8.begin(), utf8.end()));
#else
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return programTitle(error ? std::string() : path.string());
#endif
}

} // namespace platform
