#include "Cycle.h"

namespace core {

bool WatchdogSwitchesOff(Point cursor, Point expected, bool stopMovement) {
  return stopMovement && cursor != expected;
}

Step NextStep(const StepInput& input, const LocationTable& table) {
  if (input.watchdogEnabled &&
      WatchdogSwitchesOff(input.cursor, input.expected, input.stopMovement)) {
    return {StepAction::SwitchOff, input.currentLocation, input.expected, false};
  }
  int16_t index = input.currentLocation;
  if (index < kBeforeFirst || index >= kLastEntry) index = kBeforeFirst;
  ++index;
  const Location& entry = table[static_cast<std::size_t>(index)];
  // After the last entry the next step uses entry 0 again.
  int16_t next = index == kLastEntry ? kBeforeFirst : index;
  return {StepAction::Move, next, Point{entry.x, entry.y}, entry.clickHere};
}

}  // namespace core
