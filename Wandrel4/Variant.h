// The dynamically typed value that the registry class takes and returns.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// An error that reaches the caller of the registry class or of a conversion, carrying the
// classic run-time error number (5 invalid argument, 6 overflow, 13 type mismatch). Its
// text is a literal: no allocation while an error is on its way.
class VbError : public std::exception {
 public:
  enum Code : int { InvalidArgument = 5, Overflow = 6, TypeMismatch = 13 };
  VbError(Code code, const char* what) noexcept : what_(what), code_(code) {}
  const char* what() const noexcept override { return what_; }
  Code code() const noexcept { return code_; }

 private:
  const char* what_;
  Code code_;
};

class Variant {
 public:
  enum class Kind { Empty, Null, Text, Integer, List };
  using List = std::vector<Variant>;

  Variant() = default;  // Empty
  Variant(std::string text) : value_(std::move(text)) {}
  Variant(const char* text) : value_(std::string(text)) {}
  Variant(int32_t number) : value_(number) {}
  Variant(List list) : value_(std::move(list)) {}
  static Variant Null() {
    Variant v;
    v.value_ = NullTag{};
    return v;
  }

  Kind kind() const noexcept { return static_cast<Kind>(value_.index()); }
  bool IsEmpty() const noexcept { return kind() == Kind::Empty; }
  bool IsNull() const noexcept { return kind() == Kind::Null; }
  bool IsText() const noexcept { return kind() == Kind::Text; }
  bool IsInteger() const noexcept { return kind() == Kind::Integer; }
  bool IsList() const noexcept { return kind() == Kind::List; }

  // Accessors for the held alternative; calling the wrong one is a programming error
  // (std::bad_variant_access).
  const std::string& text() const { return std::get<std::string>(value_); }
  int32_t integer() const { return std::get<int32_t>(value_); }
  const List& list() const { return std::get<List>(value_); }

  // Text unchanged, Integer in decimal, Empty and Null as "". A List throws TypeMismatch.
  std::string TextForm() const;
  // Integer unchanged, Empty 0, decimal Text (sign, blanks, fraction rounded half to
  // even). Other Text, Null and List throw TypeMismatch; out of range throws Overflow.
  int32_t ToInt32() const;
  // Exact, case-sensitive comparison with a text; Empty equals only "".
  bool EqualsText(std::string_view text) const noexcept;

  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  std::variant<std::monostate, NullTag, std::string, int32_t, List> value_;
};

// The value ordering the sort uses: Text by character code, Integer numerically. Throws
// TypeMismatch for pairs that cannot be ordered (a List, for instance).
bool VariantLessOrEqual(const Variant& a, const Variant& b);
