// The program on a real desktop: where its windows open, what happens when the session
// ends, a hand movement just before a step, one instance per session, and staying awake
// while the cycle is ON.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "KeepAwake.h"
#include "ProgramTest.h"
#include "SingleInstance.h"
#include "forms/Form.h"
#include "forms/MessageFilter.h"
#include "forms/Placement.h"
#include "forms/Twips.h"
#include "forms/WindowDpi.h"
#include "frmConfig.h"
#include "frmRun.h"

namespace {

RECT FrameOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

RECT PrimaryWork() { return forms::DesktopMonitors().front().work; }

void WriteInstalledSettings() {
  for (int i = 0; i < 8; ++i) {
    test::WriteSetting("xPos" + std::to_string(i), std::to_string(300 + 10 * i));
    test::WriteSetting("yPos" + std::to_string(i), "400");
    test::WriteSetting("clkHere" + std::to_string(i), "False");
  }
  test::WriteSetting("StopMovement", "True");
  test::WriteSetting("tmeInterval", "1");
  test::WriteSetting("Installed", "True");
}

class DesktopTest : public test::FreshProgram {};

TEST_F(DesktopTest, AFirstRunPutsTheRunWindowAtTheBottomRightOfThePrimaryWorkArea) {
  test::StartProgram();  // first run: configuration window
  for (int i = 0; i < 8; ++i) {
    SetCursorPos(100 + i, 100);
    int16_t key = 75, ctrl = 2;
    basDecs::CaptureLocation(test::TheProgram(), key, ctrl);
  }
  frmConfig().cmdDone_Click();
  RECT frame = FrameOf(frmRun().hWnd());
  RECT work = PrimaryWork();
  int margin = forms::TwipsToPixels(120, frmRun().Dpi());
  EXPECT_EQ(work.right - margin, frame.right);
  EXPECT_EQ(work.bottom - margin, frame.bottom);
  EXPECT_GT(frame.left, (work.left + work.right) / 2);  // clear of the caption buttons
}

TEST_F(DesktopTest, ASavedPlaceMostlyOffScreenBringsTheWholeWindowBack) {
  WriteInstalledSettings();
  RECT work = PrimaryWork();
  // Three pixels left on screen at the right, and a caption bar above the top.
  test::WriteSetting("PrgmLocX", std::to_string(forms::PixelsToTwips(work.right - 3, 96)));
  test::WriteSetting("PrgmLocY", "-375");
  test::StartProgram();
  RECT frame = FrameOf(frmRun().hWnd());
  EXPECT_EQ(work.right, frame.right);
  EXPECT_EQ(work.top, frame.top);
  // Closing stores the place the window really had, not the stranded one.
  frmRun().Unload();
  auto values = test::ReadSettings();
  EXPECT_EQ(std::to_string(forms::PixelsToTwips(frame.left, forms::SystemDpi())),
            values["PrgmLocX"].second);
  EXPECT_EQ(std::to_string(forms::PixelsToTwips(work.top, forms::SystemDpi())),
            values["PrgmLocY"].second);
}

TEST_F(DesktopTest, TheConfigurationWindowOpensWhollyOnScreen) {
  RECT frame = FrameOf(frmConfig().hWnd());
  RECT work = PrimaryWork();
  EXPECT_GE(frame.left, work.left);
  EXPECT_GE(frame.top, work.top);
  EXPECT_LE(frame.right, work.right);
  EXPECT_LE(frame.bottom, work.bottom);
}

TEST_F(DesktopTest, SessionEndStoresTheRunWindowsPlaceAndEndsEveryForm) {
  WriteInstalledSettings();
  test::StartProgram();
  frmRun().SetLeft(2880);
  frmRun().SetTop(1200);
  HWND run = frmRun().hWnd();
  EXPECT_EQ(TRUE, SendMessageA(run, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_EQ(0u, test::ReadSettings().count("PrgmLocX"));  // asking is not ending
  SendMessageA(run, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(forms::Forms().empty());
  EXPECT_FALSE(IsWindow(run));
  auto values = test::ReadSettings();
  EXPECT_EQ("2880", values["PrgmLocX"].second);
  EXPECT_EQ("1200", values["PrgmLocY"].second);
}

TEST_F(DesktopTest, SessionEndWhileConfiguringReachesTheHiddenRunWindowToo) {
  WriteInstalledSettings();
  test::StartProgram();
  frmRun().SetLeft(1500);
  frmRun().SetTop(750);
  frmRun().cmdConfig_Click();
  ASSERT_FALSE(frmRun().Visible());
  SendMessageA(frmConfig().hWnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(forms::Forms().empty());
  auto values = test::ReadSettings();
  EXPECT_EQ("1500", values["PrgmLocX"].second);
  EXPECT_EQ("750", values["PrgmLocY"].second);
}

TEST_F(DesktopTest, ACancelledSessionEndLeavesEverythingRunning) {
  WriteInstalledSettings();
  test::StartProgram();
  SendMessageA(frmRun().hWnd(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(1u, forms::Forms().size());
  EXPECT_TRUE(frmRun().Visible());
  EXPECT_EQ(0u, test::ReadSettings().count("PrgmLocX"));
}

class StepTest : public test::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    auto& shared = test::Shared();
    for (int i = 0; i < 8; ++i) shared.locations[i] = {100 + 20 * i, 200, false, false};
    shared.stopMovement = true;
    frmRun().cmdRun_Click();
    frmRun().Timermove_Timer();  // at the first location, the watchdog watching
  }
};

TEST_F(StepTest, AHandMovementJustBeforeAStepSwitchesOffAndMovesNothing) {
  SetCursorPos(450, 320);  // the user takes the mouse less than 400 ms before the step
  frmRun().Timermove_Timer();
  auto& shared = test::Shared();
  EXPECT_FALSE(shared.running);
  EXPECT_EQ("OFF", frmRun().cmdRun.Caption());
  EXPECT_FALSE(frmRun().Timermove.Enabled());
  EXPECT_FALSE(frmRun().Timertest.Enabled());
  POINT p = test::Cursor();
  EXPECT_EQ(450, p.x);
  EXPECT_EQ(320, p.y);
  EXPECT_EQ(0, shared.currentLocation);  // ON again goes on with the second location
  frmRun().cmdRun_Click();
  frmRun().Timermove_Timer();
  EXPECT_EQ(120, test::Cursor().x);
}

TEST_F(StepTest, WithoutStopOnMovementTheStepMovesOnOverAHandMovement) {
  test::Shared().stopMovement = false;
  SetCursorPos(450, 320);
  frmRun().Timermove_Timer();
  EXPECT_TRUE(test::Shared().running);
  EXPECT_EQ(120, test::Cursor().x);
}

TEST_F(StepTest, TheFirstStepAfterOnMovesWhereverTheMouseWas) {
  frmRun().cmdRun_Click();  // OFF
  frmRun().cmdRun_Click();  // ON: the watchdog waits for the first step
  SetCursorPos(450, 320);
  frmRun().Timermove_Timer();
  EXPECT_TRUE(test::Shared().running);
  EXPECT_EQ(120, test::Cursor().x);
}

TEST_F(StepTest, AnUntouchedMouseKeepsTheCycleGoing) {
  frmRun().Timermove_Timer();
  EXPECT_TRUE(test::Shared().running);
  EXPECT_EQ(120, test::Cursor().x);
}

// Every request the program makes to stay awake, in order.
std::vector<EXECUTION_STATE>& Requests() {
  static std::vector<EXECUTION_STATE> requests;
  return requests;
}

EXECUTION_STATE WINAPI RecordRequest(EXECUTION_STATE flags) {
  Requests().push_back(flags);
  return ES_CONTINUOUS;
}

constexpr EXECUTION_STATE kAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;

class AwakeTest : public test::FreshProgram {
 protected:
  void SetUp() override {
    FreshProgram::SetUp();
    Requests().clear();
    previous_ = basDecs::SetExecutionStateFn(RecordRequest);
    test::Shared().stopMovement = true;
    frmRun();
  }
  void TearDown() override {
    FreshProgram::TearDown();
    basDecs::SetExecutionStateFn(previous_);
  }
  basDecs::ExecutionStateFn previous_ = nullptr;
};

TEST_F(AwakeTest, OnAsksToStayAwakeAndTheButtonReleasesIt) {
  EXPECT_TRUE(Requests().empty());  // loading asks for nothing
  frmRun().cmdRun_Click();
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake}), Requests());
  frmRun().Timermove_Timer();
  frmRun().cmdRun_Click();
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake, ES_CONTINUOUS}), Requests());
}

