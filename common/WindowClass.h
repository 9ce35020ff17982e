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

inline bool RegisterWindowClass(const WNDCLASSEXW& wc) noexcept {
  ClassRegistrationLock lock;
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)) return true;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

inline bool RegisterWindowClass(const WNDCLASSEXA& wc) noexcept {
  ClassRegistrationLock lock;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(wc.hInstance, wc.lpszClassName, &existing)) return true;
  return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace common
