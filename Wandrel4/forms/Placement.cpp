#include "forms/Placement.h"

#include <algorithm>
#include <cstdint>

namespace forms {
namespace {

int64_t Overlap(const RECT& a, const RECT& b) {
  int64_t width = std::min(a.right, b.right) - std::max(a.left, b.left);
  int64_t height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? width * height : 0;
}

// Squared distance between two rectangles (0 when they touch or overlap).
int64_t Distance(const RECT& a, const RECT& b) {
  int64_t dx = std::max<int64_t>({0, int64_t{b.left} - a.right, int64_t{a.left} - b.right});
  int64_t dy = std::max<int64_t>({0, int64_t{b.top} - a.bottom, int64_t{a.top} - b.bottom});
  return dx * dx + dy * dy;
}

LONG ClampEdge(LONG start, LONG length, LONG low, LONG high) {
  if (int64_t{start} + length > high) start = high - length;
  return std::max(start, low);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    auto& monitors = *reinterpret_cast<std::vector<MonitorArea>*>(list);
    MonitorArea area{info.rcMonitor, info.rcWork};
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
      monitors.insert(monitors.begin(), area);
    } else {
      monitors.push_back(area);
    }
  }
  return TRUE;
}

}  // namespace

RECT ClampInto(const RECT& window, const RECT& area) {
  LONG width = window.right - window.left, height = window.bottom - window.top;
  LONG left = ClampEdge(window.left, width, area.left, area.right);
  LONG top = ClampEdge(window.top, height, area.top, area.bottom);
  return RECT{left, top, left + width, top + height};
}

const MonitorArea* NearestMonitor(const RECT& window, const std::vector<MonitorArea>& monitors) {
  const MonitorArea* best = nullptr;
  int64_t bestOverlap = 0, bestDistance = INT64_MAX;
  for (const MonitorArea& area : monitors) {
    int64_t overlap = Overlap(window, area.monitor);
    int64_t distance = Distance(window, area.monitor);
    if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
      best = &area;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  return best;
}

RECT KeepInsideWorkArea(const RECT& window, const std::vector<MonitorArea>& monitors) {
  const MonitorArea* area = NearestMonitor(window, monitors);
  return area ? ClampInto(window, area->work) : window;
}

RECT BottomRight(SIZE window, const RECT& work, int margin) {
  RECT place{work.right - margin - window.cx, work.bottom - margin - window.cy, 0, 0};
  place.right = place.left + window.cx;
  place.bottom = place.top + window.cy;
  return ClampInto(place, work);
}

std::vector<MonitorArea> DesktopMonitors() {
  std::vector<MonitorArea> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    // No monitor reported: the primary screen and its work area stand for it.
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work = screen;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    monitors.push_back({screen, work});
  }
  return monitors;
}

}  // namespace forms
