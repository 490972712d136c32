// Fuzzes the text conversions of the field layer: integer, decimal and date texts,
// directly and through the fields of a quotation header.
//
// Input: the first byte picks the regional settings (byte % 6: point or comma as
// decimal separator, each with dd/MM/yyyy, MM/dd/yy and yyyy-MM-dd); the remaining
// bytes are the text.
#include "dataset/date.h"
#include "dataset/decimal.h"
#include "dataset/declarations.h"
#include "dataset/integer_text.h"
#include "fuzz/check.h"
#include "platform/errors.h"
#include "platform/regional_settings.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace {

using dataset::Date;
using dataset::Decimal;
using dataset::Field;
using dataset::Money;

const platform::RegionalSettings kSettings[] = {
    {'.', "dd/MM/yyyy", '/'}, {',', "dd/MM/yyyy", '/'}, {'.', "MM/dd/yy", '/'},
    {',', "MM/dd/yy", '/'},   {'.', "yyyy-MM-dd", '-'}, {',', "yyyy-MM-dd", '-'},
};

// The direct date checks use a fixed year, so that an input replays the same way
// in any year.
constexpr int kYear = 2025;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A message as what() carries it: up to the first zero byte of a text inside it.
bool hasMessage(const std::exception& error, const std::string& expected)
{
    return std::string_view(error.what()) == std::string_view(expected.c_str());
}

// "-" at most first, then decimal digits only.
bool isPlainInteger(std::string_view text)
{
    if (!text.empty() && text[0] == '-')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    for (const char c : text)
        if (!isDigit(c))
            return false;
    return true;
}

void checkInteger(const std::string& text)
{
    const auto value = dataset::parseInteger(text);
    if (value)
        FUZZ_CHECK(dataset::parseInteger(std::to_string(*value)) == value,
                   "an integer's decimal text gives the integer back");

    try {
        const std::int32_t read = dataset::textToInteger(text);
        FUZZ_CHECK(value && read == *value, "a text read as an integer is the parsed integer");
    } catch (const platform::ConversionError& error) {
        FUZZ_CHECK(!value && hasMessage(error, "'" + text + "' is not a valid integer value"),
                   "a text read as an integer fails only when it does not parse, with its message");
    }

    // Plain decimal digits mean the same to both parsers.
    if (isPlainInteger(text)) {
        if (const auto decimal = Decimal::parse(text, '.')) {
            const auto unscaled = decimal->unscaled();
            const bool fits = unscaled && *unscaled >= INT32_MIN && *unscaled <= INT32_MAX;
            FUZZ_CHECK(fits == value.has_value() && (!fits || *value == *unscaled),
                       "the integer and decimal parsers agree on plain digits");
        }
    }
}

void checkDecimal(const std::string& text, char separator)
{
    const auto value = Decimal::parse(text, separator);
    if (!value)
        return;
    for (const char c : text)
        FUZZ_CHECK(isDigit(c) || c == '-' || c == '.' || c == separator,
                   "only digits, a minus and the separator pass");

    const std::string shown = value->toText(separator);
    bool separatorSeen = false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char c = shown[i];
        FUZZ_CHECK(isDigit(c) || (c == '-' && i == 0) || (c == separator && !separatorSeen),
                   "a decimal's text is digits, a leading minus and one separator");
        separatorSeen = separatorSeen || c == separator;
    }
    if (separatorSeen)
        FUZZ_CHECK(shown.back() != '0' && shown.back() != separator,
                   "no trailing zeros, no trailing separator");

    const auto back = Decimal::parse(shown, separator);
    FUZZ_CHECK(back.has_value() && *back == *value && back->toText(separator) == shown,
               "a decimal's own text gives the decimal back");

    FUZZ_CHECK(*value + Decimal() == *value && Decimal() + *value == *value, "adding zero changes nothing");
    const auto negated = Decimal::parse(value->isNegative() ? shown.substr(1) : "-" + shown, separator);
    FUZZ_CHECK(negated.has_value() && (*value + *negated).isZero() && (*negated + *value).isZero(),
               "a decimal and its negation add up to zero");
    const Decimal sum = *value + *value;
    FUZZ_CHECK(sum.isNegative() == value->isNegative() && (sum == *value) == value->isZero(),
               "doubling keeps the sign and moves every non-zero value");

    // Below 2^52 ten-thousandths the double on the way is close enough for the
    // rounding to land on the exact count.
    std::optional<Money> exact;
    const auto unscaled = value->unscaled();
    if (value->scale() <= 4 && unscaled) {
        __int128 count = *unscaled;
        for (int k = value->scale(); k < 4; ++k)
            count *= 10;
        constexpr __int128 kLimit = __int128{1} << 52;
        if (count < kLimit && count > -kLimit)
            exact = static_cast<Money>(count);
    }
    try {
        const Money money = value->toMoney();
        FUZZ_CHECK(!exact || money == *exact, "a value with four decimals reads as its exact money count");
    } catch (const platform::FloatingPointError&) {
        FUZZ_CHECK(!exact, "a value in the money range reads as money");
    }
}

