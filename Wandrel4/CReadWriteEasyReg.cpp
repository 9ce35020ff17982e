// The registry class: its key connection and the reading of values.
#include "CReadWriteEasyReg.h"

#include <string>
#include <vector>

#include "CReadWriteEasyRegData.h"

namespace {

// Room for any value the program stores (a few characters each) in the first read.
constexpr DWORD kFirstReadBytes = 256;

// Everything the other operations do through the one handle: read, write and delete
// values, create, delete and list subkeys (deleting a subkey needs only its parent).
constexpr REGSAM kOpenAccess =
    READ_CONTROL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;

}  // namespace

CReadWriteEasyReg::~CReadWriteEasyReg() = default;

bool CReadWriteEasyReg::OpenRegistry(HKEY RtHKey, const std::string& SbDr) noexcept {
  IsOpen = false;
  if (!RtHKey) return false;
  try {
    RootKey = RtHKey;
    SubDir = SbDr;
    if (OpenKey) {
      CloseRegistry();
      // A handle that would not close is of no more use; the new one takes its place.
      OpenKey.release();
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey, SubDir.c_str(), 0, kOpenAccess, &key) != ERROR_SUCCESS) return false;
    OpenKey.reset(key);
    IsOpen = true;
    return true;
  } catch (...) {
    return false;
  }
}

bool CReadWriteEasyReg::CloseRegistry() noexcept {
  if (!OpenKey) return false;
  // Closed here rather than by reset, which cannot tell its caller about a failed close.
  if (RegCloseKey(OpenKey.get()) != ERROR_SUCCESS) return false;
  OpenKey.release();
  IsOpen = false;
  return true;
}

void CReadWriteEasyReg::OneBackOnKey() {
  // The position counter of the path is 16-bit.
  if (SubDir.size() > 32767) throw VbError(VbError::Overflow, "Overflow");
  const size_t separator = SubDir.rfind('\\');
  if (separator == std::string::npos)
    throw VbError(VbError::InvalidArgument, "Invalid procedure call or argument");
  SubDir.resize(separator);
  CloseRegistry();
  OpenRegistry(RootKey, SubDir);
}

Variant CReadWriteEasyReg::GetValue(const std::string& VarName, bool ReturnBinStr) {
  if (!IsOpen) return Variant();
  try {
    // One query reads a value of ordinary size; a larger one says how much room it needs and
    // is read again with that (it may grow in between, so a few times at most).
    DWORD type = 0;
    DWORD size = kFirstReadBytes;
    std::vector<BYTE> data;
    LSTATUS rc = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
      data.assign(size, 0);
      rc = RegQueryValueExA(OpenKey.get(), VarName.c_str(), nullptr, &type, data.data(), &size);
    }
    if (rc != ERROR_SUCCESS) return easyreg::QueryFailure(rc);
    if (size > data.size()) size = static_cast<DWORD>(data.size());

    return easyreg::DecodeValue(
        type, std::string_view(reinterpret_cast<const char*>(data.data()), size), ReturnBinStr);
  } catch (...) {
    // Memory ran out while reading: the conversion failed.
    return Variant(std::string());
  }
}