TEST_F(AwakeTest, TheTrayAndTheWatchdogReleaseItToo) {
  frmRun().cKestrow_MouseDblClick();
  frmRun().cKestrow_MouseDblClick();
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake, ES_CONTINUOUS}), Requests());
  frmRun().cmdRun_Click();
  frmRun().Timermove_Timer();
  SetCursorPos(5, 5);
  frmRun().Timertest_Timer();
  EXPECT_FALSE(test::Shared().running);
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake, ES_CONTINUOUS, kAwake, ES_CONTINUOUS}),
            Requests());
}

TEST_F(AwakeTest, TheProgramsEndReleasesARequestStillHeld) {
  frmRun().cmdRun_Click();
  frmRun().Unload();
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake, ES_CONTINUOUS}), Requests());
  // Closing while OFF has nothing to release.
  Requests().clear();
  frmRun();
  frmRun().Unload();
  EXPECT_TRUE(Requests().empty());
}

TEST_F(AwakeTest, ConfiguringWhileOnKeepsTheRequestALockedSessionGivesItBack) {
  frmRun().cmdRun_Click();
  frmRun().cmdConfig_Click();
  frmConfig().cmdCancel_Click();
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake}), Requests());
  frmRun().SessionChange(7);  // locked: the PC may sleep and its display go dark
  frmRun().cmdRun_Click();    // OFF and ON again while locked ask nothing either
  frmRun().cmdRun_Click();
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake, ES_CONTINUOUS}), Requests());
  frmRun().SessionChange(8);  // unlocked, still ON
  EXPECT_EQ((std::vector<EXECUTION_STATE>{kAwake, ES_CONTINUOUS, kAwake}), Requests());
}

