// One step of the movement cycle and the watchdog's test, without a cursor or a timer.
#include <gtest/gtest.h>

#include "core/Cycle.h"

namespace {

core::LocationTable Table() {
  core::LocationTable table;
  for (int i = 0; i < core::kLocationCount; ++i) {
    table[i] = {100 + 20 * i, 200 + 10 * i, false, false};
  }
  return table;
}

core::StepInput At(int16_t index) {
  core::StepInput input;
  input.currentLocation = index;
  return input;
}

TEST(CycleTest, StepsVisitEveryEntryInOrderAndWrapAfterTheLast) {
  core::LocationTable table = Table();
  int16_t index = core::kBeforeFirst;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < core::kLocationCount; ++i) {
      core::Step step = core::NextStep(At(index), table);
      ASSERT_EQ(core::StepAction::Move, step.action);
      EXPECT_EQ((core::Point{100 + 20 * i, 200 + 10 * i}), step.target) << "entry " << i;
      index = step.nextLocation;
      EXPECT_EQ(i == 7 ? -1 : i, index) << "entry " << i;
    }
  }
}

TEST(CycleTest, AnIndexThatCaptureLeftOutsideTheCycleStartsAtEntryZero) {
  core::LocationTable table = Table();
  for (int16_t bad : {int16_t{7}, int16_t{8}, int16_t{9}, int16_t{-2}, int16_t{-5}, int16_t{32767},
                      int16_t{-32768}}) {
    core::Step step = core::NextStep(At(bad), table);
    EXPECT_EQ(core::StepAction::Move, step.action) << bad;
    EXPECT_EQ((core::Point{100, 200}), step.target) << bad;
    EXPECT_EQ(0, step.nextLocation) << bad;
  }
}

TEST(CycleTest, TheLastInRangeIndexStillSteps) {
  core::Step step = core::NextStep(At(6), Table());
  EXPECT_EQ((core::Point{240, 270}), step.target);
  EXPECT_EQ(core::kBeforeFirst, step.nextLocation);
}

TEST(CycleTest, ClicksExactlyWhereTheEntryIsMarked) {
  core::LocationTable table = Table();
  table[3].clickHere = true;
  int clicks = 0;
  int16_t index = core::kBeforeFirst;
  for (int i = 0; i < core::kLocationCount; ++i) {
    core::Step step = core::NextStep(At(index), table);
    EXPECT_EQ(i == 3, step.click) << "entry " << i;
    clicks += step.click;
    index = step.nextLocation;
  }
  EXPECT_EQ(1, clicks);
}

TEST(CycleTest, NegativePositionsOfOtherMonitorsAreKept) {
  core::LocationTable table = Table();
  table[0] = {-1920, -5, false, false};
  EXPECT_EQ((core::Point{-1920, -5}), core::NextStep(At(-1), table).target);
}

TEST(CycleTest, WatchdogSwitchesOffOnlyWhenMovedAndAsked) {
  using P = core::Point;
  const P expected{50, 60};
  EXPECT_TRUE(core::WatchdogSwitchesOff(P{51, 60}, expected, true));
  EXPECT_TRUE(core::WatchdogSwitchesOff(P{50, 59}, expected, true));
  EXPECT_TRUE(core::WatchdogSwitchesOff(P{-50, -60}, expected, true));
  EXPECT_FALSE(core::WatchdogSwitchesOff(P{50, 60}, expected, true));
  EXPECT_FALSE(core::WatchdogSwitchesOff(P{51, 60}, expected, false));
  EXPECT_FALSE(core::WatchdogSwitchesOff(P{50, 60}, expected, false));
  // A cursor that cannot be read (a locked session) is no hand on the mouse.
  EXPECT_FALSE(core::WatchdogSwitchesOff(std::nullopt, expected, true));
}

