#include "SecondStart.h"

namespace core {

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
