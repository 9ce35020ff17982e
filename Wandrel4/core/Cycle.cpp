#include "Cycle.h"

namespace core {
namespace {

// mouse_event's flags for the two physical buttons.
constexpr ButtonFlags kLeftButton{0x0002, 0x0004};
constexpr ButtonFlags kRightButton{0x0008, 0x0010};

}  // namespace

bool OnAnyMonitor(Point point, std::span<const Rect> monitors) {
  if (monitors.empty()) return true;
  for (const Rect& m : monitors) {
    if (point.x >= m.left && point.x < m.right && point.y >= m.top && point.y < m.bottom) {
      return true;
    }
  }
  return false;
}

bool ScreenSettling(std::optional<uint64_t> changedAtMs, uint64_t nowMs) {
  return changedAtMs && nowMs - *changedAtMs < kScreenSettleMs;
}

bool WatchdogSwitchesOff(std::optional<Point> cursor, Point expected, bool stopMovement) {
  return stopMovement && cursor && *cursor != expected;
}

Step NextStep(const StepInput& input, const LocationTable& table, std::span<const Rect> monitors) {
  if (!input.cursor) return {StepAction::Hold, input.currentLocation, input.expected, false};
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
  const Point target{entry.x, entry.y};
  if (!OnAnyMonitor(target, monitors)) return {StepAction::Skip, next, target, false};
  return {StepAction::Move, next, target, entry.clickHere};
}

bool ClickAfterMove(const Step& step, std::optional<Point> cursorNow) {
  return step.action == StepAction::Move && step.click && cursorNow == step.target;
}

ButtonFlags PrimaryButton(bool buttonsSwapped) {
  return buttonsSwapped ? kRightButton : kLeftButton;
}

}  // namespace core
