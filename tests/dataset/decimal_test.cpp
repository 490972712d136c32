#include "dataset/decimal.h"
#include "platform/errors.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using dataset::Decimal;

struct ParseCase {
    char machineSeparator;
    std::string text;
    const char* expected; // toText with the point, nullptr: refused
};

class DecimalText : public testing::TestWithParam<ParseCase> {};

TEST_P(DecimalText, ParsesOnlyTheDecimalForm)
{
    const ParseCase& c = GetParam();
    const auto value = Decimal::parse(c.text, c.machineSeparator);
    if (c.expected == nullptr) {
        EXPECT_FALSE(value.has_value()) << "accepted '" << c.text << "'";
    } else {
        ASSERT_TRUE(value.has_value()) << "refused '" << c.text << "'";
        EXPECT_EQ(value->toText('.'), c.expected) << c.text;
    }
}

const std::string k64Digits(64, '9');
const std::string k65Digits(65, '9');

INSTANTIATE_TEST_SUITE_P(PointMachine, DecimalText,
                         testing::Values(ParseCase{'.', "-12.5", "-12.5"}, ParseCase{'.', "007.50", "7.5"},
                                         ParseCase{'.', "12", "12"}, ParseCase{'.', ".5", "0.5"},
                                         ParseCase{'.', "0.5", "0.5"}, ParseCase{'.', "12.", "12"},
                                         ParseCase{'.', "0", "0"}, ParseCase{'.', "-0", "0"},
                                         ParseCase{'.', "-.05", "-0.05"},
                                         ParseCase{'.', k64Digits, k64Digits.c_str()},
                                         ParseCase{'.', k65Digits, nullptr}, ParseCase{'.', "1 000", nullptr},
                                         ParseCase{'.', "+5", nullptr}, ParseCase{'.', "12,5", nullptr},
                                         ParseCase{'.', " 5", nullptr}, ParseCase{'.', "5 ", nullptr},
                                         ParseCase{'.', "1e5", nullptr}, ParseCase{'.', "$5", nullptr},
                                         ParseCase{'.', "1-2", nullptr}, ParseCase{'.', "--1", nullptr},
                                         ParseCase{'.', "-", nullptr}, ParseCase{'.', ".", nullptr},
                                         ParseCase{'.', "-.", nullptr}, ParseCase{'.', "1.2.3", nullptr}));

// The reader turns decimal commas into points, so a comma machine takes the point as
// well; everything else stays refused.
INSTANTIATE_TEST_SUITE_P(CommaMachine, DecimalText,
                         testing::Values(ParseCase{',', "12,5", "12.5"}, ParseCase{',', "12.50", "12.5"},
                                         ParseCase{',', "12", "12"}, ParseCase{',', "-0,25", "-0.25"},
                                         ParseCase{',', "1,2.3", nullptr}, ParseCase{',', "1.000,5", nullptr},
                                         ParseCase{',', "+5", nullptr}, ParseCase{',', " 12", nullptr},
                                         ParseCase{',', "12 ", nullptr}, ParseCase{',', "1'000", nullptr}));

TEST(Decimal, KeepsEveryDigitItWasGiven)
{
    const auto value = Decimal::parse("007.50", '.');
    ASSERT_TRUE(value);
    EXPECT_EQ(value->digits(), "750");
    EXPECT_EQ(value->scale(), 2);
    EXPECT_EQ(value->unscaled(), 750);
    EXPECT_EQ(Decimal::parse("1.23456789", '.')->scale(), 8);
}

TEST(Decimal, WritesItsTextWithTheSeparatorGiven)
{
    EXPECT_EQ(Decimal::fromMoney(125000).toText(','), "12,5");
    EXPECT_EQ(Decimal::fromMoney(190000).toText('.'), "19");
    EXPECT_EQ(Decimal::fromMoney(-5).toText('.'), "-0.0005");
    EXPECT_EQ(Decimal::fromMoney(0).toText(','), "0");
    EXPECT_EQ(Decimal::fromUnscaled(INT64_MIN, 4).toText('.'), "-922337203685477.5808");
    EXPECT_EQ(Decimal::fromUnscaled(INT64_MIN, 4).unscaled(), INT64_MIN);
}

TEST(Decimal, AddsAndComparesExactly)
{
    const auto a = *Decimal::parse("1.25", '.');
    const auto b = *Decimal::parse("-0.255", '.');
    EXPECT_EQ((a + b).toText('.'), "0.995");
    EXPECT_EQ((b + a).toText('.'), "0.995");
    EXPECT_EQ((b + b).toText('.'), "-0.51");
    EXPECT_EQ((*Decimal::parse("-1", '.') + *Decimal::parse("1.00", '.')).toText('.'), "0");
    EXPECT_FALSE((*Decimal::parse("-1", '.') + *Decimal::parse("1.00", '.')).isNegative());
    EXPECT_EQ((*Decimal::parse("99.99", '.') + *Decimal::parse("0.01", '.')).toText('.'), "100");
    EXPECT_EQ(*Decimal::parse("0.5", '.'), *Decimal::parse("0.500", '.'));
    EXPECT_LT(*Decimal::parse("-1", '.'), *Decimal::parse("0.5", '.'));
    EXPECT_LT(*Decimal::parse("-2", '.'), *Decimal::parse("-1.5", '.'));
    EXPECT_GT(*Decimal::parse("10", '.'), *Decimal::parse("9.999", '.'));
}

struct MoneyCase {
    const char* text;
    dataset::Money expected;
};

class DecimalAsMoney : public testing::TestWithParam<MoneyCase> {};

TEST_P(DecimalAsMoney, RoundsAtTheFourthDecimalInTheExtendedFormat)
{
    const MoneyCase& c = GetParam();
    const auto value = Decimal::parse(c.text, '.');
    ASSERT_TRUE(value);
    EXPECT_EQ(value->toMoney(), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Cases, DecimalAsMoney,
                         testing::Values(MoneyCase{"12.5", 125000}, MoneyCase{"-12.5", -125000},
                                         MoneyCase{"2.54321678", 25432},
                                         MoneyCase{"1.03125", 10312}, // an exact tie: to even
                                         MoneyCase{"-1.03125", -10312},
                                         MoneyCase{"1.03135", 10313}, // the double lies just below the tie
                                         MoneyCase{"0.00025", 3},     // the double lies just above the tie
                                         MoneyCase{"0.00035", 3},     // and here just below it
                                         MoneyCase{"123456789012.3456", 1234567890123456},
                                         MoneyCase{"0", 0}));

TEST(DecimalAsMoney, FormsTheProductInTheExtendedFormatNotInDouble)
{
    // Formed in double, these products round to an exact tie and go to the even
    // neighbour; the extended product keeps the double's offset from the tie.
    for (const auto& [text, extended] :
         {std::pair{"0.00025", dataset::Money{3}}, std::pair{"0.00035", dataset::Money{3}},
          std::pair{"1.03135", dataset::Money{10313}}}) {
        const Decimal value = *Decimal::parse(text, '.');
        const double inDouble = std::nearbyint(value.toDouble() * 10000.0);
        EXPECT_NE(static_cast<dataset::Money>(inDouble), extended) << text;
        EXPECT_EQ(value.toMoney(), extended) << text;
    }
}

TEST(DecimalAsMoney, AValueBeyondTheMoneyRangeIsAnInvalidOperation)
{
    try {
        Decimal::parse("1000000000000000", '.')->toMoney();
        ADD_FAILURE() << "no error";
    } catch (const platform::FloatingPointError& e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
}

} // namespace
