#pragma once
// Integer texts: leading blanks, an optional sign, decimal digits (within 32 bits) or
// a hexadecimal number introduced by "$", "x", "X", "0x" or "0X" (at most eight hex
// digits, a 32-bit pattern), nothing after the number.
#include <cstdint>
#include <optional>
#include <string_view>

namespace dataset {

std::optional<std::int32_t> parseInteger(std::string_view text);

// A text read as an integer: the form above; the empty text fails too. Raises
// ConversionError "'%s' is not a valid integer value".
std::int32_t textToInteger(std::string_view text);

} // namespace dataset
