// The movement cycle's decisions: one step of the step timer, the watchdog's test, and the
// click that may follow a move.
#pragma once

#include <optional>
#include <span>

#include "Locations.h"

namespace core {

// Whether a point lies on one of the monitors. With no monitor known (the system gave no
// answer) every point counts as on the screen.
bool OnAnyMonitor(Point point, std::span<const Rect> monitors);

// What the step timer's handler knows when it ticks.
struct StepInput {
  int16_t currentLocation = kBeforeFirst;
  bool watchdogEnabled = false;  // the watchdog timer runs (from the first step on)
  bool stopMovement = false;     // real movement switches the cycle off
  // Where the cursor is now; none when it cannot be read (a locked session, the secure
  // desktop, a disconnected remote session).
  std::optional<Point> cursor = Point{};
  Point expected;  // where the last step put it
};

enum class StepAction {
  // Put the cursor on `target`, make it the expected position, left-click if `click` and
  // the cursor really is there, enable the watchdog and store `nextLocation`.
  Move,
  // The entry lies on no monitor: it takes its turn (`nextLocation` is stored) but nothing
  // moves, nothing is clicked and the watchdog is not armed, so that no click lands on a
  // place the user never recorded.
  Skip,
  // The cursor was moved by hand since the last step: switch the cycle off as the
  // watchdog does; nothing moves and the index stays.
  SwitchOff,
  // The cursor cannot be read: the desktop is not the user's now. Nothing changes.
  Hold,
};

struct Step {
  StepAction action = StepAction::Move;
  int16_t nextLocation = kBeforeFirst;
  Point target;
  bool click = false;
  friend bool operator==(const Step&, const Step&) = default;
};

// After the screen changes the system moves the cursor onto what remains of it, just before
// it says so or up to about a second after: for this long after the news, a cursor away from
// where the cycle put it is the system's doing, not a hand's.
constexpr uint64_t kScreenSettleMs = 1200;
bool ScreenSettling(std::optional<uint64_t> changedAtMs, uint64_t nowMs);

// The watchdog's test: the cycle goes off when the cursor is not where the cycle put it
// and the user asked for real movement to stop it. A cursor that cannot be read is no hand
// on the mouse.
bool WatchdogSwitchesOff(std::optional<Point> cursor, Point expected, bool stopMovement);

// One step: the entry after the current one, 0 after 7; an index that capture left outside
// -1 to 6 starts over at entry 0. A step that finds the cursor moved by hand while the
// watchdog runs does what the watchdog would have done at its next tick, so a tick of the
// step timer cannot slip in between and carry the cursor off before the watchdog sees it.
Step NextStep(const StepInput& input, const LocationTable& table,
              std::span<const Rect> monitors = {});

// After a move: the click follows only where the entry asks for one and the cursor really
// arrived (a clip rectangle, a refused move or a hand at that instant can keep it elsewhere).
bool ClickAfterMove(const Step& step, std::optional<Point> cursorNow);

// The mouse_event flags of a press and release of the user's primary button: the physical
// left one, or the right one where the buttons are swapped for a left hand, since the
// system maps injected input through the swap as it does the mouse's own.
struct ButtonFlags {
  uint32_t down = 0;
  uint32_t up = 0;
};
ButtonFlags PrimaryButton(bool buttonsSwapped);

}  // namespace core
