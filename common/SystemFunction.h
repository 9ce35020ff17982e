// A function of a system DLL that older Windows may lack, loaded from the system folder only.
// A DLL loaded by its bare name is looked for in the program's own folder first, where a
// download folder may hold a planted one; a full path into the system folder never is.
// Header-only, shared by the program and the control library.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

namespace common {

// The system DLL `name` (such as L"oleacc.dll") from the system folder, or nullptr. Each
// call counts one more load; the callers keep what they find for the life of the process,
// since the functions they hold may be called at any time.
inline HMODULE SystemLibrary(const wchar_t* name) noexcept {
  wchar_t folder[MAX_PATH]{};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  try {
    return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
  } catch (...) {
    return nullptr;
  }
}

// `name` of `library` in the system folder, typed as `Function` (a function type such as
// `BOOL WINAPI(HWND)`), or nullptr where the system has no such function.
template <class Function>
Function* SystemFunction(const wchar_t* library, const char* name) noexcept {
  static_assert(std::is_function_v<Function>, "name the function's type, not a pointer");
  HMODULE module = SystemLibrary(library);
  if (!module) return nullptr;  // GetProcAddress(nullptr, ...) would search the program
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace common
