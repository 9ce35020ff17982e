#include "DecimalText.h"

#include <limits>

namespace core {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Decimal ParseDecimal(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const size_t intStart = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  const std::string_view intDigits = s.substr(intStart, i - intStart);
  std::string_view fracDigits;
  if (i < s.size() && s[i] == '.') {
    const size_t fracStart = ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    fracDigits = s.substr(fracStart, i - fracStart);
  }
  while (i < s.size() && IsBlank(s[i])) ++i;
  if (i != s.size() || (intDigits.empty() && fracDigits.empty())) return {};

  // The magnitude may go one past INT32_MAX (for INT32_MIN); beyond that it only has to be
  // known to be too large, so accumulation stops there.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 2;
  int64_t magnitude = 0;
  for (char c : intDigits) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) return {DecimalStatus::Overflow, 0};
  }

  // The fraction against one half: its first digit decides unless it is a 5; then any later
  // non-zero digit makes it more than a half, and an exact half goes to the even neighbour.
  if (!fracDigits.empty()) {
    const char first = fracDigits.front();
    bool roundUp = first > '5';
    if (first == '5') {
      const bool moreThanHalf = fracDigits.find_first_not_of('0', 1) != std::string_view::npos;
      roundUp = moreThanHalf || (magnitude % 2 != 0);
    }
    if (roundUp) ++magnitude;
  }

  const int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return {DecimalStatus::Overflow, 0};
  return {DecimalStatus::Ok, static_cast<int32_t>(value)};
}

}  // namespace core
