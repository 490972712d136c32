#include "dataset/decimal.h"

#include "dataset/extended.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace dataset {
namespace {

constexpr std::size_t kMaxDigits = 64;

void stripLeadingZeros(std::string& digits)
{
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        digits.assign(1, '0');
    else if (first > 0)
        digits.erase(0, first);
}

// Magnitudes as digit strings of the same scale.
int compareMagnitude(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string addMagnitude(const std::string& a, const std::string& b)
{
    std::string result;
    result.reserve(std::max(a.size(), b.size()) + 1);
    int carry = 0;
    auto ia = a.rbegin();
    auto ib = b.rbegin();
    while (ia != a.rend() || ib != b.rend() || carry) {
        int sum = carry;
        if (ia != a.rend())
            sum += *ia++ - '0';
        if (ib != b.rend())
            sum += *ib++ - '0';
        result.push_back(static_cast<char>('0' + sum % 10));
        carry = sum / 10;
    }
    std::reverse(result.begin(), result.end());
    stripLeadingZeros(result);
    return result;
}

// a - b for a >= b.
std::string subtractMagnitude(const std::string& a, const std::string& b)
{
    std::string result;
    result.reserve(a.size());
    int borrow = 0;
    auto ib = b.rbegin();
    for (auto ia = a.rbegin(); ia != a.rend(); ++ia) {
        int diff = (*ia - '0') - borrow;
        if (ib != b.rend())
            diff -= *ib++ - '0';
        borrow = diff < 0 ? 1 : 0;
        if (diff < 0)
            diff += 10;
        result.push_back(static_cast<char>('0' + diff));
    }
    std::reverse(result.begin(), result.end());
    stripLeadingZeros(result);
    return result;
}

std::string scaledTo(const std::string& digits, int scale, int targetScale)
{
    if (digits == "0")
        return digits;
    return digits + std::string(static_cast<std::size_t>(targetScale - scale), '0');
}

} // namespace

Decimal Decimal::fromMoney(Money value)
{
    return fromUnscaled(value, 4);
}

Decimal Decimal::fromUnscaled(std::int64_t unscaled, int scale)
{
    Decimal d;
    // Through the unsigned type so that the most negative count has a magnitude too.
    const std::uint64_t magnitude =
        unscaled < 0 ? 0 - static_cast<std::uint64_t>(unscaled) : static_cast<std::uint64_t>(unscaled);
    d.digits_ = std::to_string(magnitude);
    d.negative_ = unscaled < 0;
    d.scale_ = scale;
    return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text, char machineSeparator)
{
    bool negative = false;
    bool separatorSeen = false;
    std::size_t digitCount = 0;
    bool anyDigit = false;
    std::string integerPart;
    std::string fraction;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            // Leading zeros are ignored, also by the digit limit: a value's own text
            // puts a zero before the separator (0.5 for .5) and must read back.
            if (separatorSeen || c != '0' || !integerPart.empty()) {
                ++digitCount;
                (separatorSeen ? fraction : integerPart).push_back(c);
            }
        } else if (c == '-' && i == 0) {
            negative = true;
        } else if (c == machineSeparator || c == '.') {
            // The reader turns decimal commas into points, so the point always
            // separates, also where the machine writes a comma.
            if (separatorSeen)
                return std::nullopt;
            separatorSeen = true;
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit || digitCount > kMaxDigits)
        return std::nullopt;

    Decimal d;
    d.digits_ = integerPart + fraction;
    stripLeadingZeros(d.digits_);
    d.scale_ = static_cast<int>(fraction.size());
    d.negative_ = negative && !d.isZero();
    return d;
}

std::string Decimal::toText(char separator) const
{
    if (isZero())
        return "0";
    std::string padded = digits_;
    const auto scale = static_cast<std::size_t>(scale_);
    if (padded.size() <= scale)
        padded.insert(0, scale + 1 - padded.size(), '0');
    std::string integerPart = padded.substr(0, padded.size() - scale);
    std::string fraction = padded.substr(padded.size() - scale);
    const auto lastDigit = fraction.find_last_not_of('0');
    fraction.erase(lastDigit == std::string::npos ? 0 : lastDigit + 1);

    std::string text;
    text.reserve(padded.size() + 2);
    if (negative_)
        text.push_back('-');
    text += integerPart;
    if (!fraction.empty()) {
        text.push_back(separator);
        text += fraction;
    }
    return text;
}

std::optional<std::int64_t> Decimal::unscaled() const
{
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(digits_.data(), digits_.data() + digits_.size(), magnitude);
    (void)end;
    if (error != std::errc())
        return std::nullopt;
    constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(INT64_MAX);
    if (negative_) {
        if (magnitude > kMaxPositive + 1)
            return std::nullopt;
        return static_cast<std::int64_t>(0 - magnitude);
    }
    if (magnitude > kMaxPositive)
        return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

double Decimal::toDouble() const
{
    // digits e-scale, without a decimal point: correctly rounded and independent of
    // the process's numeric locale.
    std::string text;
    text.reserve(digits_.size() + 8);
    if (negative_)
        text.push_back('-');
    text += digits_;
    text += "e-";
    text += std::to_string(scale_);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

Money Decimal::toMoney() const
{
    return roundToMoney(multiply(static_cast<Extended>(toDouble()), 10000.0L));
}

Decimal operator+(const Decimal& a, const Decimal& b)
{
    const int scale = std::max(a.scale_, b.scale_);
    const std::string da = scaledTo(a.digits_, a.scale_, scale);
    const std::string db = scaledTo(b.digits_, b.scale_, scale);
    Decimal sum;
    sum.scale_ = scale;
    if (a.negative_ == b.negative_) {
        sum.digits_ = addMagnitude(da, db);
        sum.negative_ = a.negative_;
    } else if (compareMagnitude(da, db) >= 0) {
        sum.digits_ = subtractMagnitude(da, db);
        sum.negative_ = a.negative_;
    } else {
        sum.digits_ = subtractMagnitude(db, da);
        sum.negative_ = b.negative_;
    }
    if (sum.isZero())
        sum.negative_ = false;
    return sum;
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    if (a.negative_ != b.negative_)
        return a.negative_ ? std::strong_ordering::less : std::strong_ordering::greater;
    const int scale = std::max(a.scale_, b.scale_);
    const int magnitude =
        compareMagnitude(scaledTo(a.digits_, a.scale_, scale), scaledTo(b.digits_, b.scale_, scale));
    const int signedResult = a.negative_ ? -magnitude : magnitude;
    if (signedResult < 0)
        return std::strong_ordering::less;
    if (signedResult > 0)
        return std::strong_ordering::greater;
    return std::strong_ordering::equal;
}

bool operator==(const Decimal& a, const Decimal& b)
{
    return (a <=> b) == 0;
}

} // namespace dataset
