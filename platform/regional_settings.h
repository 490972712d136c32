#pragma once
// The machine's regional settings that the field layer reads: decimal separator,
// short date format and date separator. Read from the operating system at start and
// again when it announces a change; the program never sets them.
#include <string>
#include <string_view>

namespace platform {

struct RegionalSettings {
    char decimalSeparator = '.';
    std::string shortDateFormat = "dd/MM/yyyy"; // letters d, M, y as Windows writes them
    char dateSeparator = '/';
};

// The settings in force: the defaults above until reloadRegionalSettings() (start-up)
// or setRegionalSettings() puts others in place.
const RegionalSettings& regionalSettings();
void setRegionalSettings(const RegionalSettings& settings);

// What the operating system says now. On Linux: the process's locale (LC_ALL,
// LC_NUMERIC, LC_TIME as the user set them): the LC_NUMERIC radix character, and the
// LC_TIME date format (nl_langinfo(D_FMT)) with %d as dd, %e as d, %m as MM, %y as
// yy, %Y as yyyy and its first other character as the separator.
RegionalSettings readSystemRegionalSettings();

// The settings that a POSIX locale's radix character and D_FMT date format give.
RegionalSettings regionalSettingsFromPosix(std::string_view radix, std::string_view dateFormat);

// Reads the system's settings into the ones in force (start-up, settings-change notice).
void reloadRegionalSettings();

} // namespace platform
