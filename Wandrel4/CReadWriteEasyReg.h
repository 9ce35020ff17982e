// A small general-purpose class over the registry: one open key at a time, values of the
// registry's data types read and written as Variant, subkeys created, deleted and listed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "Handles.h"
#include "Variant.h"

// <windows.h> maps CreateDirectory to CreateDirectoryA; the class's own operation keeps
// its name.
#undef CreateDirectory

class CReadWriteEasyReg {
 public:
  CReadWriteEasyReg() = default;
  ~CReadWriteEasyReg();
  CReadWriteEasyReg(const CReadWriteEasyReg&) = delete;
  CReadWriteEasyReg& operator=(const CReadWriteEasyReg&) = delete;

  // Public operations, in the class's declaration order.
  Variant GetAllSubDirectories();
  bool CreateDirectory(const std::string& sNewDirName);
  bool DeleteDirectory(const std::string& sKeyName);
  Variant GetAllValues();
  // Throws VbError when a conversion fails (nothing is written then).
  bool CreateValue(const std::string& sValueName, const Variant& vWriteThis,
                   int32_t ldValueDataType,
                   const std::optional<Variant>& Multi_SZ_AddtlStrings = std::nullopt);
  bool DeleteValue(const std::string& sValueName);
  Variant GetValue(const std::string& VarName, bool ReturnBinStr);
  HKEY RegistryRootKey() const noexcept { return RootKey; }
  std::string SubDirectory() const { return SubDir; }
  bool OpenRegistry(HKEY RtHKey, const std::string& SbDr) noexcept;
  // Throws VbError::InvalidArgument when the path has no separator.
  void OneBackOnKey();
  bool CloseRegistry() noexcept;
  Variant SortArrayAscending(const Variant& ValueList) noexcept;

 private:
  HKEY RootKey = nullptr;
  std::string SubDir;
  UniqueHkey OpenKey;
  bool IsOpen = false;
};
