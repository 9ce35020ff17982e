#include "usercontrol/Module.h"

#include <atomic>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace usercontrol {
namespace {
// The server's lock count: COM itself asks for it through DllCanUnloadNow.
std::atomic<LONG> g_moduleRefs{0};
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

void ModuleAddRef() noexcept { ++g_moduleRefs; }
void ModuleRelease() noexcept { --g_moduleRefs; }
LONG ModuleRefCount() noexcept { return g_moduleRefs.load(); }

}  // namespace usercontrol
