// Registration as data: the keys and values of one control class and of its type library (read
// from the module itself), written in order and removed as whole subtrees. The same entries go
// below HKLM\Software\Classes for the machine or HKCU\Software\Classes for one user.
#include "usercontrol/Registration.h"

#include <oleauto.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "ComResult.h"
#include "Handles.h"
#include "usercontrol/Module.h"

namespace usercontrol {
namespace {

// Decimal digits by hand: std::to_wstring would bring the C library's formatted printing,
// a fifth of the library's size.
std::wstring Decimal(unsigned long value) {
  wchar_t digits[12];
  wchar_t* p = digits + 12;
  do {
    *--p = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::wstring(p, digits + 12);
}

// The component category that containers list "controls" by, and its standard description.
constexpr GUID kCatidControl = {
    0x40FC6ED4, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};
constexpr wchar_t kCategoryLocale[] = L"409";
constexpr wchar_t kCategoryName[] = L"Controls";

// Where the classes of one scope live.
struct ClassesRoot {
  HKEY key;
  std::wstring prefix;
};

ClassesRoot RootOf(RegistrationScope scope) {
  if (scope == RegistrationScope::User) return {HKEY_CURRENT_USER, L"Software\\Classes\\"};
  // The machine's own classes, not the merged HKEY_CLASSES_ROOT: where the user has a key of
  // the same name, a write through HKEY_CLASSES_ROOT would land in the user's key instead.
  return {HKEY_LOCAL_MACHINE, L"Software\\Classes\\"};
}

struct RegistryValue {
  std::wstring key;     // below the scope's classes root
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
  const std::wstring version = Decimal(cls.libMajor) + L"." + Decimal(cls.libMinor);
  return {
      {clsidKey, nullptr, cls.userType},
      {clsidKey + L"\\InprocServer32", nullptr, path},
      {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsidKey + L"\\ProgID", nullptr, cls.progId},
      {clsidKey + L"\\VersionIndependentProgID", nullptr, cls.progId},
      {clsidKey + L"\\Control", nullptr, L"", true},
      {clsidKey + L"\\ToolboxBitmap32", nullptr, path + L", " + Decimal(cls.toolboxBitmapId)},
      {clsidKey + L"\\TypeLib", nullptr, GuidText(*cls.libid)},
      {clsidKey + L"\\Version", nullptr, version},
      {clsidKey + L"\\MiscStatus", nullptr, L"0"},
      {clsidKey + L"\\MiscStatus\\1", nullptr, Decimal(cls.miscStatus)},
      {clsidKey + L"\\Implemented Categories\\" + GuidText(kCatidControl), nullptr, L"", true},
      {cls.progId, nullptr, cls.userType},
      {std::wstring(cls.progId) + L"\\CLSID", nullptr, GuidText(*cls.clsid)},
  };
}

HRESULT WriteEntry(const ClassesRoot& root, const RegistryValue& entry) noexcept try {
  UniqueHkey key;
  LONG rc = RegCreateKeyExW(root.key, (root.prefix + entry.key).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  if (entry.keyOnly) return S_OK;
  rc = RegSetValueExW(key.get(), entry.name, 0, REG_SZ,
                      reinterpret_cast<const BYTE*>(entry.value.c_str()),
                      static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t)));
  return HRESULT_FROM_WIN32(rc);
} catch (...) {
  return E_OUTOFMEMORY;
}

bool KeyExists(const ClassesRoot& root, const std::wstring& key) {
  UniqueHkey probe;
  return RegOpenKeyExW(root.key, (root.prefix + key).c_str(), 0, KEY_READ, probe.put()) ==
         ERROR_SUCCESS;
}

// On 64-bit Windows CLSID has a 32-bit and a 64-bit view while the ProgID key is one for both,
// so the ProgID belongs to the class as long as either view still registers it. (Where there
// is one view the flags are ignored and both probes look at the same key.)
bool ClassRegisteredInAnyView(const ClassesRoot& root, const std::wstring& clsidKey) {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    UniqueHkey probe;
    if (RegOpenKeyExW(root.key, (root.prefix + clsidKey).c_str(), 0, KEY_READ | view,
                      probe.put()) == ERROR_SUCCESS) {
      return true;
    }
  }
  return false;
}

HRESULT DeleteTree(const ClassesRoot& root, const std::wstring& key) noexcept try {
  // SHDeleteKeyW rather than RegDeleteTreeW: the control also runs on Windows XP.
  DWORD rc = SHDeleteKeyW(root.key, (root.prefix + key).c_str());
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(rc);
} catch (...) {
  return E_OUTOFMEMORY;
}

std::wstring CategoryKey() { return L"Component Categories\\" + GuidText(kCatidControl); }

// The category's description is created where it is missing; containers that list controls
// by category show its name.
HRESULT DescribeCategory(const ClassesRoot& root) noexcept try {
  // The machine's classes already describe it on every Windows; a user's copy only fills a gap.
  if (KeyExists(root, CategoryKey()) ||
      KeyExists(RootOf(RegistrationScope::Machine), CategoryKey())) {
    return S_OK;
  }
  return WriteEntry(root, {CategoryKey(), kCategoryLocale, kCategoryName});
} catch (...) {
  return E_OUTOFMEMORY;
}

// Another class of the same root that still claims the category.
bool CategoryInUse(const ClassesRoot& root) {
  UniqueHkey classes;
  if (RegOpenKeyExW(root.key, (root.prefix + L"CLSID").c_str(), 0, KEY_READ, classes.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    LONG rc = RegEnumKeyExW(classes.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) return false;
    if (rc != ERROR_SUCCESS) continue;
    const std::wstring sub =
        std::wstring(name) + L"\\Implemented Categories\\" + GuidText(kCatidControl);
    UniqueHkey probe;
    if (RegOpenKeyExW(classes.get(), sub.c_str(), 0, KEY_READ, probe.put()) == ERROR_SUCCESS) {
      return true;
    }
  }
}

// The machine's category is the system's own and shared by every control: it stays. A user's
// copy was made for this user's controls and goes with the last of them.
HRESULT RemoveCategoryDescription(const ClassesRoot& root, RegistrationScope scope) noexcept try {
  if (scope == RegistrationScope::Machine || CategoryInUse(root)) return S_OK;
  return DeleteTree(root, CategoryKey());
} catch (...) {
  return E_OUTOFMEMORY;
}

// The type library is written as data, the keys RegisterTypeLib writes, below the scope's own
// classes root. RegisterTypeLib writes through the merged HKEY_CLASSES_ROOT, which leads into a
// user's keys where that user has registered the library too; RegisterTypeLibForUser is
// missing before Vista, and Wine 8 registers for the whole machine in its place; and
// UnRegisterTypeLib fails once the registered file is gone, as after a moved folder.
std::vector<RegistryValue> TypeLibraryEntries(ITypeLib* lib, const std::wstring& path) {
  TLIBATTR* attr = nullptr;
  if (FAILED(lib->GetLibAttr(&attr))) return {};
  const std::wstring libid = GuidText(attr->guid);
  const std::wstring version = Decimal(attr->wMajorVerNum) + L"." + Decimal(attr->wMinorVerNum);
  wchar_t locale[16];
  wsprintfW(locale, L"%x", attr->lcid);
  const wchar_t* platform = attr->syskind == SYS_WIN64 ? L"win64" : L"win32";
  lib->ReleaseTLibAttr(attr);

  BSTR docName = nullptr, docString = nullptr;
  lib->GetDocumentation(-1, &docName, &docString, nullptr, nullptr);
  UniqueBstr name(docName), help(docString);
  const std::wstring libKey = L"TypeLib\\" + libid + L"\\" + version;
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  std::vector<RegistryValue> entries = {
      {libKey, nullptr, help.get() ? help.get() : L""},
      {libKey + L"\\FLAGS", nullptr, L"0"},
      {libKey + L"\\HELPDIR", nullptr, folder},
      {libKey + L"\\" + locale + L"\\" + platform, nullptr, path},
  };
  // Interfaces that automation marshals: pure dispatch interfaces through the dispatch proxy,
  // dual (listed as dispatch with the dual flag) and automation-compatible ones through the
  // type library's own, so that their vtable calls cross apartments too.
  for (UINT i = 0, n = lib->GetTypeInfoCount(); i < n; ++i) {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    TYPEATTR* type = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &info)) || FAILED(info->GetTypeAttr(&type))) continue;
    const bool dual = type->wTypeFlags & TYPEFLAG_FDUAL;
    const bool pureDispatch = type->typekind == TKIND_DISPATCH && !dual;
    const bool marshalled = type->typekind == TKIND_DISPATCH ||
                            (type->typekind == TKIND_INTERFACE &&
                             (dual || (type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION)));
    const std::wstring iid = GuidText(type->guid);
    info->ReleaseTypeAttr(type);
    if (!marshalled) continue;
    BSTR typeName = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &typeName, nullptr, nullptr, nullptr);
    UniqueBstr interfaceName(typeName);
    const std::wstring key = L"Interface\\" + iid;
    const wchar_t* proxy = pureDispatch ? L"{00020420-0000-0000-C000-000000000046}"
                                        : L"{00020424-0000-0000-C000-000000000046}";
    entries.push_back({key, nullptr, interfaceName.get() ? interfaceName.get() : L""});
    entries.push_back({key + L"\\ProxyStubClsid", nullptr, proxy});
    entries.push_back({key + L"\\ProxyStubClsid32", nullptr, proxy});
    entries.push_back({key + L"\\TypeLib", nullptr, libid});
    entries.push_back({key + L"\\TypeLib", L"Version", version});
  }
  return entries;
}

