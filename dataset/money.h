#pragma once
// A money value: a signed 64-bit count of ten-thousandths (four implied decimals).
#include <cstdint>

namespace dataset {

using Money = std::int64_t;
constexpr Money kMoneyOne = 10000;

} // namespace dataset
