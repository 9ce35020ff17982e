#include "OffAfter.h"

#include <algorithm>

namespace core {

int32_t ReadOffAfterMinutes(const StoredText& stored) {
  if (!stored || stored->empty()) return 0;
  int32_t minutes = 0;
  for (char c : *stored) {
    if (c < '0' || c > '9') return 0;
    minutes = minutes * 10 + (c - '0');
    if (minutes > kLongestOffAfterMinutes) return 0;  // also before the number could overflow
  }
  return minutes;
}

std::optional<size_t> OffAfterChoiceIndex(int32_t minutes) {
  const auto at = std::find(kOffAfterChoices.begin(), kOffAfterChoices.end(), minutes);
  if (at == kOffAfterChoices.end()) return std::nullopt;
  return static_cast<size_t>(at - kOffAfterChoices.begin());
}

std::optional<uint64_t> OffAfterRemainingMs(int32_t minutes, uint64_t elapsedMs) {
  if (minutes <= 0) return std::nullopt;
  const uint64_t limitMs = static_cast<uint64_t>(minutes) * 60'000;
  return elapsedMs >= limitMs ? 0 : limitMs - elapsedMs;
}

}  // namespace core
