// Switching the cycle off by itself a chosen time after it was last switched on: the stored
// choice, the tray menu's choices and the countdown, on any clock that counts milliseconds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "Settings.h"

namespace core {

constexpr char kOffAfterName[] = "OffAfterMinutes";
constexpr int32_t kLongestOffAfterMinutes = 24 * 60;

// The tray menu's choices in menu order; 0 is "Never".
constexpr std::array<int32_t, 7> kOffAfterChoices{15, 30, 60, 120, 240, 480, 0};

// A whole number of minutes from 0 to a day, digits only; anything else (missing, another
// kind, blanks, a sign, a fraction, out of range) counts as 0, never.
int32_t ReadOffAfterMinutes(const StoredText& stored);

// The menu item a choice checks, or none for a time the menu does not offer.
std::optional<size_t> OffAfterChoiceIndex(int32_t minutes);

// Milliseconds until the cycle switches itself off, `elapsedMs` after it was switched on:
// nothing when it never does, 0 once the time is up.
std::optional<uint64_t> OffAfterRemainingMs(int32_t minutes, uint64_t elapsedMs);

}  // namespace core
