// Session notifications for one window (lock and unlock, console and remote connect and
// disconnect arrive as WM_WTSSESSION_CHANGE) for as long as this object lives.
#pragma once

#include <windows.h>

namespace basDecs {

class SessionNotifications {
 public:
  // Asks for the notifications; a system without them (or a failed request) leaves the
  // window without, and a failed cursor read still holds the cycle for that tick.
  explicit SessionNotifications(HWND window);
  ~SessionNotifications();
  SessionNotifications(const SessionNotifications&) = delete;
  SessionNotifications& operator=(const SessionNotifications&) = delete;

 private:
  BOOL(WINAPI* unregister_)(HWND) = nullptr;
  HWND window_ = nullptr;
};

}  // namespace basDecs
