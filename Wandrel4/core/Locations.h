// The location table: the eight recorded cursor positions the movement cycle visits and
// location capture fills, and the index rules they share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace core {

constexpr int kLocationCount = 8;
// The current location index before entry 0: the next step or capture uses entry 0.
constexpr int16_t kBeforeFirst = -1;
constexpr int16_t kLastEntry = kLocationCount - 1;

// A screen position in pixels, as the cursor functions report it (may be negative on a
// desktop of several monitors).
struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A monitor of the desktop in screen pixels; right and bottom lie just outside it.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend auto operator<=>(const Rect&, const Rect&) = default;
};

struct Location {
  int32_t x = 0;  // screen pixels
  int32_t y = 0;
  bool clickHere = false;  // left-click after the cursor arrives here
  bool captured = false;   // recorded with Ctrl+K since the program started; never stored
};

using LocationTable = std::array<Location, kLocationCount>;

// Whether an index names an entry of the table (0 to 7).
constexpr bool IsEntry(int index) { return index >= 0 && index < kLocationCount; }

}  // namespace core
