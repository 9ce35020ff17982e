// Which key-downs record a location, into which entry, and what the location boxes show.
#include <gtest/gtest.h>

#include "core/Capture.h"

namespace {

constexpr int16_t kK = 75, kShift = 1, kCtrl = 2, kAlt = 4;

TEST(CaptureTest, OnlyCtrlAloneWithKCaptures) {
  EXPECT_TRUE(core::IsCaptureKey(kK, kCtrl));
  EXPECT_FALSE(core::IsCaptureKey(kK, 0));
  EXPECT_FALSE(core::IsCaptureKey(kK, kCtrl | kShift));
  EXPECT_FALSE(core::IsCaptureKey(kK, kCtrl | kAlt));
  EXPECT_FALSE(core::IsCaptureKey(kK, kShift));
  EXPECT_FALSE(core::IsCaptureKey(74, kCtrl));
  EXPECT_FALSE(core::IsCaptureKey(107, kCtrl));  // the numeric keypad's plus, not K
}

TEST(CaptureTest, OtherKeysChangeNothing) {
  core::CapturePlan plan = core::PlanCapture(kK, kCtrl | kShift, 3);
  EXPECT_EQ(core::CaptureKind::Ignored, plan.kind);
  EXPECT_FALSE(plan.enablesFinished);
}

TEST(CaptureTest, EightCapturesFillTheEntriesInOrderAndTheLastEnablesFinished) {
  int16_t index = core::kBeforeFirst;
  for (int i = 0; i < core::kLocationCount; ++i) {
    core::CapturePlan plan = core::PlanCapture(kK, kCtrl, index);
    ASSERT_EQ(core::CaptureKind::Capture, plan.kind) << i;
    EXPECT_EQ(i, plan.entry);
    EXPECT_EQ(i == 7, plan.enablesFinished) << i;
    index = plan.entry;
  }
  EXPECT_EQ(core::kLastEntry, index);
}

TEST(CaptureTest, ANinthPressFindsTheTableFullAndLeavesTheIndex) {
  for (int16_t full : {int16_t{7}, int16_t{8}, int16_t{32767}}) {
    core::CapturePlan plan = core::PlanCapture(kK, kCtrl, full);
    EXPECT_EQ(core::CaptureKind::TableFull, plan.kind) << full;
    EXPECT_EQ(full, plan.entry) << full;
    EXPECT_FALSE(plan.enablesFinished) << full;
  }
}

TEST(CaptureTest, AnIndexBelowTheTableCapturesIntoEntryZero) {
  for (int16_t low : {int16_t{-2}, int16_t{-32768}}) {
    core::CapturePlan plan = core::PlanCapture(kK, kCtrl, low);
    EXPECT_EQ(core::CaptureKind::Capture, plan.kind);
    EXPECT_EQ(0, plan.entry) << low;
  }
}

TEST(CaptureTest, StoringRecordsThePositionAndKeepsTheClickFlag) {
  core::LocationTable table{};
  table[4].clickHere = true;
  core::StoreCapture(table, 4, {-12, 640});
  EXPECT_EQ(-12, table[4].x);
  EXPECT_EQ(640, table[4].y);
  EXPECT_TRUE(table[4].captured);
  EXPECT_TRUE(table[4].clickHere);
  for (int i = 0; i < core::kLocationCount; ++i) {
    if (i != 4) {
      EXPECT_FALSE(table[i].captured) << i;
    }
  }
}

TEST(CaptureTest, StoringOutsideTheTableChangesNothing) {
  core::LocationTable table{};
  core::StoreCapture(table, -1, {5, 5});
  core::StoreCapture(table, 8, {5, 5});
  for (const core::Location& location : table) {
    EXPECT_FALSE(location.captured);
    EXPECT_EQ(0, location.x);
  }
}

TEST(CaptureTest, ALocationBoxShowsItsCapturedFlag) {
  core::LocationTable table{};
  table[2].captured = true;
  EXPECT_TRUE(core::LocationBoxChecked(table, 2));
  EXPECT_FALSE(core::LocationBoxChecked(table, 3));
  EXPECT_FALSE(core::LocationBoxChecked(table, -1));
  EXPECT_FALSE(core::LocationBoxChecked(table, 8));
}

}  // namespace
