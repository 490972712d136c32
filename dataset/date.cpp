#include "dataset/date.h"

#include <cctype>
#include <ctime>

namespace dataset {
namespace {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

DateOrder orderOf(const std::string& format)
{
    for (const char c : format) {
        switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'd':
            return DateOrder::DayMonthYear;
        case 'm':
            return DateOrder::MonthDayYear;
        case 'y':
        case 'e':
            return DateOrder::YearMonthDay;
        default:
            break;
        }
    }
    return DateOrder::MonthDayYear;
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }
    // Blanks, then one to four digits.
    bool number(int& value, int& length)
    {
        skipBlanks();
        const std::size_t start = pos_;
        value = 0;
        while (pos_ < text_.size() && pos_ - start < 4 &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
        }
        length = static_cast<int>(pos_ - start);
        return length > 0;
    }
    // Blanks, then the character; nothing is consumed when it is not there.
    bool character(char c)
    {
        const std::size_t saved = pos_;
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        pos_ = saved;
        return false;
    }
    bool atEnd() const { return pos_ == text_.size(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void appendNumber(std::string& out, int value, int width)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

} // namespace

bool isValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

Date today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<Date> parseDate(std::string_view text, const platform::RegionalSettings& settings,
                              int currentYear)
{
    const char separator = settings.dateSeparator;
    Scanner scan(text);
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    if (!scan.number(n1, l1) || !scan.character(separator) || !scan.number(n2, l2))
        return std::nullopt;

    bool three = false;
    if (scan.character(separator)) {
        // Either the third number or the trailing separator after two numbers.
        three = scan.number(n3, l3);
        if (three)
            scan.character(separator);
    }
    scan.skipBlanks();
    if (!scan.atEnd())
        return std::nullopt;

    const DateOrder order = orderOf(settings.shortDateFormat);
    int year = 0, month = 0, day = 0, yearLength = 4;
    if (!three) {
        year = currentYear;
        if (order == DateOrder::DayMonthYear) {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    } else {
        switch (order) {
        case DateOrder::DayMonthYear:
            day = n1, month = n2, year = n3, yearLength = l3;
            break;
        case DateOrder::MonthDayYear:
            month = n1, day = n2, year = n3, yearLength = l3;
            break;
        case DateOrder::YearMonthDay:
            year = n1, month = n2, day = n3, yearLength = l1;
            break;
        }
        if (yearLength <= 2) {
            // The 50-year window: the century of (current year - 50), or the next one.
            const int windowStart = currentYear - 50;
            year += windowStart / 100 * 100;
            if (year < windowStart)
                year += 100;
        }
    }
    if (!isValidDate(year, month, day))
        return std::nullopt;
    return Date{year, month, day};
}

std::string formatDate(const Date& date, const platform::RegionalSettings& settings)
{
    const std::string& format = settings.shortDateFormat;
    std::string out;
    out.reserve(format.size() + 2);
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        std::size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        switch (c) {
        case 'd':
            appendNumber(out, date.day, run >= 2 ? 2 : 1);
            break;
        case 'M':
            appendNumber(out, date.month, run >= 2 ? 2 : 1);
            break;
        case 'y':
            if (run <= 2)
                appendNumber(out, date.year % 100, 2);
            else
                appendNumber(out, date.year, 4);
            break;
        case '/':
            out.append(run, settings.dateSeparator);
            break;
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

} // namespace dataset
