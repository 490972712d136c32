#include "dataset/integer_text.h"

#include "platform/errors.h"

#include <string>

namespace dataset {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);
    if (rest.empty())
        return std::nullopt;

    std::size_t hexStart = std::string_view::npos;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        hexStart = 1;
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        hexStart = 2;

    if (hexStart != std::string_view::npos) {
        const std::string_view hex = rest.substr(hexStart);
        // At most eight digits, leading zeros included: the digits are the pattern.
        if (hex.empty() || hex.size() > 8)
            return std::nullopt;
        std::uint32_t pattern = 0;
        for (const char c : hex) {
            const int v = hexValue(c);
            if (v < 0)
                return std::nullopt;
            pattern = pattern << 4 | static_cast<std::uint32_t>(v);
        }
        // The digits are a 32-bit pattern; the sign negates it in two's complement.
        if (negative)
            pattern = 0u - pattern;
        return static_cast<std::int32_t>(pattern);
    }

    std::int64_t value = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t textToInteger(std::string_view text)
{
    if (const auto value = parseInteger(text))
        return *value;
    throw platform::ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

} // namespace dataset
