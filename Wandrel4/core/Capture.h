// Location capture in the configuration window: which key records, which entry it fills,
// when "Finished" becomes available, and what a location box shows.
#pragma once

#include "Locations.h"

namespace core {

constexpr int16_t kCaptureKeyCode = 75;  // K
constexpr int16_t kCaptureShift = 2;     // Ctrl alone (1 Shift, 2 Ctrl, 4 Alt)

enum class CaptureKind {
  Ignored,    // not Ctrl+K: nothing happens
  TableFull,  // all eight are recorded in this opening: beep, nothing changes
  Capture,    // record the cursor in `entry`
};

struct CapturePlan {
  CaptureKind kind = CaptureKind::Ignored;
  int16_t entry = kBeforeFirst;  // the new current location index when capturing
  bool enablesFinished = false;  // the last entry is filled: "Finished" turns on
};

bool IsCaptureKey(int16_t keyCode, int16_t shift);

// The decision for one key-down with the current location index. An index below -1 counts
// as -1; at 7 or above the table is full.
CapturePlan PlanCapture(int16_t keyCode, int16_t shift, int16_t currentLocation);

// Records the cursor in an entry of the table and marks it captured; the click flag stays.
// An index outside the table changes nothing.
void StoreCapture(LocationTable& table, int16_t entry, Point cursor);

// A location box shows whether its location has been captured in this run of the program;
// an index outside the table shows unchecked.
bool LocationBoxChecked(const LocationTable& table, int index);

}  // namespace core
