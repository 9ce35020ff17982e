// The registry class: listing subkeys and values, and sorting such lists.
#include <cstring>
#include <utility>

#include "CReadWriteEasyReg.h"

namespace {

constexpr DWORD kLastIndex = 32767;  // the enumeration index is 16-bit

// The name in a fixed buffer up to its NUL; a buffer without one fails the listing.
bool TakeName(const char* buffer, size_t capacity, Variant::List& list) {
  const void* nul = std::memchr(buffer, '\0', capacity);
  if (!nul) return false;
  list.emplace_back(std::string(buffer, static_cast<const char*>(nul)));
  return true;
}

}  // namespace

Variant CReadWriteEasyReg::GetAllSubDirectories() {
  if (!IsOpen) return Variant();
  try {
    Variant::List names;
    for (DWORD index = 0;; ++index) {
      char name[256];
      std::memset(name, ' ', sizeof name);
      if (RegEnumKeyA(OpenKey.get(), index, name, 256) != ERROR_SUCCESS) return names;
      if (!TakeName(name, sizeof name, names) || index == kLastIndex) return Variant::Null();
    }
  } catch (...) {
    return Variant::Null();
  }
}

Variant CReadWriteEasyReg::GetAllValues() {
  if (!IsOpen) return Variant();
  try {
    Variant::List names;
    for (DWORD index = 0;; ++index) {
      // A name of more than 239 characters or data of more than 240 bytes does not fit
      // and ends the listing there.
      char name[250];
      BYTE data[250];
      std::memset(name, ' ', sizeof name);
      std::memset(data, ' ', sizeof data);
      DWORD nameCapacity = 240;
      DWORD dataCapacity = 240;
      DWORD type = 0;
      if (RegEnumValueA(OpenKey.get(), index, name, &nameCapacity, nullptr, &type, data,
                        &dataCapacity) != ERROR_SUCCESS)
        return names;
      if (!TakeName(name, sizeof name, names) || index == kLastIndex) return Variant::Null();
    }
  } catch (...) {
    return Variant::Null();
  }
}

Variant CReadWriteEasyReg::SortArrayAscending(const Variant& ValueList) noexcept {
  try {
    if (!ValueList.IsList()) return ValueList;
    // A straight insertion sort on a copy. The scan moves past elements equal to the one
    // being placed, so equal elements end in reverse order.
    Variant::List w = ValueList.list();
    for (size_t i = 1; i < w.size(); ++i) {
      Variant t = std::move(w[i]);
      size_t j = i;
      while (VariantLessOrEqual(t, w[j - 1])) {
        if (--j == 0) break;
      }
      for (size_t k = i; k > j; --k) w[k] = std::move(w[k - 1]);
      w[j] = std::move(t);
    }
    return Variant(std::move(w));
  } catch (...) {
    // Elements that cannot be ordered (or no memory for the copy): the input as it was.
    try {
      return ValueList;
    } catch (...) {
      return Variant::Null();
    }
  }
}
