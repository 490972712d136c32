#include "platform/regional_settings.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#endif

namespace platform {
namespace {

RegionalSettings& current()
{
    static RegionalSettings settings;
    return settings;
}

} // namespace

const RegionalSettings& regionalSettings()
{
    return current();
}

void setRegionalSettings(const RegionalSettings& settings)
{
    current() = settings;
}

void reloadRegionalSettings()
{
    current() = readSystemRegionalSettings();
}

RegionalSettings regionalSettingsFromPosix(std::string_view radix, std::string_view dateFormat)
{
    RegionalSettings settings;
    // A radix of more than one byte (a multibyte character) has no single-byte form;
    // the point is the sound fallback.
    settings.decimalSeparator = radix.size() == 1 ? radix[0] : '.';

    std::string format;
    bool separatorFound = false;
    auto literal = [&](char c) {
        format.push_back(c);
        if (!separatorFound) {
            settings.dateSeparator = c;
            separatorFound = true;
        }
    };
    for (std::size_t i = 0; i < dateFormat.size(); ++i) {
        const char c = dateFormat[i];
        if (c != '%' || i + 1 == dateFormat.size()) {
            literal(c);
            continue;
        }
        char directive = dateFormat[++i];
        // Modifiers of the alternative representations change nothing here.
        if ((directive == 'E' || directive == 'O') && i + 1 < dateFormat.size())
            directive = dateFormat[++i];
        switch (directive) {
        case 'd':
            format += "dd";
            break;
        case 'e':
            format += "d";
            break;
        case 'm':
            format += "MM";
            break;
        case 'y':
            format += "yy";
            break;
        case 'Y':
            format += "yyyy";
            break;
        case 'D': // %m/%d/%y
            format += "MM";
            literal('/');
            format += "dd/yy";
            break;
        case 'F': // %Y-%m-%d
            format += "yyyy";
            literal('-');
            format += "MM-dd";
            break;
        case '%':
            literal('%');
            break;
        default:
            break;
        }
    }
    if (!format.empty())
        settings.shortDateFormat = format;
    return settings;
}

RegionalSettings readSystemRegionalSettings()
{
#ifdef _WIN32
    RegionalSettings settings;
    char buffer[100];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1)
        settings.decimalSeparator = buffer[0];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buffer, sizeof buffer) > 1)
        settings.shortDateFormat = buffer;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, buffer, sizeof buffer) > 1)
        settings.dateSeparator = buffer[0];
    return settings;
#else
    return regionalSettingsFromPosix(nl_langinfo(RADIXCHAR), nl_langinfo(D_FMT));
#endif
}

} // namespace platform
