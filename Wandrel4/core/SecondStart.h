// A start that finds another Wandrel holding the session's claim. That one may be running
// with its window shown, still starting (no window yet), or ending (windows gone, process
// not yet). The start waits, for a bounded time, for whichever comes first: a shown window
// of the other one (bring it forward and end) or the claim let go (run as the only one).
#pragma once

#include <cstdint>

namespace core {

// What a start learns from opening the session's claim.
enum class ClaimOpening {
  Opened,         // the claim is in hand to wait on
  HeldElsewhere,  // another instance holds it and this start may not open it (that one runs
                  // as administrator, this one does not): that is another instance all the same
  Failed,         // the system made no claim at all: better running than gone
};
ClaimOpening ClassifyClaimOpening(bool opened, uint32_t lastError);

// What the wait asks of the platform; tests give their own.
class InstanceProbe {
 public:
  virtual ~InstanceProbe() = default;
  // Brings the other instance's shown window forward; true when one was found and answered.
  virtual bool BringFirstForward() = 0;
  // Waits up to waitMs for the claim; true once this start holds it.
  virtual bool Claim(uint32_t waitMs) = 0;
  // A millisecond clock; only differences are used, so it may wrap.
  virtual uint32_t Now() = 0;
};

enum class SecondStart {
  BroughtFirstForward,  // the other one shows a window: this start ends
  RunsAlone,            // the other one ended: this start goes on as the only instance
  GaveUp,               // neither within the patience: this start says so and ends
};

// Long enough for a start or an end under a slow system; short enough that a start that
// cannot settle does not linger unseen.
constexpr uint32_t kSecondStartPatienceMs = 5000;
// How long one round waits for the claim before it looks for a window again.
constexpr uint32_t kClaimSliceMs = 50;

SecondStart SettleSecondStart(InstanceProbe& probe, uint32_t patienceMs = kSecondStartPatienceMs,
                              uint32_t sliceMs = kClaimSliceMs);

}  // namespace core
