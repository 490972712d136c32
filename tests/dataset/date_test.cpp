#include "dataset/date.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using dataset::Date;

constexpr int kCurrentYear = 2025;

struct DateCase {
    const char* format;
    char separator;
    const char* text;
    std::optional<Date> expected;
};

class DateText : public testing::TestWithParam<DateCase> {};

TEST_P(DateText, ReadsTheTextAgainstTheShortDateFormat)
{
    const DateCase& c = GetParam();
    const platform::RegionalSettings settings{'.', c.format, c.separator};
    const auto date = dataset::parseDate(c.text, settings, kCurrentYear);
    EXPECT_EQ(date, c.expected) << c.format << " '" << c.text << "'";
}

const std::nullopt_t kBad = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    DayFirst, DateText,
    testing::Values(
        DateCase{"dd/MM/yyyy", '/', "05/03/2024", Date{2024, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "5/3", Date{kCurrentYear, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "05/03/24", Date{2024, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "05/03/80", Date{1980, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "05/03/75", Date{1975, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "05/03/74", Date{2074, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "05/03/0", Date{2000, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "05/03/024", Date{24, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "29/02/2024", Date{2024, 2, 29}},
        DateCase{"dd/MM/yyyy", '/', "05/03/2024/", Date{2024, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "5/3/ ", Date{kCurrentYear, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', " 5 / 3 / 2024 ", Date{2024, 3, 5}},
        DateCase{"dd/MM/yyyy", '/', "31/02/2024", kBad}, DateCase{"dd/MM/yyyy", '/', "29/02/2023", kBad},
        DateCase{"dd/MM/yyyy", '/', "00/03/2024", kBad}, DateCase{"dd/MM/yyyy", '/', "05/13/2024", kBad},
        DateCase{"dd/MM/yyyy", '/', "05/03/0000", kBad}, DateCase{"dd/MM/yyyy", '/', "05-03-2024", kBad},
        DateCase{"dd/MM/yyyy", '/', "05/03/2024 10:00", kBad},
        DateCase{"dd/MM/yyyy", '/', "05/03/02024", kBad}, DateCase{"dd/MM/yyyy", '/', "05/03/2024//", kBad},
        DateCase{"dd/MM/yyyy", '/', "05//03", kBad}, DateCase{"dd/MM/yyyy", '/', "5", kBad},
        DateCase{"dd/MM/yyyy", '/', "/5/3", kBad}, DateCase{"dd/MM/yyyy", '/', "", kBad},
        DateCase{"dd/MM/yyyy", '/', "5/3/2024x", kBad}));

INSTANTIATE_TEST_SUITE_P(MonthFirst, DateText,
                         testing::Values(DateCase{"MM/dd/yy", '/', "03/05/24", Date{2024, 3, 5}},
                                         DateCase{"MM/dd/yy", '/', "3/5", Date{kCurrentYear, 3, 5}},
                                         DateCase{"M/d/yyyy", '/', "12/31/1999", Date{1999, 12, 31}},
                                         DateCase{"MM/dd/yy", '/', "13/05/24", kBad},
                                         DateCase{"", '/', "03/05/24",
                                                  Date{2024, 3, 5}})); // no order letter: month first

INSTANTIATE_TEST_SUITE_P(YearFirst, DateText,
                         testing::Values(DateCase{"yyyy-MM-dd", '-', "2024-03-05", Date{2024, 3, 5}},
                                         DateCase{"yyyy-MM-dd", '-', "24-3-5", Date{2024, 3, 5}},
                                         DateCase{"yyyy-MM-dd", '-', "99-3-5", Date{1999, 3, 5}},
                                         DateCase{"yyyy-MM-dd", '-', "3-5",
                                                  Date{kCurrentYear, 3, 5}}, // two numbers: month first
                                         DateCase{"yyyy-MM-dd", '-', "2024-03-05-", Date{2024, 3, 5}},
                                         DateCase{"yyyy-MM-dd", '-', "2024/03/05", kBad},
                                         DateCase{"yyyy-MM-dd", '-', "05-03-2024", kBad}));

TEST(FormatDate, WritesTheShortDateFormat)
{
    const Date date{2024, 3, 5};
    EXPECT_EQ(dataset::formatDate(date, {'.', "dd/MM/yyyy", '/'}), "05/03/2024");
    EXPECT_EQ(dataset::formatDate(date, {'.', "dd/MM/yyyy", '.'}), "05.03.2024");
    EXPECT_EQ(dataset::formatDate(date, {'.', "yyyy-MM-dd", '-'}), "2024-03-05");
    EXPECT_EQ(dataset::formatDate(date, {'.', "d/M/yy", '/'}), "5/3/24");
}

TEST(FormatDate, ReadsBackWhatItWrites)
{
    for (const platform::RegionalSettings& settings : {platform::RegionalSettings{'.', "dd/MM/yyyy", '/'},
                                                       platform::RegionalSettings{',', "MM/dd/yyyy", '/'},
                                                       platform::RegionalSettings{'.', "yyyy-MM-dd", '-'}}) {
        const Date date{1999, 12, 31};
        EXPECT_EQ(dataset::parseDate(dataset::formatDate(date, settings), settings, kCurrentYear), date)
            << settings.shortDateFormat;
    }
}

} // namespace
