// Start-up against the settings key of the test prefix: first run, normal run, and stored
// values that are missing or not what the program wrote.
#include <gtest/gtest.h>

#include "ProgramTest.h"
#include "SingleInstance.h"
#include "forms/Form.h"
#include "frmConfig.h"
#include "frmRun.h"

namespace {

class StartupTest : public test::FreshProgram {
 protected:
  static void WriteFullSettings() {
    for (int i = 0; i < 8; ++i) {
      test::WriteSetting("xPos" + std::to_string(i), std::to_string(10 * i - 20));
      test::WriteSetting("yPos" + std::to_string(i), std::to_string(5 * i));
      test::WriteSetting("clkHere" + std::to_string(i), i == 3 ? "True" : "False");
    }
    test::WriteSetting("StopMovement", "True");
    test::WriteSetting("tmeInterval", "2");
    test::WriteSetting("Installed", "True");
  }
};

TEST_F(StartupTest, FirstRunOpensTheConfigurationWithCancelDisabledAndAnEmptyKey) {
  test::WriteSetting("xPos0", "12");        // remains of an unfinished configuration
  test::WriteSetting("Installed", "true");  // not exactly "True"
  test::StartProgram();
  EXPECT_TRUE(test::SettingsKeyExists());
  EXPECT_TRUE(test::ReadSettings().empty());
  ASSERT_EQ(1u, forms::Forms().size());  // the run window is not loaded
  EXPECT_EQ(&frmConfig(), forms::Forms()[0]);
  EXPECT_TRUE(frmConfig().Visible());
  EXPECT_FALSE(frmConfig().cmdCancel.Enabled());
  EXPECT_FALSE(frmConfig().cmdDone.Enabled());
  EXPECT_EQ(-1, test::Shared().currentLocation);
  EXPECT_EQ(nullptr, frmRunIfLoaded());
}

TEST_F(StartupTest, NormalRunLoadsEverySettingAndShowsTheRunWindowOff) {
  WriteFullSettings();
  test::WriteSetting("PrgmLocX", "1500");
  test::WriteSetting("PrgmLocY", "750");
  test::StartProgram();
  const auto& shared = test::Shared();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(10 * i - 20, shared.locations[i].x);
    EXPECT_EQ(5 * i, shared.locations[i].y);
    EXPECT_EQ(i == 3, shared.locations[i].clickHere);
    EXPECT_FALSE(shared.locations[i].captured);
  }
  EXPECT_TRUE(shared.stopMovement);
  EXPECT_EQ(2, shared.jumpInterval);
  EXPECT_EQ(-1, shared.currentLocation);
  FrmRun* run = frmRunIfLoaded();
  ASSERT_NE(nullptr, run);
  EXPECT_TRUE(run->Visible());
  EXPECT_EQ(2000, run->Timermove.Interval());
  EXPECT_FALSE(run->Timermove.Enabled());
  EXPECT_FALSE(shared.running);
  EXPECT_EQ(1500, run->Left());
  EXPECT_EQ(750, run->Top());
  EXPECT_EQ(1u, forms::Forms().size());
}

TEST_F(StartupTest, MissingPositionPutsTheRunWindowAtTheTopLeftCorner) {
  WriteFullSettings();
  test::StartProgram();
  ASSERT_NE(nullptr, frmRunIfLoaded());
  EXPECT_EQ(0, frmRun().Left());
  EXPECT_EQ(0, frmRun().Top());
}

TEST_F(StartupTest, APositionOffEveryMonitorIsBroughtBackOntoTheScreen) {
  WriteFullSettings();
  test::WriteSetting("PrgmLocX", "-300000");
  test::WriteSetting("PrgmLocY", "900000");
  test::StartProgram();
  RECT frame{}, work{};
  GetWindowRect(frmRun().hWnd(), &frame);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work.left, frame.left);
  EXPECT_EQ(work.bottom, frame.bottom);
  EXPECT_EQ("-300000", test::ReadSettings()["PrgmLocX"].second);  // rewritten only at unload
}

TEST_F(StartupTest, StoredValuesThatAreNotNumbersCountAsMissing) {
  WriteFullSettings();
  test::WriteSetting("xPos0", "");
  test::WriteSetting("xPos1", "Access Denied");
  test::WriteSetting("xPos2", "99999999999");
  test::WriteSetting("xPos3", " -7 ");
  test::WriteSetting("xPos4", "2.5");
  test::WriteSetting("clkHere3", "true");
  test::WriteSetting("StopMovement", "TRUE");
  test::WriteSetting("tmeInterval", "5000000");  // its period does not fit
  HKEY key;
  ASSERT_EQ(0, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wandrel4", 0, KEY_SET_VALUE, &key));
  DWORD five = 5;
  RegSetValueExA(key, "yPos0", 0, REG_DWORD, reinterpret_cast<BYTE*>(&five), sizeof five);
  const char multi[] = "1\0002\000";
  RegSetValueExA(key, "yPos1", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
  RegCloseKey(key);

  test::StartProgram();
  const auto& shared = test::Shared();
  EXPECT_EQ(0, shared.locations[0].x);
  EXPECT_EQ(0, shared.locations[1].x);
  EXPECT_EQ(0, shared.locations[2].x);
  EXPECT_EQ(-7, shared.locations[3].x);
  EXPECT_EQ(2, shared.locations[4].x);  // halves go to the even neighbour
  EXPECT_EQ(0, shared.locations[0].y);
  EXPECT_EQ(0, shared.locations[1].y);
  EXPECT_FALSE(shared.locations[3].clickHere);
  EXPECT_FALSE(shared.stopMovement);
  ASSERT_NE(nullptr, frmRunIfLoaded());
  EXPECT_EQ(0, frmRun().Timermove.Interval());
  EXPECT_TRUE(frmRun().Visible());
  EXPECT_TRUE(test::Boxes().empty());
}

// Another instance holds the claim and neither answers nor ends (one running as
// administrator): this start says so before it ends.
TEST_F(StartupTest, AStartThatCannotReachTheRunningOneSaysSo) {
  struct Unreachable : core::InstanceProbe {
    uint32_t clock = 0;
    bool BringFirstForward() override { return false; }
    bool Claim(uint32_t waitMs) override { return clock += waitMs, false; }
    uint32_t Now() override { return clock; }
  } elevated;
  EXPECT_FALSE(SettleWithFirstInstance(elevated));
  ASSERT_EQ(1u, test::Boxes().size());
  EXPECT_EQ("Wandrel4 is already running, perhaps as administrator.", test::Boxes()[0].text);
}

}  // namespace
