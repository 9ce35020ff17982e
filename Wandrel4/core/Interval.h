// The jump interval: the interval box's rule and the step timer's period.
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// What the interval box shows when it opens and whenever its text is not one digit.
constexpr char kDefaultIntervalText[] = "7";
constexpr int32_t kDefaultInterval = 7;

// The interval box holds exactly one digit; anything else is put back to "7".
bool IsIntervalText(std::string_view text);

// The jump interval the box stands for: its digit, 7 for anything else.
int32_t IntervalFromText(std::string_view text);

// The step timer's period: seconds x 1000 milliseconds in 32-bit arithmetic, or 0 (the
// timer never ticks) when the seconds are negative or the product overflows.
int32_t StepPeriod(int32_t seconds);

}  // namespace core
