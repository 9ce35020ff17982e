// The configuration window: capture with Ctrl+K, the boxes, the interval, and what
// "Finished" and "Cancel" leave in the settings key and the shared state.
#include <gtest/gtest.h>

#include "ProgramTest.h"
#include "forms/Form.h"
#include "frmConfig.h"
#include "frmRun.h"

namespace {

int16_t kKeyK = 75;

void CtrlK() {
  int16_t key = kKeyK, shift = 2;
  basDecs::CaptureLocation(test::TheProgram(), key, shift);
}

class ConfigTest : public test::FreshProgram {
 protected:
  // Eight captures at eight cursor positions.
  static void CaptureAll() {
    for (int i = 0; i < 8; ++i) {
      SetCursorPos(50 + 30 * i, 60 + 7 * i);
      CtrlK();
    }
  }
};

TEST_F(ConfigTest, OnlyCtrlKAloneCaptures) {
  frmConfig().Show();
  for (int16_t shift : {int16_t(0), int16_t(1), int16_t(3), int16_t(4), int16_t(6)}) {
    int16_t key = kKeyK;
    basDecs::CaptureLocation(test::TheProgram(), key, shift);
  }
  int16_t other = 'J', ctrl = 2;
  basDecs::CaptureLocation(test::TheProgram(), other, ctrl);
  EXPECT_EQ(-1, test::Shared().currentLocation);
  EXPECT_EQ(0, frmConfig().chkFinished(0).Value());
}

TEST_F(ConfigTest, EightCapturesFillTheTableInOrderAndEnableFinished) {
  frmConfig().Show();
  auto& shared = test::Shared();
  for (int i = 0; i < 8; ++i) {
    SetCursorPos(50 + 30 * i, 60 + 7 * i);
    CtrlK();
    EXPECT_EQ(i, shared.currentLocation);
    EXPECT_EQ(50 + 30 * i, shared.locations[i].x);
    EXPECT_EQ(60 + 7 * i, shared.locations[i].y);
    EXPECT_TRUE(shared.locations[i].captured);
    EXPECT_EQ(1, frmConfig().chkFinished(i).Value());
    EXPECT_EQ(i == 7, frmConfig().cmdDone.Enabled()) << "after capture " << i + 1;
  }
  // A ninth press records nothing and keeps the index on the last entry.
  SetCursorPos(5, 5);
  CtrlK();
  EXPECT_EQ(7, shared.currentLocation);
  EXPECT_EQ(50 + 30 * 7, shared.locations[7].x);
  EXPECT_EQ(50, shared.locations[0].x);
}

TEST_F(ConfigTest, CtrlKArrivesThroughTheKeyboardWhereverTheFocusIs) {
  frmConfig().Show();
  BYTE keys[256]{};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  HWND targets[] = {frmConfig().chkFinished(7).hWnd(), frmConfig().chkClick(2).hWnd(),
                    frmConfig().txtInterval.hWnd(),    frmConfig().cmdCancel.hWnd(),
                    frmConfig().chkmovement.hWnd(),    frmConfig().hWnd()};
  for (HWND target : targets) {
    MSG ctrl{target, WM_KEYDOWN, VK_CONTROL, 0, 0, {}};
    forms::PreTranslate(ctrl);
    MSG k{target, WM_KEYDOWN, 'K', 0, 0, {}};
    forms::PreTranslate(k);
    MSG held{target, WM_KEYDOWN, 'K', 1 << 30, 0, {}};  // the key's auto-repeat: no capture
    forms::PreTranslate(held);
  }
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(5, test::Shared().currentLocation);  // one capture per Ctrl+K, none for Ctrl
  EXPECT_EQ(1, frmConfig().chkFinished(5).Value());
  EXPECT_EQ(0, frmConfig().chkFinished(6).Value());
}

TEST_F(ConfigTest, TheLocationBoxesShowWhatWasCapturedWhateverTheUserClicks) {
  frmConfig().Show();
  SendMessageA(frmConfig().chkFinished(2).hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(0, frmConfig().chkFinished(2).Value());
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(frmConfig().chkFinished(2).hWnd(), BM_GETCHECK, 0, 0));
  CtrlK();
  SendMessageA(frmConfig().chkFinished(0).hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, frmConfig().chkFinished(0).Value());

  // Captured flags outlive the window: the next opening starts unchecked, yet a click on a
  // box captured before turns it checked.
  frmConfig().cmdCancel_Click();
  frmConfig().Show();
  EXPECT_EQ(0, frmConfig().chkFinished(0).Value());
  SendMessageA(frmConfig().chkFinished(0).hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, frmConfig().chkFinished(0).Value());
}

TEST_F(ConfigTest, TheIntervalBoxAlwaysHoldsOneDigit) {
  frmConfig().Show();
  forms::TextBox& box = frmConfig().txtInterval;
  EXPECT_EQ("7", box.Text());
  SetWindowTextA(box.hWnd(), "");
  EXPECT_EQ("7", box.Text());
  SetWindowTextA(box.hWnd(), "75");
  EXPECT_EQ("7", box.Text());
  char shown[8]{};
  GetWindowTextA(box.hWnd(), shown, sizeof shown);
  EXPECT_STREQ("7", shown);
  SetWindowTextA(box.hWnd(), "x");
  EXPECT_EQ("7", box.Text());
  SetWindowTextA(box.hWnd(), "3");
  EXPECT_EQ("3", box.Text());
}

TEST_F(ConfigTest, FinishedWritesExactlyTheTwentySevenValuesAndShowsTheRunWindow) {
  test::WriteSetting("PrgmLocX", "2880");
  frmConfig().cmdCancel.SetEnabled(false);
  frmConfig().Show();
  CaptureAll();
  frmConfig().chkClick(1).SetValue(1);
  frmConfig().chkClick(6).SetValue(1);
  frmConfig().chkmovement.SetValue(1);
  SetWindowTextA(frmConfig().txtInterval.hWnd(), "3");
  frmConfig().cmdDone_Click();

  auto values = test::ReadSettings();
  EXPECT_EQ(28u, values.size());
  for (int i = 0; i < 8; ++i) {
    std::string n = std::to_string(i);
    EXPECT_EQ(std::to_string(50 + 30 * i), values["xPos" + n].second);
    EXPECT_EQ(std::to_string(60 + 7 * i), values["yPos" + n].second);
    EXPECT_EQ(i == 1 || i == 6 ? "True" : "False", values["clkHere" + n].second);
  }
  EXPECT_EQ("True", values["StopMovement"].second);
  EXPECT_EQ("3", values["tmeInterval"].second);
  EXPECT_EQ("True", values["Installed"].second);
  EXPECT_EQ(0u, values.count("PrgmLocX"));
  for (const auto& [name, value] : values) EXPECT_EQ(DWORD(REG_SZ), value.first) << name;

  const auto& shared = test::Shared();
  EXPECT_TRUE(shared.locations[1].clickHere);
  EXPECT_FALSE(shared.locations[2].clickHere);
  EXPECT_TRUE(shared.stopMovement);
  EXPECT_EQ(3, shared.jumpInterval);
  EXPECT_EQ(-1, shared.currentLocation);
  FrmRun* run = frmRunIfLoaded();
  ASSERT_NE(nullptr, run);
  EXPECT_TRUE(run->Visible());
  EXPECT_EQ(3000, run->Timermove.Interval());
  EXPECT_EQ((std::vector<forms::Form*>{run}), forms::Forms());
}

TEST_F(ConfigTest, FinishedFromTheRunWindowAppliesTheNewIntervalAtOnce) {
  test::Shared().jumpInterval = 7;
  frmRun().cmdRun_Click();
  frmRun().cmdConfig_Click();
  CaptureAll();
  SetWindowTextA(frmConfig().txtInterval.hWnd(), "1");
  frmConfig().cmdDone_Click();
  EXPECT_EQ(1000, frmRun().Timermove.Interval());
  EXPECT_TRUE(frmRun().Timermove.Enabled());  // still ON
  EXPECT_EQ("ON", frmRun().cmdRun.Caption());
}

TEST_F(ConfigTest, CancelWritesNothingButKeepsTheCapturedPositions) {
  test::WriteSetting("Installed", "True");
  test::WriteSetting("xPos0", "999");
  test::Shared().jumpInterval = 4;
  frmRun().cmdConfig_Click();
  SetCursorPos(33, 44);
  CtrlK();
  frmConfig().chkClick(0).SetValue(1);
  SetWindowTextA(frmConfig().txtInterval.hWnd(), "2");
  frmConfig().cmdCancel_Click();
  auto values = test::ReadSettings();
  EXPECT_EQ("999", values["xPos0"].second);
  EXPECT_EQ(2u, values.size());
  EXPECT_EQ(33, test::Shared().locations[0].x);
  EXPECT_FALSE(test::Shared().locations[0].clickHere);
  EXPECT_EQ(4, test::Shared().jumpInterval);
  EXPECT_EQ(0, test::Shared().currentLocation);
  EXPECT_TRUE(frmRun().Visible());
}

TEST_F(ConfigTest, ASecondOpeningStartsFromTheDesignState) {
  frmRun().cmdConfig_Click();
  CaptureAll();
  frmConfig().chkClick(4).SetValue(1);
  frmConfig().chkmovement.SetValue(1);
  SetWindowTextA(frmConfig().txtInterval.hWnd(), "2");
  frmConfig().cmdDone_Click();
  frmRun().cmdConfig_Click();
  FrmConfig& config = frmConfig();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(0, config.chkFinished(i).Value());
    EXPECT_EQ(0, config.chkClick(i).Value());
  }
  EXPECT_EQ(0, config.chkmovement.Value());
  EXPECT_EQ("7", config.txtInterval.Text());
  EXPECT_FALSE(config.cmdDone.Enabled());
  EXPECT_EQ(config.chkFinished(7).hWnd(), GetFocus());
}

TEST_F(ConfigTest, TheCloseBoxCancelsOrOnAFirstRunEndsWithoutWriting) {
  frmRun().cmdConfig_Click();
  SendMessageA(frmConfig().hWnd(), WM_CLOSE, 0, 0);
  ASSERT_NE(nullptr, frmRunIfLoaded());
  EXPECT_TRUE(frmRun().Visible());
  EXPECT_EQ(1u, forms::Forms().size());

  test::Reset();
  test::DeleteSettingsKey();
  test::StartProgram();  // a first run
  CaptureAll();
  SendMessageA(frmConfig().hWnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(forms::Forms().empty());
  EXPECT_TRUE(test::ReadSettings().empty());
}

TEST_F(ConfigTest, TerminateUnloadsEveryFormStillLoaded) {
  frmRun();
  frmConfig();
  EXPECT_EQ(2u, forms::Forms().size());
  test::Reset();
  EXPECT_TRUE(forms::Forms().empty());
}

}  // namespace
