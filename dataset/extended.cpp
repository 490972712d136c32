#include "dataset/extended.h"

#include "platform/errors.h"

#include <cmath>

namespace dataset {
namespace {

[[noreturn]] void invalidOperation()
{
    throw platform::FloatingPointError("Invalid floating point operation");
}

// What the processor would have flagged for a result computed from a and b: a NaN
// is an invalid operation, an infinity out of finite operands an overflow.
Extended checked(Extended result, Extended a, Extended b)
{
    if (std::isnan(result))
        invalidOperation();
    if (std::isinf(result) && std::isfinite(a) && std::isfinite(b))
        throw platform::FloatingPointError("Floating point overflow");
    return result;
}

} // namespace

Extended add(Extended a, Extended b)
{
    return checked(a + b, a, b);
}

Extended subtract(Extended a, Extended b)
{
    return checked(a - b, a, b);
}

Extended multiply(Extended a, Extended b)
{
    return checked(a * b, a, b);
}

Extended divide(Extended a, Extended b)
{
    if (b == 0) {
        // Checked before dividing: the hardware would only set a flag.
        if (a == 0 || std::isnan(a))
            invalidOperation();
        if (std::isinf(a))
            return std::signbit(a) != std::signbit(b) ? -a : a;
        throw platform::FloatingPointError("Floating point division by zero");
    }
    return checked(a / b, a, b);
}

Money roundToMoney(Extended x)
{
    if (std::isnan(x))
        invalidOperation();
    // The default rounding mode is to nearest with ties to even, which the program
    // never changes.
    const Extended rounded = std::nearbyint(x);
    constexpr Extended kLimit = 9223372036854775808.0L; // 2^63
    if (!(rounded >= -kLimit && rounded < kLimit))
        invalidOperation();
    return static_cast<Money>(rounded);
}

} // namespace dataset
