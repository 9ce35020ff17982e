#include "usercontrol/Module.h"

#include "ComResult.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace usercontrol {
namespace {
// Shared by every control of the module; COM's reference count keeps it, not a C++ owner, so
// nothing releases it from a static destructor after OLE may be gone.
ITypeLib* g_typeLib = nullptr;
}  // namespace

HINSTANCE ModuleInstance() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

HRESULT ModuleTypeLib(ITypeLib** lib) noexcept try {
  RETURN_IF_NULL(lib);
  *lib = nullptr;
  void* cached =
      InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_typeLib), nullptr, nullptr);
  if (!cached) {
    // The type library is the module's own resource TYPELIB 1; nothing needs registering.
    ITypeLib* loaded = nullptr;
    RETURN_IF_FAILED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &loaded));
    // Two threads may load at once: the first to store wins, the other lets its copy go.
    cached =
        InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_typeLib), loaded, nullptr);
    if (cached) {
      loaded->Release();
    } else {
      cached = loaded;
    }
  }
  *lib = static_cast<ITypeLib*>(cached);
  (*lib)->AddRef();
  return S_OK;
}
CATCH_RETURN()

void ReleaseModuleTypeLib() noexcept {
  void* old = InterlockedExchangePointer(reinterpret_cast<void**>(&g_typeLib), nullptr);
  if (old) static_cast<ITypeLib*>(old)->Release();
}

}  // namespace usercontrol
