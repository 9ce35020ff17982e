#include "forms/Timer.h"

namespace forms {

void Timer::SetInterval(int32_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Arm();
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Arm();
}

void Timer::Reset() {
  interval_ = designInterval_ < 0 ? 0 : designInterval_;
  enabled_ = designEnabled_;
}

void Timer::Attach(HWND owner, UINT_PTR id) {
  owner_ = owner;
  id_ = id;
  Arm();
}

void Timer::Detach() {
  if (owner_) KillTimer(owner_, id_);
  owner_ = nullptr;
}

void Timer::Arm() {
  if (!owner_) return;
  KillTimer(owner_, id_);
  // SetTimer would turn a period of 0 into its minimum period: such a timer stays quiet.
  if (enabled_ && interval_ > 0) SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
}

}  // namespace forms
