// The movement cycle's decisions: one step of the step timer and the watchdog's test.
#pragma once

#include "Locations.h"

namespace core {

// What the step timer's handler knows when it ticks.
struct StepInput {
  int16_t currentLocation = kBeforeFirst;
  bool watchdogEnabled = false;  // the watchdog timer runs (from the first step on)
  bool stopMovement = false;     // real movement switches the cycle off
  Point cursor;                  // where the cursor is now
  Point expected;                // where the last step put it
};

enum class StepAction {
  // Put the cursor on `target`, make it the expected position, left-click if `click`,
  // enable the watchdog and store `nextLocation` as the current location index.
  Move,
  // The cursor was moved by hand since the last step: switch the cycle off as the
  // watchdog does; nothing moves and the index stays.
  SwitchOff,
};

struct Step {
  StepAction action = StepAction::Move;
  int16_t nextLocation = kBeforeFirst;
  Point target;
  bool click = false;
};

// The watchdog's test: the cycle goes off when the cursor is not where the cycle put it
// and the user asked for real movement to stop it.
bool WatchdogSwitchesOff(Point cursor, Point expected, bool stopMovement);

// One step: the entry after the current one, 0 after 7; an index that capture left outside
// -1 to 6 starts over at entry 0. A step that finds the cursor moved by hand while the
// watchdog runs does what the watchdog would have done at its next tick, so a tick of the
// step timer cannot slip in between and carry the cursor off before the watchdog sees it.
Step NextStep(const StepInput& input, const LocationTable& table);

}  // namespace core
