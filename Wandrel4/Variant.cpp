#include "Variant.h"

#include "core/DecimalText.h"

namespace {

// Decimal text as the program reads stored numbers; anything else is a type mismatch, a
// number beyond 32 bits an overflow.
int32_t FromDecimalText(std::string_view text) {
  const core::Decimal number = core::ParseDecimal(text);
  switch (number.status) {
    case core::DecimalStatus::Ok:
      return number.value;
    case core::DecimalStatus::Overflow:
      throw VbError(VbError::Overflow, "Overflow");
    case core::DecimalStatus::NotANumber:
      break;
  }
  throw VbError(VbError::TypeMismatch, "Type mismatch");
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
      return FromDecimalText(text());
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
