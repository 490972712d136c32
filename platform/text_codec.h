#pragma once
// Data from files and from the database are bytes in the suite's single-byte code
// page (Windows-1252); messages and widgets are UTF-8. These are the one place where
// the two meet.
#include <string>
#include <string_view>

namespace platform {

// Every byte maps to one character; the five bytes that Windows-1252 leaves
// undefined map to the control characters of the same value, so nothing is lost.
std::string cp1252ToUtf8(std::string_view bytes);

// Characters without a Windows-1252 byte become "?"; malformed UTF-8 bytes are
// taken as Windows-1252 bytes.
std::string utf8ToCp1252(std::string_view text);

}  // namespace platform

namespace platform {

// Text from the system (settings files, paths): kept when it is valid UTF-8, read
// as Windows-1252 otherwise (a file written on a Windows machine).
std::string systemTextToUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace platform