bool HasSubkeys(const ClassesRoot& root, const std::wstring& key) {
  UniqueHkey handle;
  DWORD subkeys = 0;
  return RegOpenKeyExW(root.key, (root.prefix + key).c_str(), 0, KEY_READ, handle.put()) ==
             ERROR_SUCCESS &&
         RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys > 0;
}

bool IsInterfaceKey(const std::wstring& key) {
  return key.rfind(L"Interface\\", 0) == 0 && key.find(L'\\', 10) == std::wstring::npos;
}

// Removes this build's path of the library and the interface keys: on 64-bit Windows those
// are one set per registry view, so they are this build's alone. The library goes with the
// last platform, so a 32-bit and a 64-bit registration side by side keep each other's. Done by
// the keys the module's own library names, whichever file was registered before.
HRESULT UnregisterTypeLibrary(const ClassesRoot& root, const std::wstring& path) noexcept try {
  Microsoft::WRL::ComPtr<ITypeLib> lib;
  RETURN_IF_FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib));
  const auto entries = TypeLibraryEntries(lib.Get(), path);
  if (entries.size() < 4) return TYPE_E_CANTLOADLIBRARY;
  const std::wstring& versionKey = entries[0].key;   // TypeLib\{libid}\1.0
  const std::wstring& platformKey = entries[3].key;  // ...\409\win32
  HRESULT first = DeleteTree(root, platformKey);
  for (const auto& entry : entries) {
    if (!IsInterfaceKey(entry.key)) continue;
    HRESULT hr = DeleteTree(root, entry.key);
    if (SUCCEEDED(first)) first = hr;
  }
  const std::wstring localeKey = platformKey.substr(0, platformKey.find_last_of(L'\\'));
  if (HasSubkeys(root, localeKey)) return first;
  HRESULT hr = DeleteTree(root, versionKey);
  if (SUCCEEDED(first)) first = hr;
  RegDeleteKeyW(root.key,
                (root.prefix + versionKey.substr(0, versionKey.find_last_of(L'\\'))).c_str());
  return first;
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT RegisterTypeLibrary(const std::wstring& path, const ClassesRoot& root) noexcept try {
  Microsoft::WRL::ComPtr<ITypeLib> lib;
  RETURN_IF_FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib));
  const auto entries = TypeLibraryEntries(lib.Get(), path);
  if (entries.empty()) return TYPE_E_CANTLOADLIBRARY;
  for (const auto& entry : entries) RETURN_IF_FAILED(WriteEntry(root, entry));
  return S_OK;
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT WriteRegistration(const ControlClass& cls, const std::wstring& path,
                          const ClassesRoot& root) noexcept try {
  for (const auto& entry : RegistryEntries(cls, path)) RETURN_IF_FAILED(WriteEntry(root, entry));
  RETURN_IF_FAILED(DescribeCategory(root));
  return RegisterTypeLibrary(path, root);
} catch (...) {
  return E_OUTOFMEMORY;
}

}  // namespace

