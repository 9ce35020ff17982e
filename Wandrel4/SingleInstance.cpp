#include "SingleInstance.h"

#include <vector>

#include "core/SecondStart.h"
#include "forms/Form.h"
#include "forms/MsgBox.h"

namespace {

// How long a form of the other instance gets to answer; it answers between two messages, so
// only a busy or hung instance takes long.
constexpr UINT kAnswerTimeoutMs = 1000;

// The forms of other processes, the shown ones first: the one the user sees of another
// instance is where to start.
BOOL CALLBACK CollectForms(HWND window, LPARAM found) {
  char cls[32]{};
  GetClassNameA(window, cls, sizeof cls);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (lstrcmpA(cls, forms::kFormClassName) != 0 || process == GetCurrentProcessId()) return TRUE;
  auto& forms = *reinterpret_cast<std::vector<HWND>*>(found);
  if (IsWindowVisible(window)) {
    forms.insert(forms.begin(), window);
  } else {
    forms.push_back(window);
  }
  return TRUE;
}

// The platform side of the wait of a start that finds the claim taken.
class Platform : public core::InstanceProbe {
 public:
  explicit Platform(SingleInstance& instance) : instance_(instance) {}
  bool BringFirstForward() override { return BringFirstInstanceForward(); }
  bool Claim(uint32_t waitMs) override { return instance_.TryClaim(waitMs); }
  uint32_t Now() override { return GetTickCount(); }

 private:
  SingleInstance& instance_;
};

}  // namespace

SingleInstance::SingleInstance(const wchar_t* mutexName)
    : name_(mutexName), mutex_(CreateMutexW(nullptr, FALSE, mutexName)) {
  switch (core::ClassifyClaimOpening(static_cast<bool>(mutex_), GetLastError())) {
    case core::ClaimOpening::Opened:
      held_ = TryClaim(0);
      break;
    case core::ClaimOpening::HeldElsewhere:
      held_ = false;
      break;
    case core::ClaimOpening::Failed:
      held_ = true;
      break;
  }
}

bool SingleInstance::TryClaim(uint32_t waitMs) {
  if (held_) return true;
  if (!mutex_) {
    // The holder may not be opened by this start; once it has ended the claim is made anew.
    Sleep(waitMs);
    mutex_.reset(CreateMutexW(nullptr, FALSE, name_.c_str()));
    if (!mutex_) return false;
    waitMs = 0;
  }
  const DWORD result = WaitForSingleObject(mutex_.get(), waitMs);
  held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return held_;
}

void SingleInstance::Release() {
  if (held_ && mutex_) ReleaseMutex(mutex_.get());
  held_ = false;
}

bool BringFirstInstanceForward() {
  std::vector<HWND> forms;
  EnumWindows(CollectForms, reinterpret_cast<LPARAM>(&forms));
  for (HWND window : forms) {
    // This start is the foreground process: it may hand the foreground on to the other one.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process);
    // Sent, not posted: a form that is being unloaded, or that has no shown form beside it
    // yet, says so, and the wait goes on.
    DWORD_PTR broughtForward = 0;
    if (SendMessageTimeoutA(window, forms::BringToFrontMessage(), 0, 0, SMTO_ABORTIFHUNG,
                            kAnswerTimeoutMs, &broughtForward) &&
        broughtForward) {
      return true;
    }
  }
  return false;
}

bool SettleWithFirstInstance(SingleInstance& instance) {
  Platform platform(instance);
  return SettleWithFirstInstance(platform);
}

bool SettleWithFirstInstance(core::InstanceProbe& probe) {
  switch (core::SettleSecondStart(probe)) {
    case core::SecondStart::RunsAlone:
      return true;
    case core::SecondStart::BroughtFirstForward:
      return false;
    case core::SecondStart::GaveUp:
      // The claim's holder does not answer (it runs as administrator) or does not end: a
      // start that ends without a word would look like one that failed.
      forms::MsgBox("Wandrel4 is already running, perhaps as administrator.", "Wandrel4");
      return false;
  }
  return false;
}
