// Decimal text to a 32-bit integer, the way stored numbers are read.
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

enum class DecimalStatus { Ok, NotANumber, Overflow };

struct Decimal {
  DecimalStatus status = DecimalStatus::NotANumber;
  int32_t value = 0;  // 0 unless the status is Ok
};

// Blanks (space, tab), an optional sign, digits with an optional fractional part (at least
// one digit in all), blanks. The fraction rounds to the nearest integer, a half to the even
// neighbour. The syntax is checked in full before the range, so "99999999999x" is not a
// number rather than an overflow.
Decimal ParseDecimal(std::string_view text);

}  // namespace core
