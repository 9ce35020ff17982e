#include "SessionNotifications.h"

#include <string>

namespace basDecs {
namespace {

constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

// wtsapi32 from the system folder only, never from beside the program, and loaded only when
// the run window opens: no start of the program waits for it.
HMODULE LoadSessionLibrary() {
  wchar_t folder[MAX_PATH]{};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\wtsapi32.dll").c_str());
}

template <typename Function>
Function Find(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

SessionNotifications::SessionNotifications(HWND window) : library_(LoadSessionLibrary()) {
  using Register = BOOL(WINAPI*)(HWND, DWORD);
  auto registerFor =
      library_ ? Find<Register>(library_.get(), "WTSRegisterSessionNotification") : nullptr;
  if (registerFor && registerFor(window, kThisSession)) window_ = window;
}

SessionNotifications::~SessionNotifications() {
  using Unregister = BOOL(WINAPI*)(HWND);
  if (window_) {
    if (auto unregister = Find<Unregister>(library_.get(), "WTSUnRegisterSessionNotification")) {
      unregister(window_);
    }
  }
}

}  // namespace basDecs
