// Switching off after a chosen time: the stored value read back, and the countdown on a fake
// clock.
#include <gtest/gtest.h>

#include "core/OffAfter.h"

namespace {

TEST(OffAfterTest, StoredValueIsAWholeNumberOfMinutesUpToADayElseNever) {
  const std::pair<core::StoredText, int32_t> cases[] = {{"1440", 1440},
                                                        {"0030", 30},
                                                        {"1441", 0},
                                                        {"-5", 0},
                                                        {" 5", 0},
                                                        {"2.5", 0},
                                                        {"99999999999999999999", 0},
                                                        {std::nullopt, 0}};
  for (const auto& [stored, minutes] : cases) {
    EXPECT_EQ(minutes, core::ReadOffAfterMinutes(stored)) << stored.value_or("(missing)");
  }
}

TEST(OffAfterTest, CountdownFromTheSwitchOnOnAFakeClock) {
  EXPECT_EQ(1u, core::OffAfterRemainingMs(1, 59'999));
  EXPECT_EQ(0u, core::OffAfterRemainingMs(1, 3'600'000));  // overdue stays due
  EXPECT_EQ(86'400'000u - 1000, core::OffAfterRemainingMs(1440, 1000));
  EXPECT_EQ(std::nullopt, core::OffAfterRemainingMs(0, 99'999'999));
}

}  // namespace
