#pragma once
// An exact decimal number: sign, digits and scale. It keeps every digit it was given;
// the database column's scale applies only when a row is written.
#include "dataset/money.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dataset {

class Decimal {
public:
    Decimal() = default; // zero, scale 0

    // The value given as a money count, with its four decimals (scale 4).
    static Decimal fromMoney(Money value);
    // unscaled / 10^scale
    static Decimal fromUnscaled(std::int64_t unscaled, int scale);

    // The field layer's decimal text: only digits, a leading "-", the machine's
    // separator and the point; at most one separator, at least one digit, at most 64
    // digits. Anything else gives nothing (the caller raises the BCD message).
    static std::optional<Decimal> parse(std::string_view text, char machineSeparator);

    // Digits with the separator given and a leading "-" when negative, no trailing
    // zeros in the fraction and no trailing separator; zero gives "0".
    std::string toText(char separator) const;

    bool isZero() const { return digits_ == "0"; }
    bool isNegative() const { return negative_; }
    // Magnitude without leading zeros ("0" for zero); the value is digits / 10^scale.
    const std::string& digits() const { return digits_; }
    int scale() const { return scale_; }
    // The signed unscaled value when it fits 64 bits.
    std::optional<std::int64_t> unscaled() const;

    // The nearest 64-bit floating-point number.
    double toDouble() const;
    // Reading as money: to double, times 10000 in the 64-bit-significand format,
    // rounded to nearest, ties to even. Out of range: "Invalid floating point operation".
    Money toMoney() const;

    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b); // same value
    // Order by value, whatever the scales (index ordering).
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);

private:
    bool negative_ = false;
    std::string digits_ = "0";
    int scale_ = 0;
};

} // namespace dataset
