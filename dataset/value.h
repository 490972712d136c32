#pragma once
// The value of a field in a row: null or one value of the field's kind.
#include "dataset/date.h"
#include "dataset/decimal.h"

#include <cstdint>
#include <string>
#include <variant>

namespace dataset {

struct Blob {
    std::string bytes;
    bool operator==(const Blob&) const = default;
};

// monostate is null. Text and fixed text hold std::string (bytes, Windows-1252).
using Value = std::variant<std::monostate, std::string, std::int32_t, Decimal, Date, double, Blob>;

inline bool isNull(const Value& value)
{
    return std::holds_alternative<std::monostate>(value);
}

} // namespace dataset
