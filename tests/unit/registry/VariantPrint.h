// Readable Variant values in test failure messages.
#pragma once

#include <ostream>

#include "Variant.h"

inline void PrintTo(const Variant& v, std::ostream* os) {
  switch (v.kind()) {
    case Variant::Kind::Empty:
      *os << "Empty";
      return;
    case Variant::Kind::Null:
      *os << "Null";
      return;
    case Variant::Kind::Integer:
      *os << v.integer();
      return;
    case Variant::Kind::Text:
      *os << '"';
      for (unsigned char c : v.text()) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
          *os << c;
        } else {
          static constexpr char kHex[] = "0123456789ABCDEF";
          *os << "\\x" << kHex[c >> 4] << kHex[c & 15];
        }
      }
      *os << '"';
      return;
    case Variant::Kind::List:
      *os << "List{";
      for (size_t i = 0; i < v.list().size(); ++i) {
        if (i) *os << ", ";
        PrintTo(v.list()[i], os);
      }
      *os << '}';
      return;
  }
}
