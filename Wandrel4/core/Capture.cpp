#include "Capture.h"

namespace core {

bool IsCaptureKey(int16_t keyCode, int16_t shift) {
  return keyCode == kCaptureKeyCode && shift == kCaptureShift;
}

CapturePlan PlanCapture(int16_t keyCode, int16_t shift, int16_t currentLocation) {
  if (!IsCaptureKey(keyCode, shift)) return {};
  // There is no ninth entry: the index must stay within the table.
  if (currentLocation >= kLastEntry) return {CaptureKind::TableFull, currentLocation, false};
  int16_t from = currentLocation < kBeforeFirst ? kBeforeFirst : currentLocation;
  int16_t entry = static_cast<int16_t>(from + 1);
  return {CaptureKind::Capture, entry, entry == kLastEntry};
}

void StoreCapture(LocationTable& table, int16_t entry, Point cursor) {
  if (!IsEntry(entry)) return;
  Location& location = table[static_cast<std::size_t>(entry)];
  location.captured = true;
  location.x = cursor.x;
  location.y = cursor.y;
}

bool LocationBoxChecked(const LocationTable& table, int index) {
  return IsEntry(index) && table[static_cast<std::size_t>(index)].captured;
}

}  // namespace core
