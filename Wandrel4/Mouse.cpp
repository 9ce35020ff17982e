#include "Mouse.h"

#include <windows.h>

namespace basDecs {

core::Point CursorPosition() {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return {};
  return {cursor.x, cursor.y};
}

void LeftClick() {
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

}  // namespace basDecs
