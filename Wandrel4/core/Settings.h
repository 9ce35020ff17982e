// The settings key: its value names, their text forms, reading them back with the rules
// for missing and bad values, and the values a save writes, in the order it writes them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Locations.h"
#include "ScreenLayout.h"

namespace core {

// Under HKEY_CURRENT_USER. A save deletes and re-creates the key from its parent.
constexpr char kSettingsParent[] = "Software";
constexpr char kSettingsName[] = "Wandrel4";
constexpr char kSettingsKey[] = "Software\\Wandrel4";

constexpr char kInstalledName[] = "Installed";
constexpr char kStopMovementName[] = "StopMovement";
constexpr char kIntervalName[] = "tmeInterval";
constexpr char kRunLeftName[] = "PrgmLocX";  // the run window's left edge, twips
constexpr char kRunTopName[] = "PrgmLocY";   // its top edge, twips
// The monitors the locations were recorded on; clicks follow only on that layout.
constexpr char kLayoutName[] = "ScreenLayout";

constexpr char kTrueText[] = "True";
constexpr char kFalseText[] = "False";

// A save writes these many values: x, y and the click flag of each location, the
// stop-on-movement flag, the interval, the screen layout and "Installed".
constexpr int kSavedValueCount = 3 * kLocationCount + 4;

// "xPos0" to "xPos7", "yPos0" to "yPos7", "clkHere0" to "clkHere7".
std::string XName(int index);
std::string YName(int index);
std::string ClickName(int index);

std::string FlagText(bool flag);
std::string NumberText(int32_t number);
// A window position in twips, as the run window stores it: whole numbers, no decimal point.
std::string TwipsText(int32_t twips);

// A stored value as the registry hands it back: its text when it is a string value,
// nothing when it is missing or of another kind.
using StoredText = std::optional<std::string>;

// Missing, another kind, or text that is not a 32-bit decimal number: 0.
int32_t ReadNumber(const StoredText& stored);
// True exactly when the text is "True" (case-sensitive).
bool ReadFlag(const StoredText& stored);
// Anything but exactly "True" means the configuration was never finished: a first run.
bool IsInstalled(const StoredText& stored);

struct SavedLocation {
  int32_t x = 0;
  int32_t y = 0;
  bool clickHere = false;
};

// What a normal start takes from the key.
struct SavedSettings {
  std::array<SavedLocation, kLocationCount> locations{};
  int32_t runLeft = 0;  // twips
  int32_t runTop = 0;
  int32_t jumpInterval = 0;  // seconds
  bool stopMovement = false;
  std::optional<ScreenLayout> layout;  // none: missing or unreadable, clicks as ever
};

// Reads every value a normal start uses, in the order the start reads them: x, y and click
// of each location, the run window's position, the interval, the stop-on-movement flag, the
// screen layout.
using ValueReader = std::function<StoredText(const std::string& name)>;
SavedSettings ReadSettings(const ValueReader& read);

// Puts the saved positions and click flags into the table; the captured flags stay.
void LoadLocations(const SavedSettings& saved, LocationTable& table);

struct NamedValue {
  std::string name;
  std::string text;
  friend bool operator==(const NamedValue&, const NamedValue&) = default;
};

// The values a save writes, in order, "Installed" last so that a save cut short leaves a
// first run behind: x of each location, y of each, the click flags, the stop-on-movement
// flag, the interval, the layout of the monitors now (left out when none is known).
std::vector<NamedValue> SettingsToWrite(const LocationTable& table, bool stopMovement,
                                        int32_t jumpInterval, std::span<const Rect> monitors);

// The run window's position as it stores it when it unloads: left, then top.
std::array<NamedValue, 2> RunPositionToWrite(int32_t leftTwips, int32_t topTwips);

}  // namespace core