void checkDate(const std::string& text, const platform::RegionalSettings& settings)
{
    const auto date = dataset::parseDate(text, settings, kYear);
    if (!date)
        return;
    FUZZ_CHECK(dataset::isValidDate(date->year, date->month, date->day), "a parsed date exists");
    // A two-digit year comes back only inside the window around the current year.
    const bool fourDigitYear = settings.shortDateFormat.find("yyyy") != std::string::npos;
    if (fourDigitYear || (date->year >= kYear - 50 && date->year < kYear + 50)) {
        const auto back = dataset::parseDate(dataset::formatDate(*date, settings), settings, kYear);
        FUZZ_CHECK(back && *back == *date, "a date's own text gives the date back");
    }
}

// One quotation header in insert state, whose fields take every text in turn.
struct Header {
    std::unique_ptr<dataset::RecordSet> set;
    Field id, total, percent, date, prefix;
};

Header& header()
{
    static Header h = [] {
        Header made{dataset::makeCFacturas(), {}, {}, {}, {}, {}};
        made.set->createDataSet();
        made.set->insert();
        made.id = made.set->field("COTI_ID");
        made.total = made.set->field("COTI_TOTAL");
        made.percent = made.set->field("COTI_DTOPORC");
        made.date = made.set->field("COTI_FECHA");
        made.prefix = made.set->field("PREF_PRE");
        return made;
    }();
    return h;
}

void checkFields(const std::string& text, const platform::RegionalSettings& settings)
{
    Header& h = header();

    h.id.setAsInteger(17);
    const auto integer = dataset::parseInteger(text);
    try {
        h.id.setAsString(text);
        FUZZ_CHECK(text.empty() ? h.id.isNull() : integer && h.id.value() == dataset::Value(*integer),
                   "an integer field holds the parsed text");
    } catch (const platform::DatabaseError& error) {
        FUZZ_CHECK(!text.empty() && !integer &&
                       hasMessage(error, "'" + text + "' is not a valid integer value for field 'COTI_ID'"),
                   "an integer field refuses only a bad text, with its message");
        FUZZ_CHECK(h.id.value() == dataset::Value(std::int32_t{17}), "a refused integer keeps the value");
    }

    const auto decimal = Decimal::parse(text, settings.decimalSeparator);
    for (Field* field : {&h.total, &h.percent}) {
        field->setAsMoney(12345);
        try {
            field->setAsString(text);
            if (text.empty()) {
                FUZZ_CHECK(field->isNull() && field->asMoney() == 0 && field->asString().empty(),
                           "the empty text makes a decimal null");
            } else {
                FUZZ_CHECK(decimal && field->value() == dataset::Value(*decimal) &&
                               field->asString() == decimal->toText(settings.decimalSeparator),
                           "a decimal field holds the parsed text with all its digits");
            }
        } catch (const platform::ConversionError& error) {
            FUZZ_CHECK(!text.empty() && !decimal && hasMessage(error, text + " is not a valid BCD value"),
                       "a decimal field refuses only a bad text, with its message");
            FUZZ_CHECK(field->value() == dataset::Value(Decimal::fromMoney(12345)),
                       "a refused decimal keeps the value");
        }
        try {
            (void)field->asMoney();
        } catch (const platform::FloatingPointError&) {
        }
    }

    const Date previous{2000, 2, 29};
    h.date.setAsDate(previous);
    const auto date = dataset::parseDate(text, settings, dataset::today().year);
    try {
        h.date.setAsString(text);
        FUZZ_CHECK(text.empty() ? h.date.isNull() : date && h.date.value() == dataset::Value(*date),
                   "a date field holds the parsed text");
    } catch (const platform::ConversionError& error) {
        FUZZ_CHECK(!text.empty() && !date && hasMessage(error, "'" + text + "' is not a valid date"),
                   "a date field refuses only a bad text, with its message");
        FUZZ_CHECK(h.date.value() == dataset::Value(previous), "a refused date keeps the value");
    }

    h.prefix.setAsString(text);
    FUZZ_CHECK(text.empty() ? h.prefix.isNull() : h.prefix.asString() == text.substr(0, 4),
               "a text field keeps the first bytes of its width");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const platform::RegionalSettings& settings = kSettings[data[0] % 6];
    platform::setRegionalSettings(settings);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    checkInteger(text);
    checkDecimal(text, settings.decimalSeparator);
    checkDate(text, settings);
    checkFields(text, settings);
    return 0;
}
