#include "platform/text_codec.h"

#include <array>
#include <cstdint>

namespace platform {
namespace {

// Code points of the bytes 0x80 to 0x9F; the undefined ones keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t toCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

// The bytes of a UTF-8 character from its first byte; 0 for a byte that cannot start one.
int utf8Length(unsigned char lead)
{
    return lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
}

int toCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp)
            return static_cast<int>(0x80 + i);
    return -1;
}

// The character at the start of text: its length in bytes with its code point, 0
// when text ends inside it, -1 when the bytes are not UTF-8 (a stray continuation
// byte, a missing one, an overlong form, a surrogate or a value past U+10FFFF).
int decodeUtf8(std::string_view text, char32_t& cp)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    const int length = utf8Length(lead);
    if (length == 0)
        return -1;
    cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (int k = 1; k < length; ++k) {
        if (static_cast<std::size_t>(k) >= text.size())
            return 0;
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return length;
}

} // namespace

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        appendUtf8(out, toCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        const int length = decodeUtf8(text.substr(i), cp);
        if (length <= 0) {
            out += text[i];
            ++i;
            continue;
        }
        const int byte = toCp1252(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

StrictUtf8ToCp1252::Failure StrictUtf8ToCp1252::convert(std::string_view piece, std::string& out)
{
    if (failure_ != Failure::None)
        return failure_;
    // A character split at the end of the last piece is completed first.
    while (!pending_.empty() && !piece.empty()) {
        pending_ += piece.front();
        piece.remove_prefix(1);
        char32_t cp = 0;
        const int length = decodeUtf8(pending_, cp);
        if (length == 0)
            continue;
        pending_.clear();
        if (length < 0)
            return failure_ = Failure::NotUtf8;
        if (!appendCp1252(cp, out))
            return failure_ = Failure::NoWindows1252Byte;
    }
    std::size_t i = 0;
    while (i < piece.size()) {
        const auto lead = static_cast<unsigned char>(piece[i]);
        if (lead < 0x80) { // the common case, one byte for one byte
            out += piece[i++];
            continue;
        }
        char32_t cp = 0;
        const int length = decodeUtf8(piece.substr(i), cp);
        if (length == 0) {
            pending_.assign(piece.substr(i));
            return Failure::None;
        }
        if (length < 0)
            return failure_ = Failure::NotUtf8;
        if (!appendCp1252(cp, out))
            return failure_ = Failure::NoWindows1252Byte;
        i += static_cast<std::size_t>(length);
    }
    return Failure::None;
}

bool StrictUtf8ToCp1252::appendCp1252(char32_t cp, std::string& out)
{
    const int byte = toCp1252(cp);
    if (byte < 0) {
        unconvertible_ = cp;
        return false;
    }
    out += static_cast<char>(byte);
    return true;
}

StrictUtf8ToCp1252::Failure StrictUtf8ToCp1252::finish()
{
    if (failure_ == Failure::None && !pending_.empty())
        failure_ = Failure::NotUtf8;
    return failure_;
}

} // namespace platform

namespace platform {

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const int length = utf8Length(static_cast<unsigned char>(bytes[i]));
        if (length == 0 || i + length > bytes.size())
            return false;
        for (int k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

std::string systemTextToUtf8(std::string_view bytes)
{
    return isValidUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
}

} // namespace platform
