// A form's timer: a period in milliseconds and an on/off switch. A period of 0 never ticks,
// and switching it on starts a fresh period.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace forms {

class Timer {
 public:
  Timer(int32_t interval, bool enabled) : designInterval_(interval), designEnabled_(enabled) {}
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  int32_t Interval() const { return interval_; }
  // A negative period is treated as 0. Changing the period of a running timer restarts it.
  void SetInterval(int32_t milliseconds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::function<void()> Tick;

  // Used by the form: back to the design state, attach to and detach from its window.
  void Reset();
  void Attach(HWND owner, UINT_PTR id);
  void Detach();
  UINT_PTR id() const { return id_; }

 private:
  void Arm();

  int32_t designInterval_;
  bool designEnabled_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  HWND owner_ = nullptr;
  UINT_PTR id_ = 0;
};

}  // namespace forms
