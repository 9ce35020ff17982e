// The interval box's rule and the step timer's period.
#include <gtest/gtest.h>

#include <climits>

#include "core/Interval.h"

namespace {

TEST(IntervalTest, OneDigitIsKeptAnythingElseIsPutBack) {
  for (const char* good : {"0", "3", "9"}) EXPECT_TRUE(core::IsIntervalText(good)) << good;
  for (const char* bad : {"", "75", "x", " ", "-", "03", "7 "}) {
    EXPECT_FALSE(core::IsIntervalText(bad)) << '"' << bad << '"';
  }
  // Setting the replacement must not trigger another replacement.
  EXPECT_TRUE(core::IsIntervalText(core::kDefaultIntervalText));
}

TEST(IntervalTest, TheBoxStandsForItsDigitOrSeven) {
  EXPECT_EQ(3, core::IntervalFromText("3"));
  EXPECT_EQ(0, core::IntervalFromText("0"));
  EXPECT_EQ(9, core::IntervalFromText("9"));
  EXPECT_EQ(7, core::IntervalFromText(""));
  EXPECT_EQ(7, core::IntervalFromText("a"));
  EXPECT_EQ(7, core::IntervalFromText("q"));
  EXPECT_EQ(7, core::IntervalFromText("12"));
  EXPECT_EQ(core::kDefaultInterval, core::IntervalFromText(core::kDefaultIntervalText));
}

TEST(IntervalTest, ThePeriodIsSecondsTimesAThousand) {
  EXPECT_EQ(2000, core::StepPeriod(2));
  EXPECT_EQ(7000, core::StepPeriod(7));
  EXPECT_EQ(9000, core::StepPeriod(9));
  EXPECT_EQ(0, core::StepPeriod(0));  // a period of 0 never ticks
}

TEST(IntervalTest, APeriodThatDoesNotFitOrIsNegativeNeverTicks) {
  EXPECT_EQ(2147483000, core::StepPeriod(2147483));  // the largest that fits
  EXPECT_EQ(0, core::StepPeriod(2147484));
  EXPECT_EQ(0, core::StepPeriod(INT32_MAX));
  EXPECT_EQ(0, core::StepPeriod(-1));
  EXPECT_EQ(0, core::StepPeriod(INT32_MIN));
}

}  // namespace
