#include "SessionNotifications.h"

#include "SystemFunction.h"

namespace basDecs {
namespace {

constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

}  // namespace

// wtsapi32 is loaded only once the run window is up: no start of the program waits for it.
SessionNotifications::SessionNotifications(HWND window) {
  auto registerFor = common::SystemFunction<BOOL WINAPI(HWND, DWORD)>(
      L"wtsapi32.dll", "WTSRegisterSessionNotification");
  unregister_ = common::SystemFunction<BOOL WINAPI(HWND)>(L"wtsapi32.dll",
                                                          "WTSUnRegisterSessionNotification");
  if (registerFor && unregister_ && registerFor(window, kThisSession)) window_ = window;
}

SessionNotifications::~SessionNotifications() {
  if (window_) unregister_(window_);
}

}  // namespace basDecs
