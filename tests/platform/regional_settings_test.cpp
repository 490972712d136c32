#include "platform/regional_settings.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

#ifdef _WIN32
#include <utility>
#include <vector>
#include <windows.h>
#endif

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

#ifndef _WIN32
    // The C locale of a process that never called setlocale.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    platform::reloadRegionalSettings();
    EXPECT_EQ(platform::regionalSettings().decimalSeparator, '.');
    EXPECT_EQ(platform::regionalSettings().shortDateFormat, "MM/dd/yy");
    EXPECT_EQ(platform::regionalSettings().dateSeparator, '/');
    std::setlocale(LC_ALL, previous.c_str());
#endif
    platform::setRegionalSettings(defaults);
}

#ifdef _WIN32
// The user's settings as Control Panel stores them, changed through the locale API and
// put back afterwards; the program reads what is in force.
class WindowsRegionalSettings : public testing::Test {
protected:
    void set(LCTYPE type, const wchar_t* value)
    {
        wchar_t previous[100];
        ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, type, previous, 100), 0);
        saved_.emplace_back(type, previous);
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, type, value));
    }
    void TearDown() override
    {
        // Latest first, so that the values found before the test are the last put back.
        for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved)
            SetLocaleInfoW(LOCALE_USER_DEFAULT, saved->first, saved->second.c_str());
        platform::setRegionalSettings({});
    }

private:
    std::vector<std::pair<LCTYPE, std::wstring>> saved_;
};

TEST_F(WindowsRegionalSettings, ReadFromTheLocaleApi)
{
    const struct {
        const wchar_t* decimal;
        const wchar_t* shortDate;
        const wchar_t* dateSeparator;
        platform::RegionalSettings expected;
    } cases[] = {
        {L",", L"dd.MM.yyyy", L".", {',', "dd.MM.yyyy", '.'}},
        {L".", L"yyyy-MM-dd", L"-", {'.', "yyyy-MM-dd", '-'}},
    };
    for (const auto& c : cases) {
        set(LOCALE_SDECIMAL, c.decimal);
        set(LOCALE_SSHORTDATE, c.shortDate);
        set(LOCALE_SDATE, c.dateSeparator);
        platform::reloadRegionalSettings();
        EXPECT_EQ(platform::regionalSettings().decimalSeparator, c.expected.decimalSeparator);
        EXPECT_EQ(platform::regionalSettings().shortDateFormat, c.expected.shortDateFormat);
        EXPECT_EQ(platform::regionalSettings().dateSeparator, c.expected.dateSeparator);
    }
}
#endif

} // namespace
