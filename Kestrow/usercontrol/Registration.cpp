// Registration as data: the keys and values of one control class, written in order and
// removed as whole subtrees, plus the type library registered from the module itself.
#include "usercontrol/Registration.h"

#include <oleauto.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "usercontrol/Handles.h"
#include "usercontrol/Module.h"

namespace usercontrol {
namespace {

struct RegistryValue {
  std::wstring key;     // below HKEY_CLASSES_ROOT
  const wchar_t* name;  // nullptr for the key's default value
  std::wstring value;
  bool keyOnly = false;  // a key that carries no value, such as "Control"
};

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::vector<RegistryValue> RegistryEntries(const ControlClass& cls, const std::wstring& path) {
  const std::wstring clsidKey = L"CLSID\\" + GuidText(*cls.clsid);
  const std::wstring version = std::to_wstring(cls.libMajor) + L"." + std::to_wstring(cls.libMinor);
  return {
      {clsidKey, nullptr, cls.userType},
      {clsidKey + L"\\InprocServer32", nullptr, path},
      {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsidKey + L"\\ProgID", nullptr, cls.progId},
      {clsidKey + L"\\VersionIndependentProgID", nullptr, cls.progId},
      {clsidKey + L"\\Control", nullptr, L"", true},
      {clsidKey + L"\\ToolboxBitmap32", nullptr,
       path + L", " + std::to_wstring(cls.toolboxBitmapId)},
      {clsidKey + L"\\TypeLib", nullptr, GuidText(*cls.libid)},
      {clsidKey + L"\\Version", nullptr, version},
      {clsidKey + L"\\MiscStatus", nullptr, L"0"},
      {clsidKey + L"\\MiscStatus\\1", nullptr, std::to_wstring(cls.miscStatus)},
      {cls.progId, nullptr, cls.userType},
      {std::wstring(cls.progId) + L"\\CLSID", nullptr, GuidText(*cls.clsid)},
  };
}

HRESULT WriteEntry(const RegistryValue& entry) noexcept {
  UniqueHkey key;
  LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, key.put(), nullptr);
  if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  if (entry.keyOnly) return S_OK;
  rc = RegSetValueExW(key.get(), entry.name, 0, REG_SZ,
                      reinterpret_cast<const BYTE*>(entry.value.c_str()),
                      static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t)));
  return HRESULT_FROM_WIN32(rc);
}

HRESULT DeleteTree(const std::wstring& key) noexcept {
  // SHDeleteKeyW rather than RegDeleteTreeW: the control also runs on Windows XP.
  DWORD rc = SHDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(rc);
}

HRESULT UnregisterTypeLibrary(const ControlClass& cls, const std::wstring& path) noexcept {
  // Not registered counts as removed; UnRegisterTypeLib reports it differently across systems.
  const std::wstring versionKey = L"TypeLib\\" + GuidText(*cls.libid) + L"\\" +
                                  std::to_wstring(cls.libMajor) + L"." +
                                  std::to_wstring(cls.libMinor);
  UniqueHkey probe;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, versionKey.c_str(), 0, KEY_READ, probe.put()) !=
      ERROR_SUCCESS) {
    return S_OK;
  }
  LCID lcid = 0x0409;
#ifdef _WIN64
  SYSKIND syskind = SYS_WIN64;
#else
  SYSKIND syskind = SYS_WIN32;
#endif
  // The library's own attributes say under which locale and platform it was registered.
  Microsoft::WRL::ComPtr<ITypeLib> lib;
  if (SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) {
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(lib->GetLibAttr(&attr))) {
      lcid = attr->lcid;
      syskind = attr->syskind;
      lib->ReleaseTLibAttr(attr);
    }
  }
  HRESULT hr = UnRegisterTypeLib(*cls.libid, cls.libMajor, cls.libMinor, lcid, syskind);
  if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED ||
      hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    return S_OK;
  }
  return hr;
}

}  // namespace

HRESULT RegisterControl(const ControlClass& cls) noexcept try {
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT hr = UnregisterControl(cls);
  if (FAILED(hr)) return hr;
  for (const auto& entry : RegistryEntries(cls, path)) {
    hr = WriteEntry(entry);
    if (FAILED(hr)) return hr;
  }
  Microsoft::WRL::ComPtr<ITypeLib> lib;
  return LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &lib);
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT UnregisterControl(const ControlClass& cls) noexcept try {
  const std::wstring path = ModulePath();
  // Every step runs; the first real failure is what the caller hears.
  HRESULT first = UnregisterTypeLibrary(cls, path);
  HRESULT hr = DeleteTree(L"CLSID\\" + GuidText(*cls.clsid));
  if (SUCCEEDED(first)) first = hr;
  hr = DeleteTree(cls.progId);
  if (SUCCEEDED(first)) first = hr;
  return first;
} catch (...) {
  return E_OUTOFMEMORY;
}

}  // namespace usercontrol
