#include "KeptValue.h"

#include <utility>

#include "Handles.h"

namespace basDecs {

KeptValue::KeptValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  UniqueHkey opened;
  if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS) {
    return;
  }
  DWORD size = 0;
  if (RegQueryValueExA(opened.get(), name_.c_str(), nullptr, &type_, nullptr, &size) !=
      ERROR_SUCCESS) {
    return;
  }
  data_.resize(size);
  found_ = RegQueryValueExA(opened.get(), name_.c_str(), nullptr, &type_, data_.data(), &size) ==
           ERROR_SUCCESS;
  data_.resize(size);
}

void KeptValue::Restore() const {
  if (!found_) return;
  UniqueHkey opened;
  if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE, opened.put()) != ERROR_SUCCESS) return;
  RegSetValueExA(opened.get(), name_.c_str(), 0, type_, data_.data(),
                 static_cast<DWORD>(data_.size()));
}

}  // namespace basDecs
