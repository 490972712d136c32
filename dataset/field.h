#pragma once
// Fields of a record set: their declaration and the handle through which the code
// reads and assigns the value of the current row.
#include "dataset/money.h"
#include "dataset/value.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dataset {

enum class FieldKind { Text, FixedText, Integer, Decimal, Date, Float, Blob };

// Kind names used in the type-mismatch message.
const char* kindName(FieldKind kind);

struct FieldDef {
    std::string name;
    FieldKind kind = FieldKind::Text;
    int size = 0; // width for the text kinds, scale for decimals, 0 otherwise
    bool required = false;
    bool readOnly = false;
    std::string displayLabel; // empty: messages name the field by its name

    const std::string& label() const { return displayLabel.empty() ? name : displayLabel; }
};

// A text as a text field keeps it: cut to the field's width, byte for byte (the
// data are single-byte text); whole for a field without a width.
std::string cutToWidth(std::string_view text, const FieldDef& def);

class RecordSet;

// A handle on one field of a record set; it reads and writes the current row, so it
// stays valid while the rows change. Cheap to copy.
class Field {
public:
    Field() = default;
    Field(RecordSet* owner, std::size_t index) : owner_(owner), index_(index) {}

    const FieldDef& def() const;
    const std::string& name() const { return def().name; }
    std::size_t index() const { return index_; }

    bool isNull() const;
    const Value& value() const;

    // Read as text: the text; an integer's digits; a decimal's toText with the
    // machine's separator; a date in the short date format; null gives "".
    std::string asString() const;
    // Integer: the value (null 0). Text: the text read as an integer (ConversionError
    // "'%s' is not a valid integer value"; null reads as "").
    std::int32_t asInteger() const;
    // Decimal: Decimal::toMoney (null 0); integer: value × 10000; float: rounded.
    Money asMoney() const;

    // Assign a text by the rules of the field's kind; empty gives null for integer,
    // decimal and date, and also for text (a text field assigned "" is null).
    // Failures leave the previous value.
    void setAsString(std::string_view text);
    void setAsInteger(std::int32_t value);
    void setAsMoney(Money value); // decimal fields: exactly, with four decimals
    void setAsDate(const Date& value);
    // A value as read from the database: stored as it is (the kind must fit).
    void setValue(Value value);

private:
    RecordSet* owner_ = nullptr;
    std::size_t index_ = 0;
};

} // namespace dataset
