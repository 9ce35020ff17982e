// The run window's movement cycle, driven through its handlers, with the real cursor read
// back and real clicks counted by a window of the test's own.
#include <gtest/gtest.h>

#include "ProgramTest.h"
#include "core/Cycle.h"
#include "forms/Twips.h"
#include "frmConfig.h"
#include "frmRun.h"

namespace {

class CycleTest : public testing::Test {
 protected:
  void SetUp() override {
    test::DeleteSettingsKey();
    test::Reset();
    test::ClearBoxes();
    auto& shared = test::Shared();
    for (int i = 0; i < 8; ++i) shared.locations[i] = {100 + 20 * i, 200 + 10 * i, false, false};
    frmRun();  // loads it
    test::ClearBoxes();
  }
  void TearDown() override {
    test::Reset();
    test::DeleteSettingsKey();
  }
};

TEST_F(CycleTest, StepsVisitTheEightLocationsInOrderAndWrapAround) {
  auto& shared = test::Shared();
  EXPECT_EQ(-1, shared.currentLocation);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 8; ++i) {
      frmRun().Timermove_Timer();
      POINT p = test::Cursor();
      EXPECT_EQ(100 + 20 * i, p.x) << "step " << i;
      EXPECT_EQ(200 + 10 * i, p.y) << "step " << i;
      EXPECT_EQ(p.x, shared.expected.x);
      EXPECT_EQ(p.y, shared.expected.y);
      EXPECT_TRUE(frmRun().Timertest.Enabled());
    }
    EXPECT_EQ(-1, shared.currentLocation);
  }
}

TEST_F(CycleTest, AStepFromAnIndexOutsideTheCycleStartsAtTheFirstLocation) {
  auto& shared = test::Shared();
  for (int16_t bad : {int16_t(7), int16_t(9), int16_t(-5), int16_t(32767)}) {
    shared.currentLocation = bad;
    frmRun().Timermove_Timer();
    EXPECT_EQ(0, shared.currentLocation);
    EXPECT_EQ(100, test::Cursor().x);
  }
}

TEST_F(CycleTest, OnAndOffSwitchTheStepTimerAndKeepThePlaceInTheCycle) {
  auto& shared = test::Shared();
  FrmRun& run = frmRun();
  EXPECT_EQ("OFF", run.cmdRun.Caption());
  run.cmdRun_Click();
  EXPECT_TRUE(shared.running);
  EXPECT_EQ("ON", run.cmdRun.Caption());
  EXPECT_TRUE(run.Timermove.Enabled());
  EXPECT_FALSE(run.Timertest.Enabled());  // the watchdog waits for the first step
  run.Timermove_Timer();
  run.Timermove_Timer();
  run.cmdRun_Click();
  EXPECT_FALSE(shared.running);
  EXPECT_EQ("OFF", run.cmdRun.Caption());
  EXPECT_FALSE(run.Timermove.Enabled());
  EXPECT_FALSE(run.Timertest.Enabled());
  run.cmdRun_Click();
  run.Timermove_Timer();
  EXPECT_EQ(140, test::Cursor().x);  // the third location, not the first
}

TEST_F(CycleTest, WatchdogSwitchesOffOnRealMovementOnlyWhenAskedTo) {
  auto& shared = test::Shared();
  FrmRun& run = frmRun();
  run.cmdRun_Click();
  run.Timermove_Timer();

  shared.stopMovement = false;
  SetCursorPos(101, 200);  // the user nudges the mouse
  run.Timertest_Timer();
  EXPECT_TRUE(shared.running);
  EXPECT_TRUE(run.Timertest.Enabled());

  shared.stopMovement = true;
  SetCursorPos(100, 200);  // back where the cycle put it: no movement seen
  run.Timertest_Timer();
  EXPECT_TRUE(shared.running);

  SetCursorPos(100, 201);
  run.Timertest_Timer();
  EXPECT_FALSE(shared.running);
  EXPECT_EQ("OFF", run.cmdRun.Caption());
  EXPECT_FALSE(run.Timermove.Enabled());
  EXPECT_FALSE(run.Timertest.Enabled());
  EXPECT_EQ(0, shared.currentLocation);  // not reset: ON resumes with the next entry
}

TEST_F(CycleTest, TheRunWindowTakesItsStepPeriodFromTheIntervalAsItLoads) {
  test::Reset();
  test::Shared().jumpInterval = 2;
  EXPECT_EQ(2000, frmRun().Timermove.Interval());  // the load takes it from the interval
}

