#include "dataset/integer_text.h"
#include "platform/errors.h"

#include <climits>
#include <gtest/gtest.h>
#include <optional>

namespace {

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

class IntegerText : public testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerText, ParsesTheIntegerForm)
{
    const IntegerCase& c = GetParam();
    EXPECT_EQ(dataset::parseInteger(c.text), c.expected) << "text: '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegerText,
    testing::Values(IntegerCase{"42", 42}, IntegerCase{" 42", 42}, IntegerCase{"   -42", -42},
                    IntegerCase{"42 ", std::nullopt}, IntegerCase{"+42", 42}, IntegerCase{"007", 7},
                    IntegerCase{"0", 0}, IntegerCase{"$1F", 31}, IntegerCase{"0x1F", 31},
                    IntegerCase{"0X1f", 31}, IntegerCase{"x1f", 31}, IntegerCase{"X1F", 31},
                    IntegerCase{"-$1F", -31}, IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"$7FFFFFFF", INT_MAX},
                    IntegerCase{"$00000001", 1}, IntegerCase{"$0000000001", std::nullopt},
                    IntegerCase{"0x000000001", std::nullopt}, IntegerCase{"$100000000", std::nullopt},
                    IntegerCase{"2147483647", INT_MAX}, IntegerCase{"2147483648", std::nullopt},
                    IntegerCase{"-2147483648", INT_MIN}, IntegerCase{"-2147483649", std::nullopt},
                    IntegerCase{"99999999999999999999", std::nullopt}, IntegerCase{"", std::nullopt},
                    IntegerCase{"   ", std::nullopt}, IntegerCase{"-", std::nullopt},
                    IntegerCase{"+", std::nullopt}, IntegerCase{"$", std::nullopt},
                    IntegerCase{"0x", std::nullopt}, IntegerCase{"- 4", std::nullopt},
                    IntegerCase{"1 2", std::nullopt}, IntegerCase{"4a", std::nullopt},
                    IntegerCase{"$1G", std::nullopt}, IntegerCase{"12.0", std::nullopt},
                    IntegerCase{"\t4", std::nullopt}));

TEST(TextToInteger, RefusesABadOrEmptyTextWithTheConversionMessage)
{
    EXPECT_EQ(dataset::textToInteger(" 2"), 2);
    for (const char* text : {"", "A", "1 "}) {
        try {
            dataset::textToInteger(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const platform::ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

} // namespace
