// The tray menu and the time limit, through the run window's handlers, with a fake clock;
// what the end-to-end test cannot show: another program holding the key, a locked session.
#include <gtest/gtest.h>

#include "ProgramTest.h"
#include "frmConfig.h"
#include "frmRun.h"

namespace {

using TrayMenuTest = test::FreshProgram;

std::string FirstItem(HMENU menu) {
  char text[64]{};
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(TrayMenuTest, TheMenuNamesTheKeyOnlyWhileWandrelHoldsIt) {
  test::WriteSetting("Installed", "True");
  test::Shared().offAfterMinutes = 45;  // an administrator's choice the menu does not offer
  UniqueHmenu menu = frmRun().TrayMenu();
  EXPECT_EQ("&Switch ON\tPause", FirstItem(menu.get()));
  for (int i = 0; i < 7; ++i) {
    EXPECT_FALSE(GetMenuState(GetSubMenu(menu.get(), 1), i, MF_BYPOSITION) & MF_CHECKED) << i;
  }
  test::Reset();
  UniqueHwnd holder(CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  basDecs::HotKey other(holder.get(), 7, basDecs::kNoRepeat, VK_PAUSE);
  ASSERT_TRUE(other.Held());
  EXPECT_EQ("&Switch ON", FirstItem(frmRun().TrayMenu().get()));
  frmRun().TrayMenu_Click(FrmRun::kOffAfterItem + 4);
  EXPECT_EQ("240", test::ReadSettings()["OffAfterMinutes"].second);
}

TEST_F(TrayMenuTest, TheCycleSwitchesOffOnTimeEvenWhileTheSessionIsLocked) {
  uint64_t now = 1'000'000;
  FrmRun& run = frmRun();
  run.Clock = [&] { return now; };
  test::Shared().offAfterMinutes = 1;
  run.cmdRun_Click();
  run.SessionChange(WTS_SESSION_LOCK);
  for (const char* caption : {"ON", "OFF"}) {
    now += 59'999;
    run.Timeroff_Timer();
    EXPECT_EQ(caption, run.cmdRun.Caption());
  }
}

TEST_F(TrayMenuTest, AnUnreadableTimeLimitCountsAsNeverAndOutlivesStartAndSave) {
  test::WriteSetting("OffAfterMinutes", "90 minutes");
  test::StartProgram();  // a first run
  frmConfig().cmdDone_Click();
  EXPECT_EQ("90 minutes", test::ReadSettings()["OffAfterMinutes"].second);
  test::Reset();
  test::Shared().offAfterMinutes = 5;
  test::StartProgram();  // a normal run now
  EXPECT_EQ(0, test::Shared().offAfterMinutes);
}

}  // namespace
