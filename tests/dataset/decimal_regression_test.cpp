// Decimal texts that the fuzzer found (fuzz/corpus/conversions/regression_*), kept
// as plain cases.
#include "dataset/decimal.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

using dataset::Decimal;

struct RegressionCase {
    const char* name;
    char machineSeparator;
    std::string text;
    std::string shown; // the value's own text; empty: the text is refused
    friend void PrintTo(const RegressionCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }
};

const std::string k63Zeros(63, '0');

const RegressionCase kCases[] = {
    // A 64-digit fraction read back as "0." and 64 digits: the zero before the
    // separator is a leading zero and does not count towards the 64 digits.
    {"fuzzer_input", '.', ".0080000610506666666610506666666660066660000006666604499470629639",
     "0.0080000610506666666610506666666660066660000006666604499470629639"},
    {"fraction_of_64_digits", '.', "." + k63Zeros + "5", "0." + k63Zeros + "5"},
    {"negative_fraction_of_64_digits", '.', "-." + k63Zeros + "5", "-0." + k63Zeros + "5"},
    {"comma_machine", ',', "," + k63Zeros + "5", "0," + k63Zeros + "5"},
    {"leading_zeros_beyond_64_digits", '.', "0000" + std::string(64, '9'), std::string(64, '9')},
    // The limit itself stays.
    {"fraction_of_65_digits", '.', "." + k63Zeros + "05", ""},
    {"integer_of_65_digits", '.', std::string(65, '9'), ""},
};

class DecimalRegression : public testing::TestWithParam<RegressionCase> {};

TEST_P(DecimalRegression, OwnTextReadsBack)
{
    const RegressionCase& c = GetParam();
    const auto value = Decimal::parse(c.text, c.machineSeparator);
    if (c.shown.empty()) {
        EXPECT_FALSE(value.has_value());
        return;
    }
    ASSERT_TRUE(value.has_value());
    const std::string shown = value->toText(c.machineSeparator);
    EXPECT_EQ(shown, c.shown);
    const auto back = Decimal::parse(shown, c.machineSeparator);
    ASSERT_TRUE(back.has_value()) << "its own text was refused: " << shown;
    EXPECT_EQ(*back, *value);
}

INSTANTIATE_TEST_SUITE_P(FuzzFindings, DecimalRegression, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RegressionCase>& info) { return info.param.name; });

} // namespace
