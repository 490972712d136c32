#include "dataset/extended.h"
#include "platform/errors.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using dataset::Extended;

struct FaultCase {
    const char* name;
    std::function<void()> operation;
    const char* message;
};

class ExtendedFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(ExtendedFaults, RaisesTheFaultAsAnError)
{
    const FaultCase& c = GetParam();
    try {
        c.operation();
        ADD_FAILURE() << c.name << ": no error";
    } catch (const platform::FloatingPointError& e) {
        EXPECT_STREQ(e.what(), c.message) << c.name;
    }
}

constexpr Extended kMax = std::numeric_limits<Extended>::max();
constexpr Extended kInf = std::numeric_limits<Extended>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtendedFaults,
    testing::Values(
        FaultCase{"one by zero", [] { dataset::divide(1, 0); }, "Floating point division by zero"},
        FaultCase{"minus one by zero", [] { dataset::divide(-1, 0); }, "Floating point division by zero"},
        FaultCase{"zero by zero", [] { dataset::divide(0, 0); }, "Invalid floating point operation"},
        FaultCase{"inf minus inf", [] { dataset::subtract(kInf, kInf); }, "Invalid floating point operation"},
        FaultCase{"inf times zero", [] { dataset::multiply(kInf, 0); }, "Invalid floating point operation"},
        FaultCase{"max times two", [] { dataset::multiply(kMax, 2); }, "Floating point overflow"},
        FaultCase{"max plus max", [] { dataset::add(kMax, kMax); }, "Floating point overflow"},
        FaultCase{"max by a half", [] { dataset::divide(kMax, 0.5L); }, "Floating point overflow"},
        FaultCase{"money above 2^63", [] { dataset::roundToMoney(9223372036854775808.0L); },
                  "Invalid floating point operation"},
        FaultCase{"money below -2^63", [] { dataset::roundToMoney(-9223372036854775809.0L); },
                  "Invalid floating point operation"},
        FaultCase{"NaN to money", [] { dataset::roundToMoney(std::numeric_limits<Extended>::quiet_NaN()); },
                  "Invalid floating point operation"}));

TEST(Extended, RoundsToNearestWithTiesToEven)
{
    EXPECT_EQ(dataset::roundToMoney(2.5L), 2);
    EXPECT_EQ(dataset::roundToMoney(3.5L), 4);
    EXPECT_EQ(dataset::roundToMoney(-2.5L), -2);
    EXPECT_EQ(dataset::roundToMoney(0.5L), 0);
    EXPECT_EQ(dataset::roundToMoney(2.5000000001L), 3);
    EXPECT_EQ(dataset::roundToMoney(-9223372036854775808.0L), INT64_MIN);
}

TEST(Extended, KeepsASixtyFourBitSignificand)
{
    // 2^64 - 1 needs all 64 bits; a double would round it to 2^64.
    const Extended big = dataset::add(18446744073709551614.0L, 1);
    EXPECT_EQ(dataset::subtract(big, 18446744073709551614.0L), 1);
}

TEST(Extended, GivesTheLineAmountsToTheLastDigit)
{
    // Discount amount of a unit price of 1.25 at 0.5 %: exactly 0.00625, to even 0.0062.
    const Extended a = dataset::multiply(5000, 12500);
    EXPECT_EQ(dataset::roundToMoney(dataset::divide(dataset::divide(a, 100), 10000)), 62);
    // VAT contained in 100.00 at 19 %: quotient first, then the product.
    const Extended c = dataset::divide(1000000, dataset::add(190000, 1000000));
    EXPECT_EQ(dataset::roundToMoney(dataset::multiply(c, 190000)), 159664);
}

} // namespace
