#include "Mouse.h"

#include <windows.h>

#include "forms/Placement.h"

namespace basDecs {

std::optional<core::Point> CursorPosition() {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return std::nullopt;
  return core::Point{cursor.x, cursor.y};
}

std::vector<core::Rect> Monitors() {
  std::vector<core::Rect> monitors;
  for (const forms::MonitorArea& area : forms::DesktopMonitors()) {
    const RECT& m = area.monitor;
    monitors.push_back({m.left, m.top, m.right, m.bottom});
  }
  return monitors;
}

void PrimaryClick() {
  const core::ButtonFlags button = core::PrimaryButton(GetSystemMetrics(SM_SWAPBUTTON) != 0);
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = button.down;
  inputs[1].mi.dwFlags = button.up;
  SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace basDecs
