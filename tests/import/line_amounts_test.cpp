#include "import/line_amounts.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

namespace importer {
namespace {

constexpr Money M(double value)
{
    return static_cast<Money>(value * 10000.0 + (value < 0 ? -0.5 : 0.5));
}

// Examples A (tax added) and B (tax included): quantity 2, price 60.00, discount
// 10 %, consumption tax 4.00 per unit, factor 1, VAT 19 %.
TEST(LineAmounts, WorkedExamples)
{
    const Money consumption = lineConsumption(M(2), M(4), M(1));
    EXPECT_EQ(consumption, M(8));
    EXPECT_EQ(unitDiscount(M(10), M(60)), M(6));
    const Money subtotal = lineSubtotal(M(60), M(2), M(10));
    EXPECT_EQ(subtotal, M(108));

    const Money vatAdded = vatTaxAdded(subtotal, consumption, M(19));
    EXPECT_EQ(vatAdded, M(19));
    EXPECT_EQ(totalTaxAdded(vatAdded, subtotal, consumption), M(135));
    EXPECT_EQ(vatTaxIncluded(subtotal, consumption, M(19)), 159664); // 100 × 19 / 119 = 15.966386...
}

TEST(LineAmounts, FurtherExamples)
{
    EXPECT_EQ(lineConsumption(M(1.5), M(3.25), M(12)), M(58.5));
    // Ties go to the even count: 0.00625 gives 0.0062, 0.03125 gives 0.0312.
    EXPECT_EQ(unitDiscount(M(0.5), M(1.25)), 62);
    EXPECT_EQ(lineSubtotal(M(0.05), M(1), M(37.5)), 312);
    EXPECT_EQ(unitDiscount(M(37.5), M(0.05)), 188); // 0.01875
    // A consumption tax above the subtotal, tax included.
    EXPECT_EQ(vatTaxIncluded(M(1), lineConsumption(M(1), M(3), M(1)), M(19)), -3193);
}

// Where forming the steps in double precision gives another last digit, the
// 64-bit-significand result is the one that counts.
TEST(LineAmounts, ExtendedPrecisionDecidesTheLastDigit)
{
    const struct {
        Money price, quantity, percent;
        Money extended; // plain double arithmetic gives the count noted
    } cases[] = {
        {M(7810), M(1), M(1.2345), 77135856},    // double: 77135855
        {M(9180), M(1.5), M(1.2345), 136000094}, // double: 136000093
        {M(16030), M(1), M(0.0015), 160297595},  // double: 160297596
    };
    for (const auto& c : cases)
        EXPECT_EQ(lineSubtotal(c.price, c.quantity, c.percent), c.extended) << c.price;
}

TEST(LineAmounts, ZeroRatesAndNullInputs)
{
    EXPECT_EQ(vatTaxAdded(M(100), 0, 0), 0);
    EXPECT_EQ(vatTaxIncluded(M(100), 0, 0), 0);
    EXPECT_EQ(lineSubtotal(M(100), 0, 0), 0);
}

TEST(LineAmounts, Faults)
{
    try {
        vatTaxIncluded(M(100), 0, M(-100));
        FAIL() << "a rate of -100 divides by zero";
    } catch (const platform::FloatingPointError& error) {
        EXPECT_STREQ(error.what(), "Floating point division by zero");
    }
    try {
        lineSubtotal(M(900000000000), M(900000000000), 0);
        FAIL() << "a result beyond 64 bits";
    } catch (const platform::FloatingPointError& error) {
        EXPECT_STREQ(error.what(), "Invalid floating point operation");
    }
}

} // namespace
} // namespace importer
