// The mouse as the program uses it: where the cursor is, and the left click.
#pragma once

#include "core/Locations.h"

namespace basDecs {

// The cursor's screen position; the origin when it cannot be read.
core::Point CursorPosition();

// A press and release of the left button where the cursor is.
void LeftClick();

}  // namespace basDecs
