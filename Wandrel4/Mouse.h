// The mouse as the program uses it: where the cursor is, where it can go, and the click.
#pragma once

#include <optional>
#include <vector>

#include "core/Cycle.h"

namespace basDecs {

// The cursor's screen position; none when it cannot be read (the session is locked, the
// secure desktop or another desktop has the input).
std::optional<core::Point> CursorPosition();

// The monitors of the desktop as it is now, in screen pixels.
std::vector<core::Rect> Monitors();

// A press and release of the user's primary button where the cursor is (the left one, or
// the right one where the buttons are swapped, read at each click), as one input, so that
// nothing of the user's own falls between them.
void PrimaryClick();

}  // namespace basDecs
