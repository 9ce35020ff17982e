#include "Variant.h"

#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal text: blanks, an optional sign, digits with an optional fractional part (at
// least one digit in all), blanks. The fraction is rounded to the nearest integer, halves
// to the even neighbour. Anything else is a type mismatch; the syntax is checked in full
// before the range, so "99999999999x" is a mismatch, not an overflow.
int32_t ParseDecimal(std::string_view s) {
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
  if (i != s.size() || (intDigits.empty() && fracDigits.empty()))
    throw VbError(VbError::TypeMismatch, "Type mismatch");

  // The magnitude may go one past INT32_MAX (for INT32_MIN); beyond that it only has to
  // be known to be too large, so accumulation stops there.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 2;
  int64_t magnitude = 0;
  for (char c : intDigits) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) throw VbError(VbError::Overflow, "Overflow");
  }

  // Compare the fraction with one half: its first digit decides unless it is a 5, then
  // any later non-zero digit makes it more than a half.
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
    throw VbError(VbError::Overflow, "Overflow");
  return static_cast<int32_t>(value);
}

// Rank of a kind in the ordering between kinds: Empty, Null, numbers, then texts.
int KindRank(Variant::Kind kind) {
  switch (kind) {
    case Variant::Kind::Empty:
      return 0;
    case Variant::Kind::Null:
      return 1;
    case Variant::Kind::Integer:
      return 2;
    case Variant::Kind::Text:
      return 3;
    case Variant::Kind::List:
      break;
  }
  throw VbError(VbError::TypeMismatch, "Type mismatch");
}

}  // namespace

std::string Variant::TextForm() const {
  switch (kind()) {
    case Kind::Empty:
    case Kind::Null:
      return {};
    case Kind::Text:
      return text();
    case Kind::Integer:
      return std::to_string(integer());
    case Kind::List:
      break;
  }
  throw VbError(VbError::TypeMismatch, "Type mismatch");
}

int32_t Variant::ToInt32() const {
  switch (kind()) {
    case Kind::Empty:
      return 0;
    case Kind::Integer:
      return integer();
    case Kind::Text:
      return ParseDecimal(text());
    case Kind::Null:
    case Kind::List:
      break;
  }
  throw VbError(VbError::TypeMismatch, "Type mismatch");
}

bool Variant::EqualsText(std::string_view other) const noexcept {
  switch (kind()) {
    case Kind::Empty:
      return other.empty();
    case Kind::Text:
      return text() == other;
    case Kind::Integer:
      return std::to_string(integer()) == other;
    case Kind::Null:
    case Kind::List:
      break;
  }
  return false;
}

bool VariantLessOrEqual(const Variant& a, const Variant& b) {
  const int rankA = KindRank(a.kind());
  const int rankB = KindRank(b.kind());
  if (rankA != rankB) return rankA < rankB;
  switch (a.kind()) {
    case Variant::Kind::Integer:
      return a.integer() <= b.integer();
    case Variant::Kind::Text:
      // std::string compares characters as unsigned bytes: plain character-code order.
      return a.text().compare(b.text()) <= 0;
    default:
      return true;  // Empty against Empty, Null against Null
  }
}
