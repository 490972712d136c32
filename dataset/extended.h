#pragma once
// Extended-precision working numbers of the line amounts: the x87 format with a
// 64-bit significand, rounding to nearest with ties to even. Every operation is
// checked for the faults the program reports, instead of relying on hardware traps.
#include "dataset/money.h"

#include <limits>

namespace dataset {

using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "the line amounts need the 64-bit-significand extended format");

// Each raises platform::FloatingPointError with "Floating point division by zero",
// "Invalid floating point operation" or "Floating point overflow".
Extended add(Extended a, Extended b);
Extended subtract(Extended a, Extended b);
Extended multiply(Extended a, Extended b);
Extended divide(Extended a, Extended b);

// The final rounding: to the nearest whole count, ties to even; a result outside the
// signed 64-bit range is an invalid operation.
Money roundToMoney(Extended x);

} // namespace dataset