// A window of the test's own under a location, counting the button messages it receives.
struct ClickTarget {
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<ClickTarget*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self && m == WM_LBUTTONDOWN) self->downs.push_back({(short)LOWORD(lp), (short)HIWORD(lp)});
    if (self && m == WM_LBUTTONUP) ++self->ups;
    return DefWindowProcA(w, m, wp, lp);
  }
  ClickTarget(int x, int y, int w, int h) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WandrelClickTarget";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&wc);
    window = CreateWindowExA(WS_EX_TOPMOST, "WandrelClickTarget", "target", WS_POPUP | WS_VISIBLE,
                             x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    test::Pump(100);
  }
  ~ClickTarget() { DestroyWindow(window); }
  HWND window;
  std::vector<POINT> downs;
  int ups = 0;
};

TEST_F(CycleTest, ALeftClickFollowsOnlyAtTheMarkedLocation) {
  ClickTarget target(300, 300, 400, 200);
  auto& shared = test::Shared();
  for (int i = 0; i < 8; ++i) shared.locations[i] = {320 + 40 * i, 350, i == 3, false};
  frmRun().Hide();
  for (int i = 0; i < 8; ++i) {
    frmRun().Timermove_Timer();
    test::Pump(30);
  }
  EXPECT_TRUE(test::PumpUntil([&] { return target.ups >= 1; }, 3000));
  test::Pump(200);
  ASSERT_EQ(1u, target.downs.size());
  EXPECT_EQ(1, target.ups);
  EXPECT_EQ(320 + 40 * 3 - 300, target.downs[0].x);  // client coordinates of location 3
  EXPECT_EQ(50, target.downs[0].y);
}

TEST_F(CycleTest, OnAnotherScreenLayoutTheCycleMovesButClicksNowhere) {
  ClickTarget target(300, 300, 400, 200);
  auto& shared = test::Shared();
  shared.layout = core::ScreenLayout{{0, 0, 800, 600}, {800, 0, 1600, 600}};
  for (int i = 0; i < 8; ++i) shared.locations[i] = {320 + 40 * i, 350, true, false};
  frmRun().Hide();
  for (int i = 0; i < 8; ++i) frmRun().Timermove_Timer();
  test::Pump(500);
  EXPECT_EQ(320 + 40 * 7, test::Cursor().x);
  EXPECT_TRUE(target.downs.empty());
}

TEST_F(CycleTest, AMoveThatDidNotArriveIsNoHandOnTheMouse) {
  auto& shared = test::Shared();
  shared.stopMovement = true;
  FrmRun& run = frmRun();
  run.cmdRun_Click();
  const RECT clip{0, 0, 90, 700};  // location 0, at x 100, lies right of the clip rectangle
  ClipCursor(&clip);
  RECT held{};
  GetClipCursor(&held);
  // 32-bit Wine drops a clip rectangle it cannot grab the pointer for, at once.
  if (held.right != clip.right) GTEST_SKIP() << "the system holds no clip rectangle here";
  run.Timermove_Timer();
  const POINT arrived = test::Cursor();
  run.Timertest_Timer();
  ClipCursor(nullptr);
  ASSERT_LT(arrived.x, 90) << "the clip rectangle held the cursor";
  EXPECT_TRUE(shared.running);
}

// The system moves the cursor onto what remains of the screen just before it says so.
TEST_F(CycleTest, TheSystemsMoveBeforeItsNewsIsNoHandButAHandAfterIs) {
  uint64_t now = 1'000'000;
  std::vector<core::Rect> screens{{0, 0, 1600, 600}};
  FrmRun& run = frmRun();
  run.Clock = [&] { return now; };
  run.Screens = [&] { return screens; };
  test::Shared().stopMovement = true;
  run.Timermove_Timer();
  for (const bool hand : {false, true}) {
    screens = {{0, 0, 800, 600}};
    SetCursorPos(700 + 10 * hand, 500);
    run.Timertest_Timer();
    EXPECT_EQ(!hand, run.Timertest.Enabled()) << "the watchdog switched off";
    now += core::kScreenSettleMs;
  }
}

