#pragma once
// A calendar date without time of day, and the field layer's date text.
#include "platform/regional_settings.h"

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace dataset {

struct Date {
    int year = 1;
    int month = 1;
    int day = 1;
    auto operator<=>(const Date&) const = default;
};

bool isValidDate(int year, int month, int day);
Date today(); // from the system clock, local time

// Reads a date text against the short date format and date separator: two or three
// numbers of one to four digits, the order from the format's first d/m/y/e letter,
// the 50-year window for one- and two-digit years (around currentYear), an optional
// trailing separator, blanks before numbers and separators. Nothing for a bad text.
std::optional<Date> parseDate(std::string_view text, const platform::RegionalSettings& settings,
                              int currentYear);

// The date in the short date format (used only to show a date).
std::string formatDate(const Date& date, const platform::RegionalSettings& settings);

} // namespace dataset
