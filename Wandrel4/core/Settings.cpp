#include "Settings.h"

#include "DecimalText.h"

namespace core {

std::string XName(int index) { return "xPos" + std::to_string(index); }
std::string YName(int index) { return "yPos" + std::to_string(index); }
std::string ClickName(int index) { return "clkHere" + std::to_string(index); }

std::string FlagText(bool flag) { return flag ? kTrueText : kFalseText; }
std::string NumberText(int32_t number) { return std::to_string(number); }
std::string TwipsText(int32_t twips) { return std::to_string(twips); }

int32_t ReadNumber(const StoredText& stored) {
  if (!stored) return 0;
  Decimal number = ParseDecimal(*stored);
  return number.status == DecimalStatus::Ok ? number.value : 0;
}

bool ReadFlag(const StoredText& stored) { return stored && *stored == kTrueText; }

bool IsInstalled(const StoredText& stored) { return ReadFlag(stored); }

SavedSettings ReadSettings(const ValueReader& read) {
  SavedSettings saved;
  for (int i = 0; i < kLocationCount; ++i) saved.locations[i].x = ReadNumber(read(XName(i)));
  for (int i = 0; i < kLocationCount; ++i) saved.locations[i].y = ReadNumber(read(YName(i)));
  for (int i = 0; i < kLocationCount; ++i) {
    saved.locations[i].clickHere = ReadFlag(read(ClickName(i)));
  }
  saved.runLeft = ReadNumber(read(kRunLeftName));
  saved.runTop = ReadNumber(read(kRunTopName));
  saved.jumpInterval = ReadNumber(read(kIntervalName));
  saved.stopMovement = ReadFlag(read(kStopMovementName));
  if (const StoredText layout = read(kLayoutName)) saved.layout = ParseLayout(*layout);
  return saved;
}

void LoadLocations(const SavedSettings& saved, LocationTable& table) {
  for (int i = 0; i < kLocationCount; ++i) {
    table[i].x = saved.locations[i].x;
    table[i].y = saved.locations[i].y;
    table[i].clickHere = saved.locations[i].clickHere;
  }
}

std::vector<NamedValue> SettingsToWrite(const LocationTable& table, bool stopMovement,
                                        int32_t jumpInterval, std::span<const Rect> monitors) {
  std::vector<NamedValue> values;
  values.reserve(kSavedValueCount);
  for (int i = 0; i < kLocationCount; ++i) values.push_back({XName(i), NumberText(table[i].x)});
  for (int i = 0; i < kLocationCount; ++i) values.push_back({YName(i), NumberText(table[i].y)});
  for (int i = 0; i < kLocationCount; ++i) {
    values.push_back({ClickName(i), FlagText(table[i].clickHere)});
  }
  values.push_back({kStopMovementName, FlagText(stopMovement)});
  values.push_back({kIntervalName, NumberText(jumpInterval)});
  if (!monitors.empty()) values.push_back({kLayoutName, LayoutText(monitors)});
  values.push_back({kInstalledName, kTrueText});
  return values;
}

std::array<NamedValue, 2> RunPositionToWrite(int32_t leftTwips, int32_t topTwips) {
  return {{{kRunLeftName, TwipsText(leftTwips)}, {kRunTopName, TwipsText(topTwips)}}};
}

}  // namespace core
