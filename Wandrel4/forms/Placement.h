// Where a window goes on the desktop: decisions only, from rectangles given as parameters,
// so that any monitor layout can be checked without having it.
#pragma once

#include <windows.h>

#include <vector>

namespace forms {

struct MonitorArea {
  RECT monitor;  // the whole monitor, in desktop pixels
  RECT work;     // without the taskbar and other docked bars
};

// The window moved, keeping its size, so that it lies wholly inside the area; a window
// larger than the area keeps its left or top edge on the area's.
RECT ClampInto(const RECT& window, const RECT& area);

// The monitor a window belongs to: the one it overlaps most, or, touching none, the
// nearest one. Null for an empty list.
const MonitorArea* NearestMonitor(const RECT& window, const std::vector<MonitorArea>& monitors);

// The window wholly inside the work area of its nearest monitor.
RECT KeepInsideWorkArea(const RECT& window, const std::vector<MonitorArea>& monitors);

// A window of this size at the bottom right of a work area, a margin away from its edges.
RECT BottomRight(SIZE window, const RECT& work, int margin);

// The monitors of this desktop, the primary one first.
std::vector<MonitorArea> DesktopMonitors();

}  // namespace forms