// The claim is a mutex, owned by a thread; another thread stands in for another start.
constexpr wchar_t kTestClaim[] = L"Local\\Wandrel4.Test.SingleInstance";

// What a start on another thread finds: whether it holds the claim at once, and after
// waiting up to waitMs.
struct OtherStart {
  bool first = false;
  bool claimed = false;
};
OtherStart StartElsewhere(uint32_t waitMs) {
  OtherStart result;
  std::thread start([&] {
    SingleInstance other(kTestClaim);
    result.first = other.IsFirst();
    result.claimed = other.TryClaim(waitMs);
  });
  start.join();
  return result;
}

TEST(SingleInstanceTest, WhileTheFirstHoldsTheClaimASecondStartIsNotFirst) {
  {
    SingleInstance first(kTestClaim);
    EXPECT_TRUE(first.IsFirst());
    const OtherStart second = StartElsewhere(30);
    EXPECT_FALSE(second.first);
    EXPECT_FALSE(second.claimed);
  }
  // The first one ended: the next start is first again.
  EXPECT_TRUE(StartElsewhere(0).first);
}

TEST(SingleInstanceTest, AFirstThatBeginsToEndLetsTheNextStartRunAlone) {
  SingleInstance first(kTestClaim);
  ASSERT_TRUE(first.IsFirst());
  first.Release();  // the process is still there, its claim is not
  EXPECT_FALSE(first.IsFirst());
  EXPECT_TRUE(StartElsewhere(0).first);
}

