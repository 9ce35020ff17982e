// The registry class: writing and deleting values, creating and deleting subkeys.
#include "CReadWriteEasyReg.h"
#include "CReadWriteEasyRegData.h"
#include "forms/MsgBox.h"

bool CReadWriteEasyReg::CreateValue(const std::string& sValueName, const Variant& vWriteThis,
                                    int32_t ldValueDataType,
                                    const std::optional<Variant>& Multi_SZ_AddtlStrings) {
  if (!IsOpen) return false;
  // Conversion errors leave here, before anything is written.
  const std::optional<std::string> data =
      easyreg::EncodeValue(ldValueDataType, vWriteThis, Multi_SZ_AddtlStrings);
  if (!data) {
    forms::MsgBox("Unable to process that Type of data.");
    return false;
  }
  return RegSetValueExA(OpenKey.get(), sValueName.c_str(), 0, static_cast<DWORD>(ldValueDataType),
                        reinterpret_cast<const BYTE*>(data->data()),
                        static_cast<DWORD>(data->size())) == ERROR_SUCCESS;
}

bool CReadWriteEasyReg::DeleteValue(const std::string& sValueName) {
  if (!IsOpen) return false;
  return RegDeleteValueA(OpenKey.get(), sValueName.c_str()) == ERROR_SUCCESS;
}

bool CReadWriteEasyReg::CreateDirectory(const std::string& sNewDirName) {
  if (!IsOpen) return false;
  HKEY created = nullptr;
  char noClass[] = "";
  const LSTATUS rc =
      RegCreateKeyExA(OpenKey.get(), sNewDirName.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &created, nullptr);
  // Only the key's existence matters; the object stays on the key it has open.
  UniqueHkey release(rc == ERROR_SUCCESS ? created : nullptr);
  return rc == ERROR_SUCCESS;
}

bool CReadWriteEasyReg::DeleteDirectory(const std::string& sKeyName) {
  if (!IsOpen) return false;
  // The platform takes an empty name as the open key itself; no subkey has that name.
  if (sKeyName.empty()) return false;
  return RegDeleteKeyA(OpenKey.get(), sKeyName.c_str()) == ERROR_SUCCESS;
}
