#include "dataset/field.h"

#include "dataset/date.h"
#include "dataset/extended.h"
#include "dataset/integer_text.h"
#include "dataset/record_set_impl.h"
#include "platform/errors.h"
#include "platform/regional_settings.h"

#include <charconv>
#include <cmath>

namespace dataset {
namespace {

const Value kNull;

[[noreturn]] void accessError(const FieldDef& def, const char* type)
{
    throw platform::DatabaseError("Cannot access field '" + def.label() + "' as type " + type);
}

bool textual(FieldKind kind)
{
    return kind == FieldKind::Text || kind == FieldKind::FixedText;
}

std::string floatText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    const char separator = platform::regionalSettings().decimalSeparator;
    for (char& c : text)
        if (c == '.')
            c = separator;
    return text;
}

std::optional<double> parseFloat(std::string_view text)
{
    std::string copy(text);
    const char separator = platform::regionalSettings().decimalSeparator;
    for (char& c : copy)
        if (c == separator)
            c = '.';
    const char* begin = copy.data();
    const char* end = begin + copy.size();
    while (begin != end && *begin == ' ')
        ++begin;
    while (end != begin && end[-1] == ' ')
        --end;
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

Money moneyFromDouble(double value)
{
    return roundToMoney(multiply(static_cast<Extended>(value), 10000.0L));
}

} // namespace

std::string cutToWidth(std::string_view text, const FieldDef& def)
{
    if (def.size > 0 && text.size() > static_cast<std::size_t>(def.size))
        text = text.substr(0, static_cast<std::size_t>(def.size));
    return std::string(text);
}

const FieldDef& Field::def() const
{
    return owner_->impl_->fields.at(index_);
}

bool Field::isNull() const
{
    return dataset::isNull(value());
}

const Value& Field::value() const
{
    const Row* row = owner_->impl_->currentRow();
    return row ? row->values[index_] : kNull;
}

std::string Field::asString() const
{
    const Value& v = value();
    if (const auto* text = std::get_if<std::string>(&v))
        return *text;
    if (const auto* integer = std::get_if<std::int32_t>(&v))
        return std::to_string(*integer);
    if (const auto* decimal = std::get_if<Decimal>(&v))
        return decimal->toText(platform::regionalSettings().decimalSeparator);
    if (const auto* date = std::get_if<Date>(&v))
        return formatDate(*date, platform::regionalSettings());
    if (const auto* real = std::get_if<double>(&v))
        return floatText(*real);
    if (const auto* blob = std::get_if<Blob>(&v))
        return blob->bytes;
    return "";
}

std::int32_t Field::asInteger() const
{
    const FieldDef& d = def();
    const Value& v = value();
    if (textual(d.kind)) {
        const auto* text = std::get_if<std::string>(&v);
        return textToInteger(text ? std::string_view(*text) : std::string_view());
    }
    if (dataset::isNull(v))
        return 0;
    if (const auto* integer = std::get_if<std::int32_t>(&v))
        return *integer;
    if (const auto* decimal = std::get_if<Decimal>(&v)) {
        const Money money = decimal->toMoney();
        const Money whole = money / kMoneyOne; // toward zero, as a decimal's integer part
        if (whole < INT32_MIN || whole > INT32_MAX)
            accessError(d, "Integer");
        return static_cast<std::int32_t>(whole);
    }
    if (const auto* real = std::get_if<double>(&v)) {
        const double rounded = std::nearbyint(*real);
        if (!(rounded >= INT32_MIN && rounded <= INT32_MAX))
            accessError(d, "Integer");
        return static_cast<std::int32_t>(rounded);
    }
    accessError(d, "Integer");
}

Money Field::asMoney() const
{
    const FieldDef& d = def();
    const Value& v = value();
    if (dataset::isNull(v))
        return 0;
    if (const auto* decimal = std::get_if<Decimal>(&v))
        return decimal->toMoney();
    if (const auto* integer = std::get_if<std::int32_t>(&v))
        return static_cast<Money>(*integer) * kMoneyOne;
    if (const auto* real = std::get_if<double>(&v))
        return moneyFromDouble(*real);
    if (const auto* text = std::get_if<std::string>(&v)) {
        if (const auto decimal = Decimal::parse(*text, platform::regionalSettings().decimalSeparator))
            return decimal->toMoney();
        throw platform::ConversionError(*text + " is not a valid BCD value");
    }
    accessError(d, "Currency");
}

void Field::setAsString(std::string_view text)
{
    RecordSet::Impl& set = *owner_->impl_;
    Value& slot = set.slotForAssignment(index_);
    const FieldDef& d = set.fields[index_];
    if (text.empty()) {
        slot = std::monostate{};
        set.assigned(index_);
        return;
    }
    switch (d.kind) {
    case FieldKind::Text:
    case FieldKind::FixedText:
        slot = cutToWidth(text, d);
        break;
    case FieldKind::Integer: {
        const auto value = parseInteger(text);
        if (!value)
            throw platform::DatabaseError("'" + std::string(text) +
                                          "' is not a valid integer value for field '" + d.label() + "'");
        slot = *value;
        break;
    }
    case FieldKind::Decimal: {
        auto value = Decimal::parse(text, platform::regionalSettings().decimalSeparator);
        if (!value)
            throw platform::ConversionError(std::string(text) + " is not a valid BCD value");
        slot = std::move(*value);
        break;
    }
    case FieldKind::Date: {
        const auto value = parseDate(text, platform::regionalSettings(), today().year);
        if (!value)
            throw platform::ConversionError("'" + std::string(text) + "' is not a valid date");
        slot = *value;
        break;
    }
    case FieldKind::Float: {
        const auto value = parseFloat(text);
        if (!value)
            throw platform::ConversionError("'" + std::string(text) +
                                            "' is not a valid floating point value");
        slot = *value;
        break;
    }
    case FieldKind::Blob:
        slot = Blob{std::string(text)};
        break;
    }
    set.assigned(index_);
}

void Field::setAsInteger(std::int32_t value)
{
    RecordSet::Impl& set = *owner_->impl_;
    Value& slot = set.slotForAssignment(index_);
    const FieldDef& d = set.fields[index_];
    switch (d.kind) {
    case FieldKind::Integer:
        slot = value;
        break;
    case FieldKind::Decimal:
        slot = Decimal::fromUnscaled(value, 0);
        break;
    case FieldKind::Float:
        slot = static_cast<double>(value);
        break;
    case FieldKind::Text:
    case FieldKind::FixedText:
        slot = cutToWidth(std::to_string(value), d);
        break;
    default:
        accessError(d, "Integer");
    }
    set.assigned(index_);
}

void Field::setAsMoney(Money value)
{
    RecordSet::Impl& set = *owner_->impl_;
    Value& slot = set.slotForAssignment(index_);
    const FieldDef& d = set.fields[index_];
    switch (d.kind) {
    case FieldKind::Decimal:
        slot = Decimal::fromMoney(value);
        break;
    case FieldKind::Float:
        slot = static_cast<double>(value) / kMoneyOne;
        break;
    case FieldKind::Text:
    case FieldKind::FixedText:
        slot = cutToWidth(Decimal::fromMoney(value).toText(platform::regionalSettings().decimalSeparator), d);
        break;
    default:
        accessError(d, "Currency");
    }
    set.assigned(index_);
}

void Field::setAsDate(const Date& value)
{
    RecordSet::Impl& set = *owner_->impl_;
    Value& slot = set.slotForAssignment(index_);
    const FieldDef& d = set.fields[index_];
    switch (d.kind) {
    case FieldKind::Date:
        slot = value;
        break;
    case FieldKind::Text:
    case FieldKind::FixedText:
        slot = cutToWidth(formatDate(value, platform::regionalSettings()), d);
        break;
    default:
        accessError(d, "Date");
    }
    set.assigned(index_);
}

void Field::setValue(Value value)
{
    RecordSet::Impl& set = *owner_->impl_;
    Value& slot = set.slotForAssignment(index_);
    const FieldDef& d = set.fields[index_];
    bool fits = dataset::isNull(value);
    switch (d.kind) {
    case FieldKind::Text:
    case FieldKind::FixedText:
        fits = fits || std::holds_alternative<std::string>(value);
        break;
    case FieldKind::Integer:
        fits = fits || std::holds_alternative<std::int32_t>(value);
        break;
    case FieldKind::Decimal:
        fits = fits || std::holds_alternative<Decimal>(value);
        break;
    case FieldKind::Date:
        fits = fits || std::holds_alternative<Date>(value);
        break;
    case FieldKind::Float:
        fits = fits || std::holds_alternative<double>(value);
        break;
    case FieldKind::Blob:
        if (auto* bytes = std::get_if<std::string>(&value))
            value = Blob{std::move(*bytes)};
        fits = fits || std::holds_alternative<Blob>(value);
        break;
    }
    if (!fits)
        accessError(d, kindName(d.kind));
    slot = std::move(value);
    set.assigned(index_);
}

} // namespace dataset
