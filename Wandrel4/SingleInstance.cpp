#include "SingleInstance.h"

#include "forms/Form.h"

namespace {

// A visible form of another process: the one the user sees of the first instance.
BOOL CALLBACK FindShownForm(HWND window, LPARAM found) {
  char cls[32]{};
  GetClassNameA(window, cls, sizeof cls);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (lstrcmpA(cls, forms::kFormClassName) != 0 || process == GetCurrentProcessId()) return TRUE;
  HWND& result = *reinterpret_cast<HWND*>(found);
  if (!result || IsWindowVisible(window)) result = window;
  return IsWindowVisible(window) ? FALSE : TRUE;
}

}  // namespace

SingleInstance::SingleInstance(const wchar_t* mutexName)
    : mutex_(CreateMutexW(nullptr, FALSE, mutexName)) {
  first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

bool BringFirstInstanceForward() {
  HWND window = nullptr;
  EnumWindows(FindShownForm, reinterpret_cast<LPARAM>(&window));
  if (!window) return false;
  // This start is the foreground process: it may hand the foreground on to the first one.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);
  return PostMessageA(window, forms::BringToFrontMessage(), 0, 0) != FALSE;
}
