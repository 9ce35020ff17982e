// What the program keeps for its whole run and its windows share: the location table, the
// movement cycle's place in it, and the settings in use.
#pragma once

#include <cstdint>

#include <optional>

#include "core/ScreenLayout.h"

namespace basDecs {

using Location = core::Location;

struct SharedState {
  core::LocationTable locations{};
  int16_t currentLocation = 0;  // core::kBeforeFirst: the next step or capture uses entry 0
  core::Point expected;         // where the movement cycle last put the cursor
  bool running = false;
  bool stopMovement = false;  // real mouse movement switches the cycle off
  int32_t jumpInterval = 0;   // whole seconds between two steps
  // The monitors the locations were recorded on; none: clicks wherever they are.
  std::optional<core::ScreenLayout> layout;
  // The cycle switches itself off this many minutes after it was switched on; 0: never.
  int32_t offAfterMinutes = 0;
};

// The program's site, shown in the About box and in the configuration window.
constexpr char kWebAddress[] = "https://wandrel.example.org";

}  // namespace basDecs
