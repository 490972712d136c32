// UTF-8 text into Windows-1252 bytes without guessing: the same result wherever
// the text is cut into pieces, and a stop at the first character that has no byte.
#include "platform/text_codec.h"

#include <gtest/gtest.h>
#include <string>

namespace platform {
namespace {

using Failure = StrictUtf8ToCp1252::Failure;

struct Converted {
    std::string bytes;
    Failure failure;
    char32_t character;
};

Converted convertInTwo(const std::string& text, std::size_t split)
{
    StrictUtf8ToCp1252 converter;
    Converted result{"", Failure::None, 0};
    result.failure = converter.convert(std::string_view(text).substr(0, split), result.bytes);
    if (result.failure == Failure::None)
        result.failure = converter.convert(std::string_view(text).substr(split), result.bytes);
    if (result.failure == Failure::None)
        result.failure = converter.finish();
    result.character = converter.unconvertible();
    return result;
}

TEST(StrictUtf8ToCp1252, SameResultWhereverThePiecesAreCut)
{
    const struct {
        const char* name;
        std::string text;
        std::string bytes; // what comes out before the failure, if any
        Failure failure;
        char32_t character;
    } cases[] = {
        {"letters_and_euro", "a\xC3\xB1 \xE2\x82\xAC \xC5\xA0", "a\xF1 \x80 \x8A", Failure::None, 0},
        {"outside_windows_1252", "ab\xCE\xA9z", "ab", Failure::NoWindows1252Byte, U'\u03A9'},
        {"four_bytes_outside", "x\xF0\x9F\x98\x80", "x", Failure::NoWindows1252Byte, U'\U0001F600'},
        {"stray_continuation_byte", "a\x80", "a", Failure::NotUtf8, 0},
        {"overlong_form", "a\xC1\x81", "a", Failure::NotUtf8, 0},
        {"unfinished_at_the_end", "a\xE2\x82", "a", Failure::NotUtf8, 0},
    };
    for (const auto& c : cases) {
        for (std::size_t split = 0; split <= c.text.size(); ++split) {
            SCOPED_TRACE(std::string(c.name) + " split at " + std::to_string(split));
            const Converted converted = convertInTwo(c.text, split);
            EXPECT_EQ(converted.failure, c.failure);
            EXPECT_EQ(converted.bytes, c.bytes);
            if (c.failure == Failure::NoWindows1252Byte) {
                EXPECT_EQ(converted.character, c.character);
            }
        }
    }
}

} // namespace
} // namespace platform
