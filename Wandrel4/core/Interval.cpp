#include "Interval.h"

namespace core {

bool IsIntervalText(std::string_view text) {
  return text.size() == 1 && text[0] >= '0' && text[0] <= '9';
}

int32_t IntervalFromText(std::string_view text) {
  return IsIntervalText(text) ? text[0] - '0' : kDefaultInterval;
}

int32_t StepPeriod(int32_t seconds) {
  int32_t period = 0;
  if (seconds < 0 || __builtin_mul_overflow(seconds, 1000, &period)) return 0;
  return period;
}

}  // namespace core
