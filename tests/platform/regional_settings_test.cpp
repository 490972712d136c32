#include "platform/regional_settings.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace {

struct PosixCase {
    const char* radix;
    const char* dateFormat;
    char decimalSeparator;
    const char* shortDateFormat;
    char dateSeparator;
};

class RegionalSettingsFromPosix : public testing::TestWithParam<PosixCase> {};

TEST_P(RegionalSettingsFromPosix, TranslatesTheLocalesDateFormat)
{
    const PosixCase& c = GetParam();
    const platform::RegionalSettings settings = platform::regionalSettingsFromPosix(c.radix, c.dateFormat);
    EXPECT_EQ(settings.decimalSeparator, c.decimalSeparator) << c.dateFormat;
    EXPECT_EQ(settings.shortDateFormat, c.shortDateFormat) << c.dateFormat;
    EXPECT_EQ(settings.dateSeparator, c.dateSeparator) << c.dateFormat;
}

INSTANTIATE_TEST_SUITE_P(Cases, RegionalSettingsFromPosix,
                         testing::Values(PosixCase{",", "%d/%m/%Y", ',', "dd/MM/yyyy", '/'},
                                         PosixCase{".", "%m/%d/%y", '.', "MM/dd/yy", '/'},
                                         PosixCase{".", "%Y-%m-%d", '.', "yyyy-MM-dd", '-'},
                                         PosixCase{",", "%d.%m.%Y", ',', "dd.MM.yyyy", '.'},
                                         PosixCase{".", "%e/%m/%y", '.', "d/MM/yy", '/'},
                                         PosixCase{".", "%D", '.', "MM/dd/yy", '/'},
                                         PosixCase{".", "%F", '.', "yyyy-MM-dd", '-'},
                                         // a radix that is no single byte: the point
                                         PosixCase{"\xD9\xAB", "%d/%m/%Y", '.', "dd/MM/yyyy", '/'}));

TEST(RegionalSettings, DefaultsHoldUntilSetOrRead)
{
    const platform::RegionalSettings defaults;
    EXPECT_EQ(defaults.decimalSeparator, '.');
    EXPECT_EQ(defaults.shortDateFormat, "dd/MM/yyyy");
    EXPECT_EQ(defaults.dateSeparator, '/');

    platform::setRegionalSettings({',', "yyyy-MM-dd", '-'});
    EXPECT_EQ(platform::regionalSettings().decimalSeparator, ',');
    EXPECT_EQ(platform::regionalSettings().shortDateFormat, "yyyy-MM-dd");

    // The C locale of a process that never called setlocale.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    platform::reloadRegionalSettings();
    EXPECT_EQ(platform::regionalSettings().decimalSeparator, '.');
    EXPECT_EQ(platform::regionalSettings().shortDateFormat, "MM/dd/yy");
    EXPECT_EQ(platform::regionalSettings().dateSeparator, '/');
    std::setlocale(LC_ALL, previous.c_str());
    platform::setRegionalSettings(defaults);
}

} // namespace
