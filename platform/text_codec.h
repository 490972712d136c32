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

// UTF-8 text turned into Windows-1252 bytes without losing anything: it stops at
// the first character that has no Windows-1252 byte, or at bytes that are not
// UTF-8, instead of guessing. Fed piece by piece (a file read in blocks), a
// character split between two pieces is completed by the next one.
class StrictUtf8ToCp1252 {
public:
    enum class Failure { None, NoWindows1252Byte, NotUtf8 };

    // Appends the bytes of the characters that piece completes to out. After a
    // failure nothing more is converted and the failure is returned again.
    Failure convert(std::string_view piece, std::string& out);
    // The text ends here: a character left unfinished is not UTF-8.
    Failure finish();

    // The character that has no Windows-1252 byte, after that failure.
    char32_t unconvertible() const { return unconvertible_; }

private:
    bool appendCp1252(char32_t cp, std::string& out);

    std::string pending_; // the start of a character split between pieces
    char32_t unconvertible_ = 0;
    Failure failure_ = Failure::None;
};

} // namespace platform

namespace platform {

// Text from the system (settings files, paths): kept when it is valid UTF-8, read
// as Windows-1252 otherwise (a file written on a Windows machine).
std::string systemTextToUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace platform