TEST_F(CycleTest, RunWindowLooksAsDesignedAndStaysOnTop) {
  FrmRun& run = frmRun();
  char caption[64]{};
  GetWindowTextA(run.hWnd(), caption, sizeof caption);
  EXPECT_STREQ("Wandrel 4", caption);
  RECT client{};
  GetClientRect(run.hWnd(), &client);
  EXPECT_EQ(forms::TwipsToPixels(1800, forms::SystemDpi()), client.right);
  EXPECT_EQ(forms::TwipsToPixels(360, forms::SystemDpi()), client.bottom);
  LONG_PTR ex = GetWindowLongPtrA(run.hWnd(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  LONG_PTR style = GetWindowLongPtrA(run.hWnd(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT button{};
  GetWindowRect(run.cmdConfig.hWnd(), &button);
  EXPECT_EQ(forms::TwipsToPixels(735, forms::SystemDpi()), button.right - button.left);

  // Without a saved place it starts fully on the work area, at its bottom right, where it
  // covers no caption buttons of maximized windows.
  RECT frame{}, work{};
  GetWindowRect(run.hWnd(), &frame);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(frame.right, work.right);
  EXPECT_GT(frame.right, work.right - 20);
  EXPECT_LE(frame.bottom, work.bottom);
  EXPECT_GT(frame.bottom, work.bottom - 20);
}

TEST_F(CycleTest, AboutShowsTheSixLinesWithTheirTitle) {
  frmRun().cmdAbout_Click();
  ASSERT_EQ(1u, test::Boxes().size());
  EXPECT_EQ("About Wandrel4", test::Boxes()[0].title);
  const std::string& text = test::Boxes()[0].text;
  EXPECT_EQ(0u, text.find("Wandrel v4             By "));
  EXPECT_NE(std::string::npos, text.find("\r\n\r\nhttps://"));
  EXPECT_NE(std::string::npos, text.find("\r\n               support@"));
  EXPECT_NE(std::string::npos,
            text.find("\r\n\r\nQuestions, Comments, or suggestions, please e-mail or visit the "
                      "website."));
  EXPECT_NE("\n", text.substr(text.size() - 1));
  int lines = 1;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(6, lines);
}

TEST_F(CycleTest, ConfigHoldsTheCycleStillAndCancelResumesIt) {
  auto& shared = test::Shared();
  FrmRun& run = frmRun();
  run.cmdRun_Click();
  run.Timermove_Timer();
  run.cmdConfig_Click();
  EXPECT_FALSE(run.Visible());
  EXPECT_TRUE(frmConfig().Visible());
  EXPECT_TRUE(frmConfig().cmdCancel.Enabled());
  EXPECT_TRUE(shared.running);
  EXPECT_FALSE(run.Timermove.Enabled());
  EXPECT_FALSE(run.Timertest.Enabled());
  EXPECT_EQ(-1, shared.currentLocation);  // the configuration window starts capture afresh

  // A tray double-click while configuring switches OFF and ON again without stepping.
  run.cKestrow_MouseDblClick();
  run.cKestrow_MouseDblClick();
  EXPECT_TRUE(shared.running);
  EXPECT_FALSE(run.Timermove.Enabled());

  frmConfig().cmdCancel_Click();
  EXPECT_TRUE(run.Visible());
  EXPECT_EQ((std::vector<forms::Form*>{&run}), forms::Forms());  // the configuration unloaded
  EXPECT_TRUE(shared.running);
  EXPECT_EQ("ON", run.cmdRun.Caption());
  EXPECT_TRUE(run.Timermove.Enabled());
  EXPECT_FALSE(run.Timertest.Enabled());
}

TEST_F(CycleTest, ClosingTheRunWindowStoresItsPlaceInTwips) {
  test::WriteSetting("Installed", "True");
  frmRun().SetLeft(2880);
  frmRun().SetTop(1200);
  frmRun().Unload();
  auto values = test::ReadSettings();
  EXPECT_EQ((std::pair<DWORD, std::string>{REG_SZ, "2880"}), values["PrgmLocX"]);
  EXPECT_EQ((std::pair<DWORD, std::string>{REG_SZ, "1200"}), values["PrgmLocY"]);
}

TEST_F(CycleTest, ClosingWithoutASettingsKeySavesNothingAndCreatesNoKey) {
  frmRun().Unload();
  EXPECT_FALSE(test::SettingsKeyExists());
  EXPECT_TRUE(test::Boxes().empty());
}

}  // namespace

namespace {

// The run window's one child that is not a button: the tray icon control's own window.
HWND TrayControlWindow(HWND run) {
  for (HWND child = GetWindow(run, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[64]{};
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Button") != 0) return child;
  }
  return nullptr;
}

constexpr UINT kTrayCallback = WM_USER + 101;

TEST_F(CycleTest, TheTrayControlsEventsReachTheRunWindow) {
  EXPECT_TRUE(test::Boxes().empty()) << test::Boxes().front().text;
  HWND tray = TrayControlWindow(frmRun().hWnd());
  ASSERT_NE(nullptr, tray) << "the run window hosts no tray icon control";
  auto& shared = test::Shared();

  SendMessageA(tray, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(shared.running);
  EXPECT_EQ("ON", frmRun().cmdRun.Caption());
  SendMessageA(tray, kTrayCallback, 0, WM_RBUTTONDBLCLK);
  EXPECT_FALSE(shared.running);

  // A press brings the window forward, but a hidden window stays hidden.
  frmRun().Hide();
  SendMessageA(tray, kTrayCallback, 0, WM_LBUTTONDOWN);
  EXPECT_FALSE(frmRun().Visible());
  SendMessageA(tray, kTrayCallback, 0, WM_MOUSEMOVE);
  SendMessageA(tray, kTrayCallback, 0, WM_LBUTTONUP);
  EXPECT_FALSE(shared.running);

  frmRun().Unload();
  EXPECT_FALSE(IsWindow(tray));
  EXPECT_TRUE(test::Boxes().empty());
}

}  // namespace