TEST(SingleInstanceTest, AWaitingStartTakesTheClaimOnceTheFirstLetsGo) {
  SingleInstance first(kTestClaim);
  ASSERT_TRUE(first.IsFirst());
  HANDLE waiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OtherStart second;
  std::thread start([&] {
    SingleInstance other(kTestClaim);
    second.first = other.IsFirst();
    SetEvent(waiting);
    second.claimed = other.TryClaim(10000);
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(waiting, 10000));
  first.Release();
  start.join();
  CloseHandle(waiting);
  EXPECT_FALSE(second.first);
  EXPECT_TRUE(second.claimed);
}

TEST(SingleInstanceTest, AHolderThatDiedWithoutLettingGoCountsAsGone) {
  HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE die = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    // Takes the claim and ends without releasing it, as a process that was killed.
    HANDLE claim = CreateMutexW(nullptr, FALSE, kTestClaim);
    WaitForSingleObject(claim, 0);
    SetEvent(taken);
    WaitForSingleObject(die, 10000);
    CloseHandle(claim);
  });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000));
  SingleInstance survivor(kTestClaim);
  EXPECT_FALSE(survivor.IsFirst());
  SetEvent(die);
  holder.join();
  EXPECT_TRUE(survivor.TryClaim(1000));
  CloseHandle(taken);
  CloseHandle(die);
}

TEST(SingleInstanceTest, TheProgramsNameIsLocalToTheSession) {
  EXPECT_EQ(0, wcsncmp(SingleInstance::kMutexName, L"Local\\", 6));
}

TEST_F(DesktopTest, TheBringToFrontMessageShowsTheConfigurationWhileThatIsTheShownWindow) {
  WriteInstalledSettings();
  test::StartProgram();
  frmRun().cmdConfig_Click();
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_EQ(other, GetForegroundWindow());
  EXPECT_EQ(1, SendMessageA(frmRun().hWnd(), forms::BringToFrontMessage(), 0, 0));
  EXPECT_EQ(frmConfig().hWnd(), GetForegroundWindow());
  EXPECT_FALSE(frmRun().Visible());  // the hidden run window stays hidden
  DestroyWindow(other);
}

TEST_F(DesktopTest, WithNoFormShownTheBringToFrontMessageSaysSoAndShowsNothing) {
  // A run window that is loaded but not shown yet, as while the program starts: a second
  // start must hear that nothing was brought forward, so that it waits on.
  WriteInstalledSettings();
  EXPECT_EQ(0, SendMessageA(frmRun().hWnd(), forms::BringToFrontMessage(), 0, 0));
  EXPECT_FALSE(frmRun().Visible());
}

// As Windows with integrity levels would see it: which messages each window lets through.
std::vector<std::pair<HWND, UINT>> g_allowed;
BOOL WINAPI RecordAllowed(HWND window, UINT message, DWORD action, void*) {
  if (action == 1) g_allowed.push_back({window, message});  // MSGFLT_ALLOW
  return TRUE;
}

TEST_F(DesktopTest, AStartThatIsNotElevatedCanBringAnElevatedOnesFormsForward) {
  g_allowed.clear();
  forms::MessageFilterFn previous = forms::SetMessageFilterFn(RecordAllowed);
  const std::pair<HWND, UINT> wanted[] = {{frmRun().hWnd(), forms::BringToFrontMessage()},
                                          {frmConfig().hWnd(), forms::BringToFrontMessage()}};
  forms::SetMessageFilterFn(previous);
  for (const auto& each : wanted) {
    EXPECT_NE(g_allowed.end(), std::find(g_allowed.begin(), g_allowed.end(), each));
  }
}

UINT WINAPI MonitorAt144Dpi(HWND) { return 144; }

TEST_F(DesktopTest, AFormOpensLaidOutForTheDpiOfTheMonitorItOpensOn) {
  forms::WindowDpiFn previous = forms::SetWindowDpiFn(MonitorAt144Dpi);
  FrmConfig& config = frmConfig();  // loads it on a monitor the system DPI knows nothing of
  forms::SetWindowDpiFn(previous);
  RECT client{}, done{};
  GetClientRect(config.hWnd(), &client);
  GetWindowRect(config.cmdDone.hWnd(), &done);
  EXPECT_EQ(forms::TwipsToPixels(2790, 144), client.right);
  EXPECT_EQ(forms::TwipsToPixels(1215, 144), done.right - done.left);
}

}  // namespace