HRESULT RegisterControl(const ControlClass& cls, RegistrationScope scope) noexcept try {
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  RETURN_IF_FAILED(UnregisterControl(cls, scope));
  const HRESULT hr = WriteRegistration(cls, path, RootOf(scope));
  // A registration that fails part-way takes back what it wrote: no class without its library.
  if (FAILED(hr)) UnregisterControl(cls, scope);
  return hr;
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT UnregisterControl(const ControlClass& cls, RegistrationScope scope) noexcept try {
  const std::wstring path = ModulePath();
  const ClassesRoot root = RootOf(scope);
  // Every step runs; the first real failure is what the caller hears.
  HRESULT first = UnregisterTypeLibrary(root, path);
  const std::wstring clsidKey = L"CLSID\\" + GuidText(*cls.clsid);
  HRESULT hr = DeleteTree(root, clsidKey);
  if (SUCCEEDED(first)) first = hr;
  // The ProgID (which is also the version-independent one) stays for the other bitness.
  if (!ClassRegisteredInAnyView(root, clsidKey)) {
    hr = DeleteTree(root, cls.progId);
    if (SUCCEEDED(first)) first = hr;
  }
  hr = RemoveCategoryDescription(root, scope);
  if (SUCCEEDED(first)) first = hr;
  if (scope == RegistrationScope::User) {
    // Parents the registration created go when nothing else is in them (RegDeleteKey removes
    // no key that has subkeys), so the user's classes are as they were before.
    for (const wchar_t* parent : {L"CLSID", L"TypeLib", L"Interface", L"Component Categories"}) {
      RegDeleteKeyW(root.key, (root.prefix + parent).c_str());
    }
  }
  return first;
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT InstallControl(const ControlClass& cls, bool install, const wchar_t* commandLine) noexcept {
  RegistrationScope scope = RegistrationScope::Machine;
  if (commandLine && *commandLine) {
    if (CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) != CSTR_EQUAL) {
      return E_INVALIDARG;
    }
    scope = RegistrationScope::User;
  }
  return install ? RegisterControl(cls, scope) : UnregisterControl(cls, scope);
}

}  // namespace usercontrol
