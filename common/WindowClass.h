// Window classes of this module, registered once per process however many threads create
// their first windows at once: a class another thread registered first is as good as ours.
#pragma once

#include <windows.h>

namespace common {

inline bool RegisterWindowClass(const WNDCLASSEXW& wc) noexcept {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)) return true;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

inline bool RegisterWindowClass(const WNDCLASSEXA& wc) noexcept {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(wc.hInstance, wc.lpszClassName, &existing)) return true;
  return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace common
