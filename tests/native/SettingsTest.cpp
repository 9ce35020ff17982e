// The settings key's schema: names, text forms, reading back with the rules for missing
// and bad values, and what a save writes in which order.
#include <gtest/gtest.h>

#include <map>

#include "core/Settings.h"

namespace {

// A settings key in memory: names to stored texts; a name with no text is a value of
// another kind than string.
class FakeKey {
 public:
  std::map<std::string, core::StoredText> values;
  std::vector<std::string> reads;

  core::ValueReader Reader() {
    return [this](const std::string& name) -> core::StoredText {
      reads.push_back(name);
      auto it = values.find(name);
      return it == values.end() ? std::nullopt : it->second;
    };
  }
};

TEST(SettingsTest, ValueNamesCarryTheIndexDigitLast) {
  EXPECT_EQ("xPos0", core::XName(0));
  EXPECT_EQ("yPos7", core::YName(7));
  EXPECT_EQ("clkHere3", core::ClickName(3));
  EXPECT_STREQ("Software\\Wandrel4", core::kSettingsKey);
  EXPECT_EQ(std::string(core::kSettingsParent) + "\\" + core::kSettingsName, core::kSettingsKey);
}

TEST(SettingsTest, TextForms) {
  EXPECT_EQ("True", core::FlagText(true));
  EXPECT_EQ("False", core::FlagText(false));
  EXPECT_EQ("-12", core::NumberText(-12));
  EXPECT_EQ("2147483647", core::NumberText(2147483647));
  EXPECT_EQ("2880", core::TwipsText(2880));
  EXPECT_EQ("-120", core::TwipsText(-120));
}

TEST(SettingsTest, NumbersMissingOrBadReadAsZero) {
  EXPECT_EQ(640, core::ReadNumber(std::string("640")));
  EXPECT_EQ(-20, core::ReadNumber(std::string(" -20 ")));
  EXPECT_EQ(2, core::ReadNumber(std::string("2.5")));
  EXPECT_EQ(0, core::ReadNumber(std::nullopt));
  EXPECT_EQ(0, core::ReadNumber(std::string("")));
  EXPECT_EQ(0, core::ReadNumber(std::string("abc")));
  EXPECT_EQ(0, core::ReadNumber(std::string("2147483648")));
}

TEST(SettingsTest, OnlyTheExactTextTrueIsTrue) {
  EXPECT_TRUE(core::ReadFlag(std::string("True")));
  for (const char* other : {"true", "TRUE", "True ", " True", "-1", "1", "False", ""}) {
    EXPECT_FALSE(core::ReadFlag(std::string(other))) << '"' << other << '"';
  }
  EXPECT_FALSE(core::ReadFlag(std::nullopt));
}

TEST(SettingsTest, AnythingButExactlyTrueIsAFirstRun) {
  EXPECT_TRUE(core::IsInstalled(std::string("True")));
  EXPECT_FALSE(core::IsInstalled(std::string("true")));
  EXPECT_FALSE(core::IsInstalled(std::string("TRUE")));
  EXPECT_FALSE(core::IsInstalled(std::nullopt));
}

TEST(SettingsTest, AFullKeyReadsBackEveryValueInTheStartsOrder) {
  FakeKey key;
  for (int i = 0; i < core::kLocationCount; ++i) {
    key.values[core::XName(i)] = std::to_string(10 * i - 20);
    key.values[core::YName(i)] = std::to_string(5 * i);
    key.values[core::ClickName(i)] = i == 3 ? "True" : "False";
  }
  key.values["PrgmLocX"] = "2880";
  key.values["PrgmLocY"] = "1200";
  key.values["tmeInterval"] = "2";
  key.values["StopMovement"] = "True";
  key.values["Installed"] = "True";
  core::SavedSettings saved = core::ReadSettings(key.Reader());
  for (int i = 0; i < core::kLocationCount; ++i) {
    EXPECT_EQ(10 * i - 20, saved.locations[i].x) << i;
    EXPECT_EQ(5 * i, saved.locations[i].y) << i;
    EXPECT_EQ(i == 3, saved.locations[i].clickHere) << i;
  }
  EXPECT_EQ(2880, saved.runLeft);
  EXPECT_EQ(1200, saved.runTop);
  EXPECT_EQ(2, saved.jumpInterval);
  EXPECT_TRUE(saved.stopMovement);

  std::vector<std::string> order;
  for (int i = 0; i < 8; ++i) order.push_back("xPos" + std::to_string(i));
  for (int i = 0; i < 8; ++i) order.push_back("yPos" + std::to_string(i));
  for (int i = 0; i < 8; ++i) order.push_back("clkHere" + std::to_string(i));
  for (const char* name : {"PrgmLocX", "PrgmLocY", "tmeInterval", "StopMovement", "ScreenLayout"}) {
    order.push_back(name);
  }
  EXPECT_EQ(order, key.reads);
}

TEST(SettingsTest, AnEmptyKeyReadsAsZeroAndFalse) {
  FakeKey key;
  core::SavedSettings saved = core::ReadSettings(key.Reader());
  for (const core::SavedLocation& location : saved.locations) {
    EXPECT_EQ(0, location.x);
    EXPECT_EQ(0, location.y);
    EXPECT_FALSE(location.clickHere);
  }
  EXPECT_EQ(0, saved.runLeft);
  EXPECT_EQ(0, saved.runTop);
  EXPECT_EQ(0, saved.jumpInterval);
  EXPECT_FALSE(saved.stopMovement);
}

TEST(SettingsTest, BadValuesReadAsMissingAndSpoilNothingElse) {
  FakeKey key;
  key.values["xPos5"] = "left";
  key.values["xPos6"] = std::nullopt;  // a value of another kind
  key.values["xPos7"] = "77";
  key.values["yPos5"] = "99999999999";
  key.values["clkHere3"] = "true";
  key.values["clkHere4"] = "True";
  key.values["tmeInterval"] = "";
  key.values["StopMovement"] = "Yes";
  key.values["PrgmLocX"] = "2880.5";
  core::SavedSettings saved = core::ReadSettings(key.Reader());
  EXPECT_EQ(0, saved.locations[5].x);
  EXPECT_EQ(0, saved.locations[6].x);
  EXPECT_EQ(77, saved.locations[7].x);
  EXPECT_EQ(0, saved.locations[5].y);
  EXPECT_FALSE(saved.locations[3].clickHere);
  EXPECT_TRUE(saved.locations[4].clickHere);
  EXPECT_EQ(0, saved.jumpInterval);
  EXPECT_FALSE(saved.stopMovement);
  EXPECT_EQ(2880, saved.runLeft);  // half to even
}

TEST(SettingsTest, LoadingKeepsTheCapturedFlags) {
  core::SavedSettings saved;
  saved.locations[1] = {30, 40, true};
  core::LocationTable table{};
  table[1] = {1, 2, false, true};
  table[2] = {5, 6, true, true};
  core::LoadLocations(saved, table);
  EXPECT_EQ(30, table[1].x);
  EXPECT_EQ(40, table[1].y);
  EXPECT_TRUE(table[1].clickHere);
  EXPECT_TRUE(table[1].captured);
  EXPECT_EQ(0, table[2].x);
  EXPECT_FALSE(table[2].clickHere);
  EXPECT_TRUE(table[2].captured);
}

TEST(SettingsTest, ASaveWritesItsValuesWithTheLayoutAndInstalledLast) {
  core::LocationTable table{};
  for (int i = 0; i < core::kLocationCount; ++i) {
    table[i] = {640 + i, -12 - i, i % 2 == 1, true};
  }
  const core::Rect monitors[] = {{0, 0, 1920, 1080}, {-1280, -200, 0, 824}};
  std::vector<core::NamedValue> values = core::SettingsToWrite(table, true, 3, monitors);
  ASSERT_EQ(28u, values.size());
  ASSERT_EQ(static_cast<size_t>(core::kSavedValueCount), values.size());
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ((core::NamedValue{"xPos" + std::to_string(i), std::to_string(640 + i)}), values[i]);
    EXPECT_EQ((core::NamedValue{"yPos" + std::to_string(i), std::to_string(-12 - i)}),
              values[8 + i]);
    EXPECT_EQ((core::NamedValue{"clkHere" + std::to_string(i), i % 2 ? "True" : "False"}),
              values[16 + i]);
  }
  EXPECT_EQ((core::NamedValue{"StopMovement", "True"}), values[24]);
  EXPECT_EQ((core::NamedValue{"tmeInterval", "3"}), values[25]);
  EXPECT_EQ((core::NamedValue{"ScreenLayout", "-1280,-200,0,824;0,0,1920,1080"}), values[26]);
  EXPECT_EQ((core::NamedValue{"Installed", "True"}), values[27]);
  EXPECT_EQ(27u, core::SettingsToWrite(table, true, 3, {}).size()) << "no layout known";
}

