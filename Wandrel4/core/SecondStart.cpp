#include "SecondStart.h"

namespace core {

ClaimOpening ClassifyClaimOpening(bool opened, uint32_t lastError) {
  constexpr uint32_t kAccessDenied = 5;  // ERROR_ACCESS_DENIED
  if (opened) return ClaimOpening::Opened;
  return lastError == kAccessDenied ? ClaimOpening::HeldElsewhere : ClaimOpening::Failed;
}

SecondStart SettleSecondStart(InstanceProbe& probe, uint32_t patienceMs, uint32_t sliceMs) {
  const uint32_t started = probe.Now();
  for (;;) {
    // A shown window first: the common case, the other one running, answers at once.
    if (probe.BringFirstForward()) return SecondStart::BroughtFirstForward;
    if (probe.Claim(sliceMs)) return SecondStart::RunsAlone;
    if (probe.Now() - started >= patienceMs) return SecondStart::GaveUp;
  }
}

}  // namespace core
