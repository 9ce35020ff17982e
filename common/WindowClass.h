// Window classes of this module, registered once per process however many threads create
// their first windows at once: a class another thread registered first is as good as ours.
#pragma once

#include <windows.h>

namespace common {

// One thread of the module at a time registers a class. Registration is not atomic on every
// platform (Wine enters a class with its server before the process's own list has it, and a
// second thread then finds the class "already there" yet cannot create a window of it), so
// the second thread waits until the first one's registration is complete.
class ClassRegistrationLock {
 public:
  ClassRegistrationLock() noexcept {
    while (InterlockedCompareExchange(&busy_, 1, 0) != 0) Sleep(0);
  }
  ~ClassRegistrationLock() { InterlockedExchange(&busy_, 0); }
  ClassRegistrationLock(const ClassRegistrationLock&) = delete;
  ClassRegistrationLock& operator=(const ClassRegistrationLock&) = delete;

 private:
  static inline LONG busy_ = 0;
};

inline BOOL ClassInfo(HINSTANCE module, LPCWSTR name, WNDCLASSEXW* info) noexcept {
  return GetClassInfoExW(module, name, info);
}
inline BOOL ClassInfo(HINSTANCE module, LPCSTR name, WNDCLASSEXA* info) noexcept {
  return GetClassInfoExA(module, name, info);
}
inline ATOM RegisterClassOf(const WNDCLASSEXW* wc) noexcept { return RegisterClassExW(wc); }
inline ATOM RegisterClassOf(const WNDCLASSEXA* wc) noexcept { return RegisterClassExA(wc); }

// WNDCLASSEXW or WNDCLASSEXA: true when the class is there to create windows of.
template <class WindowClassEx>
bool RegisterWindowClass(const WindowClassEx& wc) noexcept {
  ClassRegistrationLock lock;
  WindowClassEx existing{};
  existing.cbSize = sizeof existing;
  if (ClassInfo(wc.hInstance, wc.lpszClassName, &existing)) return true;
  return RegisterClassOf(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace common
