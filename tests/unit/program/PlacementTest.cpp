// Where windows go on desktops of one or more monitors, decided from rectangles alone.
#include <gtest/gtest.h>

#include "forms/Placement.h"

namespace {

using forms::MonitorArea;

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A 1024 x 768 primary monitor with a 40-pixel taskbar at the bottom, and a 1280 x 1024
// monitor to its left whose top is 256 pixels higher.
const std::vector<MonitorArea> kTwoMonitors = {
    {{0, 0, 1024, 768}, {0, 0, 1024, 728}},
    {{-1280, -256, 0, 768}, {-1280, -256, 0, 768}},
};

TEST(Placement, AWindowMostlyOffTheRightEdgeComesWhollyBack) {
  // 15315 twips is 1021 pixels: only 3 pixels of a 126-pixel window were on screen.
  RECT window{1021, 100, 1021 + 126, 100 + 45};
  RECT placed = forms::KeepInsideWorkArea(window, kTwoMonitors);
  EXPECT_TRUE(Same(RECT{1024 - 126, 100, 1024, 145}, placed));
}

TEST(Placement, ACaptionAboveTheScreenComesBackIntoReach) {
  RECT window{200, -25, 326, 20};  // -375 twips: the caption bar out of reach
  RECT placed = forms::KeepInsideWorkArea(window, {kTwoMonitors[0]});
  EXPECT_TRUE(Same(RECT{200, 0, 326, 45}, placed));
}

TEST(Placement, AWindowBelowTheWorkAreaStaysAboveTheTaskbar) {
  RECT window{500, 740, 626, 785};
  RECT placed = forms::KeepInsideWorkArea(window, kTwoMonitors);
  EXPECT_EQ(728, placed.bottom);
  EXPECT_EQ(500, placed.left);
}

TEST(Placement, NegativeCoordinatesOfAMonitorLeftOfThePrimaryStayValid) {
  RECT window{-900, -200, -774, -155};
  EXPECT_TRUE(Same(window, forms::KeepInsideWorkArea(window, kTwoMonitors)));
  // Without that monitor the same place is brought onto the primary one.
  RECT alone = forms::KeepInsideWorkArea(window, {kTwoMonitors[0]});
  EXPECT_TRUE(Same(RECT{0, 0, 126, 45}, alone));
}

TEST(Placement, AWindowAcrossTwoMonitorsGoesToTheOneItCoversMost) {
  RECT window{-30, 300, 96, 345};  // 96 pixels on the primary, 30 on the left one
  RECT placed = forms::KeepInsideWorkArea(window, kTwoMonitors);
  EXPECT_TRUE(Same(RECT{0, 300, 126, 345}, placed));
  RECT leftward{-100, 300, 26, 345};
  EXPECT_TRUE(Same(RECT{-126, 300, 0, 345}, forms::KeepInsideWorkArea(leftward, kTwoMonitors)));
}

TEST(Placement, AWindowFarAwayGoesToTheNearestMonitor) {
  RECT window{-300000 / 15, 60000, -300000 / 15 + 126, 60045};
  RECT placed = forms::KeepInsideWorkArea(window, kTwoMonitors);
  EXPECT_TRUE(Same(RECT{-1280, 768 - 45, -1280 + 126, 768}, placed));
}

TEST(Placement, AWindowLargerThanTheWorkAreaKeepsItsTopLeftCornerOnIt) {
  RECT window{-50, -50, 1500, 900};
  RECT placed = forms::ClampInto(window, RECT{0, 0, 1024, 728});
  EXPECT_EQ(0, placed.left);
  EXPECT_EQ(0, placed.top);
  EXPECT_EQ(1550, placed.right - placed.left);
}

TEST(Placement, BottomRightSitsAMarginAboveTheTaskbarAndLeftOfTheScreenEdge) {
  RECT placed = forms::BottomRight(SIZE{126, 45}, RECT{0, 0, 1024, 728}, 8);
  EXPECT_TRUE(Same(RECT{1024 - 8 - 126, 728 - 8 - 45, 1024 - 8, 728 - 8}, placed));
  // A taskbar on the left or at the top moves the work area, not the rule.
  placed = forms::BottomRight(SIZE{126, 45}, RECT{60, 30, 1024, 768}, 8);
  EXPECT_EQ(1016, placed.right);
  EXPECT_EQ(760, placed.bottom);
}

TEST(Placement, TheDesktopListsThePrimaryMonitorFirst) {
  std::vector<MonitorArea> monitors = forms::DesktopMonitors();
  ASSERT_FALSE(monitors.empty());
  EXPECT_EQ(0, monitors[0].monitor.left);
  EXPECT_EQ(0, monitors[0].monitor.top);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), monitors[0].monitor.right);
}

}  // namespace