TEST(SettingsTest, WhatASaveWritesReadsBackTheSame) {
  core::LocationTable table{};
  for (int i = 0; i < core::kLocationCount; ++i) {
    table[i] = {-1920 + 300 * i, 1080 - 7 * i, i == 0 || i == 7, false};
  }
  FakeKey key;
  const core::Rect monitors[] = {{0, 0, 1920, 1080}, {0, -1080, 1920, 0}, {-1280, 0, 0, 1024}};
  for (const core::NamedValue& value : core::SettingsToWrite(table, false, 0, monitors)) {
    key.values[value.name] = value.text;
  }
  EXPECT_TRUE(core::IsInstalled(key.values["Installed"]));
  core::SavedSettings saved = core::ReadSettings(key.Reader());
  for (int i = 0; i < core::kLocationCount; ++i) {
    EXPECT_EQ(table[i].x, saved.locations[i].x);
    EXPECT_EQ(table[i].y, saved.locations[i].y);
    EXPECT_EQ(table[i].clickHere, saved.locations[i].clickHere);
  }
  EXPECT_FALSE(saved.stopMovement);
  EXPECT_EQ(0, saved.jumpInterval);
  ASSERT_TRUE(saved.layout);
  EXPECT_TRUE(core::ClicksAllowed(saved.layout, monitors));
}