TEST(CycleTest, AStepThatFindsTheCursorMovedWhileWatchedSwitchesOffAndMovesNothing) {
  core::StepInput input = At(2);
  input.watchdogEnabled = true;
  input.stopMovement = true;
  input.expected = {140, 220};
  input.cursor = {141, 220};
  core::Step step = core::NextStep(input, Table());
  EXPECT_EQ(core::StepAction::SwitchOff, step.action);
  EXPECT_EQ(2, step.nextLocation);  // the watchdog does not reset the index
  EXPECT_FALSE(step.click);
}

TEST(CycleTest, AStepWithTheCursorInPlaceMovesOn) {
  core::StepInput input = At(2);
  input.watchdogEnabled = true;
  input.stopMovement = true;
  input.expected = {140, 220};
  input.cursor = input.expected;
  core::Step step = core::NextStep(input, Table());
  EXPECT_EQ(core::StepAction::Move, step.action);
  EXPECT_EQ((core::Point{160, 230}), step.target);
  EXPECT_EQ(3, step.nextLocation);
}

TEST(CycleTest, AMovedCursorDoesNotStopTheStepWhenMovementIsAllowed) {
  core::StepInput input = At(2);
  input.watchdogEnabled = true;
  input.stopMovement = false;
  input.expected = {140, 220};
  input.cursor = {0, 0};
  EXPECT_EQ(core::StepAction::Move, core::NextStep(input, Table()).action);
}

TEST(CycleTest, TheFirstStepAfterOnIgnoresMovementBecauseNothingWatchesYet) {
  core::StepInput input = At(core::kBeforeFirst);
  input.watchdogEnabled = false;
  input.stopMovement = true;
  input.expected = {140, 220};
  input.cursor = {0, 0};
  core::Step step = core::NextStep(input, Table());
  EXPECT_EQ(core::StepAction::Move, step.action);
  EXPECT_EQ(0, step.nextLocation);
}

TEST(CycleTest, AnUnreadableCursorHoldsTheStepWhereItIs) {
  core::StepInput input = At(2);
  input.cursor = std::nullopt;
  EXPECT_EQ((core::Step{core::StepAction::Hold, 2, {}, false}), core::NextStep(input, Table()));
}

TEST(CycleTest, AnEntryOnNoMonitorTakesItsTurnWithoutMovingOrClicking) {
  // A main monitor of 1024 x 768 and one of 1280 x 1024 to its left.
  const core::Rect monitors[] = {{0, 0, 1024, 768}, {-1280, 0, 0, 1024}};
  const core::Point on[] = {{-1200, 900}, {1023, 767}}, off[] = {{1024, 10}, {500, 800}};
  for (const core::Point& at : on) {
    core::LocationTable table = Table();
    table[3] = {at.x, at.y, true, false};
    EXPECT_EQ((core::Step{core::StepAction::Move, 3, at, true}),
              core::NextStep(At(2), table, monitors));
  }
  for (const core::Point& at : off) {
    core::LocationTable table = Table();
    table[3] = {at.x, at.y, true, false};
    EXPECT_EQ((core::Step{core::StepAction::Skip, 3, at, false}),
              core::NextStep(At(2), table, monitors));
  }
}

TEST(CycleTest, TheClickFollowsOnlyWhereTheCursorReallyArrivedWithThePrimaryButton) {
  const core::Step marked{core::StepAction::Move, 3, {160, 230}, true};
  EXPECT_TRUE(core::ClickAfterMove(marked, core::Point{160, 230}));
  EXPECT_FALSE(core::ClickAfterMove(marked, core::Point{159, 230}));  // clipped or refused
  EXPECT_FALSE(core::ClickAfterMove(marked, std::nullopt));
  EXPECT_EQ(0x0002u, core::PrimaryButton(false).down);  // MOUSEEVENTF_LEFTDOWN
  EXPECT_EQ(0x0010u, core::PrimaryButton(true).up);     // MOUSEEVENTF_RIGHTUP, left-handed
}

}  // namespace
