// Switching off after a chosen time: the stored value read back, and the countdown on a fake
// clock.
#include <gtest/gtest.h>

#include "core/OffAfter.h"

namespace {

TEST(OffAfterTest, AWholeNumberOfMinutesUpToADayCountsDownElseNever) {
  EXPECT_EQ(1440, core::ReadOffAfterMinutes("1440"));
  EXPECT_EQ(30, core::ReadOffAfterMinutes("0030"));
  EXPECT_EQ(0, core::ReadOffAfterMinutes(std::nullopt));
  for (const char* never : {"1441", "-5", " 5", "2.5", "99999999999999999999"}) {
    EXPECT_EQ(0, core::ReadOffAfterMinutes(never)) << never;
  }
  EXPECT_EQ(1u, core::OffAfterRemainingMs(1, 59'999));
  EXPECT_EQ(0u, core::OffAfterRemainingMs(1, 3'600'000));  // overdue stays due
  EXPECT_EQ(86'400'000u - 1000, core::OffAfterRemainingMs(1440, 1000));
  EXPECT_EQ(std::nullopt, core::OffAfterRemainingMs(0, 99'999'999));
}

}  // namespace
