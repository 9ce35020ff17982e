// One registry value kept across the deletion of its key: read as it is (kind and bytes),
// written back as it was. For a value the program reads but a save does not write.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace basDecs {

class KeptValue {
 public:
  // Reads the value now; a missing value, or one that cannot be read, is kept as nothing.
  KeptValue(HKEY root, std::string key, std::string name);
  // Writes the value back into the key (which must exist) when there was one.
  void Restore() const;

 private:
  HKEY root_;
  std::string key_;
  std::string name_;
  bool found_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> data_;
};

}  // namespace basDecs