TEST(SettingsTest, ClicksFollowOnlyOnTheRecordedLayout) {
  const core::Rect main{0, 0, 1920, 1080}, dock{1920, 0, 4480, 1440}, left{-1280, -200, 0, 824};
  const struct {
    const char* stored;  // nullptr: no such value
    std::vector<core::Rect> now;
    bool clicks;
  } cases[] = {
      {nullptr, {dock}, true},  // settings from before layouts were kept
      {"0,0,1920,1080;1920,0,4480,1440", {dock, main}, true},
      {"0,0,1920,1080;1920,0,4480,1440", {main}, false},  // undocked
      {"0,0,1920,1080", {}, false},                       // the system tells no monitor
      {"0,0,1920,1080;-1280,-200,0,824", {left, main}, true},
      // Text that is no layout counts as none: clicks as ever, on any screen.
      {"0,0,1920,1080;", {dock}, true},
      {"0,0,1920.5,1080", {dock}, true},
  };
  for (const auto& c : cases) {
    FakeKey key;
    if (c.stored) key.values["ScreenLayout"] = c.stored;
    EXPECT_EQ(c.clicks, core::ClicksAllowed(core::ReadSettings(key.Reader()).layout, c.now))
        << (c.stored ? c.stored : "-");
  }
}

TEST(SettingsTest, TheRunWindowStoresLeftThenTop) {
  auto values = core::RunPositionToWrite(2880, -120);
  EXPECT_EQ((core::NamedValue{"PrgmLocX", "2880"}), values[0]);
  EXPECT_EQ((core::NamedValue{"PrgmLocY", "-120"}), values[1]);
}

}  // namespace
