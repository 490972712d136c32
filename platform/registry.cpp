#include "platform/registry.h"

#include "platform/small_file.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "platform/wide_text.h"

#include <windows.h>
#endif

namespace platform {
namespace {

std::string withoutLeadingBackslash(std::string_view path)
{
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    return std::string(path);
}

} // namespace

std::string RegistryKey::readString(std::string_view name) const
{
    const auto found = value(name);
    if (!found)
        return {};
    if (found->type == RegistryValueType::Other)
        throw RegistryError("Invalid data type for '" + std::string(name) + "'");
    return found->text;
}

#ifdef _WIN32

namespace {

// The suite may be a 32-bit program, whose key then sits in the registry's 32-bit
// view: the native view is read first, then that one.
constexpr REGSAM kViews[] = {0, KEY_WOW64_32KEY};

} // namespace

std::optional<RegistryKey> RegistryKey::openLocalMachineReadOnly(std::string_view path)
{
    const std::string relative = withoutLeadingBackslash(path);
    for (const REGSAM view : kViews) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, widened(relative).c_str(), 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS)
            continue;
        RegCloseKey(key);
        RegistryKey opened;
        opened.path_ = relative;
        opened.view_ = view;
        return opened;
    }
    return std::nullopt;
}

std::optional<RegistryValue> RegistryKey::value(std::string_view name) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, widened(path_).c_str(), 0, KEY_READ | view_, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName = widened(name);
    DWORD type = 0;
    DWORD size = 0;
    std::optional<RegistryValue> result;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        RegistryValue value;
        value.type = type == REG_SZ          ? RegistryValueType::String
                     : type == REG_EXPAND_SZ ? RegistryValueType::ExpandString
                                             : RegistryValueType::Other;
        if (value.type != RegistryValueType::Other) {
            // A stored string need not end in a zero, nor stop at the first one.
            std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
            if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS)
                value.text = narrowed(std::wstring_view(buffer.c_str()));
        }
        result = value;
    }
    RegCloseKey(key);
    return result;
}

#else

namespace {

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// Decodes the hex byte list of a .reg value ("41,00,42,00" possibly continued over
// lines ending in a backslash, already joined).
std::string hexBytes(std::string_view list)
{
    std::string bytes;
    std::string digits;
    for (char c : list) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c == ',') {
            if (!digits.empty())
                bytes += static_cast<char>(std::strtol(digits.c_str(), nullptr, 16));
            digits.clear();
        }
    }
    if (!digits.empty())
        bytes += static_cast<char>(std::strtol(digits.c_str(), nullptr, 16));
    return bytes;
}

// UTF-16LE bytes to UTF-8, surrogate pairs joined; a lone half of a pair becomes
// U+FFFD. With untilNul the text ends at the first zero character, as a string
// value stored in the registry does.
std::string utf16leToUtf8(std::string_view bytes, bool untilNul)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unitAt = [&bytes](std::size_t i) -> char32_t {
        return static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit == 0 && untilNul)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            unit = 0xFFFD;
        appendUtf8(out, unit);
    }
    return out;
}

// The registry editor of current Windows versions exports UTF-16LE with a byte-order
// mark; older exports and hand-written files are 8-bit text, possibly with a UTF-8
// mark. The parser below works on 8-bit text, so the first kind is decoded to UTF-8
// and a UTF-8 mark is dropped; anything else is taken as it stands.
std::string standInText(std::string bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return utf16leToUtf8(std::string_view(bytes).substr(2), false);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    return bytes;
}

// Reads a quoted .reg string starting at text[pos] == '"'; returns the text and
// moves pos past the closing quote.
std::string quoted(std::string_view text, std::size_t& pos)
{
    std::string out;
    ++pos;
    while (pos < text.size() && text[pos] != '"') {
        if (text[pos] == '\\' && pos + 1 < text.size())
            ++pos;
        out += text[pos++];
    }
    ++pos;
    return out;
}

// The stand-in file's lines, with continuation lines joined.
std::vector<std::string> logicalLines(const std::string& content)
{
    std::vector<std::string> lines;
    std::istringstream in(content);
    std::string line;
    std::string pending;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool continues = !line.empty() && line.back() == '\\';
        if (!pending.empty()) {
            pending += trimmed(line);
            if (continues) {
                pending.pop_back();
                continue;
            }
            lines.push_back(pending);
            pending.clear();
            continue;
        }
        if (continues && line.find("=\"") == std::string::npos) {
            pending = line.substr(0, line.size() - 1);
            continue;
        }
        lines.push_back(line);
    }
    if (!pending.empty())
        lines.push_back(pending);
    return lines;
}

// Where the stand-in file is looked for.
std::string registryStandInPath()
{
    if (const char* path = std::getenv("IMPORTARCOT_REGISTRY"); path != nullptr && *path != '\0')
        return path;
    return "/etc/importarcot/registry.reg";
}

} // namespace

std::optional<RegistryKey> RegistryKey::openLocalMachineReadOnly(std::string_view path)
{
    // A stand-in that is missing or cannot be opened is a missing key, as on a
    // machine without the suite; one that cannot be a registry export at all (a
    // pipe, a device, an endless file) is an error with its own message.
    const std::string standIn = registryStandInPath();
    SmallFile content = readSmallFile(standIn, ExclusiveFile::Sharing::Readers);
    if (content.error == SmallFileError::NotRegular || content.error == SmallFileError::TooLarge)
        throw RegistryError("No se puede leer el registro " + systemTextToUtf8(standIn) + ": " +
                            smallFileReason(content.error) + ".");
    if (content.error != SmallFileError::None)
        return std::nullopt;

    const std::string wanted = lowered("hkey_local_machine\\" + withoutLeadingBackslash(path));
    bool inKey = false;
    bool found = false;
    std::string section;
    for (const auto& line : logicalLines(standInText(std::move(content.content)))) {
        const std::string text = trimmed(line);
        if (!text.empty() && text.front() == '[') {
            const auto close = text.find(']');
            inKey =
                lowered(text.substr(1, close == std::string::npos ? std::string::npos : close - 1)) == wanted;
            found = found || inKey;
            continue;
        }
        if (inKey)
            section += text + "\n";
    }
    if (!found)
        return std::nullopt;
    RegistryKey key;
    key.path_ = withoutLeadingBackslash(path);
    key.content_ = section;
    return key;
}

std::optional<RegistryValue> RegistryKey::value(std::string_view name) const
{
    std::istringstream in(content_);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() != '"')
            continue;
        std::size_t pos = 0;
        const std::string valueName = quoted(line, pos);
        if (lowered(valueName) != lowered(name) || pos >= line.size() || line[pos] != '=')
            continue;
        const std::string data = line.substr(pos + 1);
        RegistryValue value;
        if (!data.empty() && data.front() == '"') {
            std::size_t start = 0;
            value.type = RegistryValueType::String;
            value.text = quoted(data, start);
        } else if (lowered(data).rfind("hex(2):", 0) == 0) {
            value.type = RegistryValueType::ExpandString;
            value.text = utf16leToUtf8(hexBytes(data.substr(7)), true);
        } else {
            value.type = RegistryValueType::Other;
        }
        return value;
    }
    return std::nullopt;
}

#endif

} // namespace platform
