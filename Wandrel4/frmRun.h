// The run window: ON/OFF, About and Config, always on top, with the tray icon control; it
// owns the movement cycle that jumps the cursor through the eight locations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "CReadWriteEasyReg.h"
#include "Handles.h"
#include "HotKey.h"
#include "SessionNotifications.h"
#include "SharedState.h"
#include "core/Session.h"
#include "forms/AxHost.h"
#include "forms/Form.h"

class FrmRun : public forms::Form {
 public:
  // The run window works on the program's shared state and stores its place through the
  // program's registry connection; both outlive it.
  FrmRun(basDecs::SharedState& shared, CReadWriteEasyReg& registry);
  ~FrmRun() override;

  // Shows the configuration window with "Cancel" available; the Program provides it.
  std::function<void()> OpenConfig;

 private:
  // What the Program hands the window; declared before the controls, which come after.
  basDecs::SharedState& shared_;
  CReadWriteEasyReg& registry_;

 public:
  forms::CommandButton& cmdRun;
  forms::CommandButton& cmdAbout;
  forms::CommandButton& cmdConfig;
  forms::Timer Timermove{7000, false};  // one step of the cycle per period
  forms::Timer Timertest{400, false};   // the real-movement watchdog

  void cmdRun_Click();
  void Timermove_Timer();
  void Timertest_Timer();
  void cmdAbout_Click();
  void cmdConfig_Click();
  void cKestrow_MouseDown();
  void cKestrow_MouseDblClick();
  // The release of a button on the tray icon; the right one opens the tray menu.
  void cKestrow_MouseUp(int16_t Button);

  // The Pause key switches the cycle from anywhere, as the ON/OFF button does.
  static constexpr int kPauseKeyId = 1;
  bool HoldsPauseKey() const { return pauseKey_ && pauseKey_->Held(); }

  // The tray menu's items; the "Switch off after" choices follow kOffAfterItem in the
  // order of core::kOffAfterChoices.
  enum TrayItem : UINT { kSwitchItem = 1, kConfigureItem, kAboutItem, kExitItem, kOffAfterItem };
  // The tray menu as things stand now.
  UniqueHmenu TrayMenu() const;
  void TrayMenu_Click(UINT item);

  // The cycle switches itself off this long after it was last switched on (0: never). A
  // new choice is stored at once and counts from that last switch on.
  void SetOffAfter(int32_t minutes);
  forms::Timer Timeroff{0, false};  // the switch-off-after countdown, while it runs
  // Opens the tray menu a moment after the click: the shell's tray window takes the focus
  // for that click, and a menu open by then would close at once.
  forms::Timer Timermenu{200, false};
  void Timeroff_Timer();
  // Milliseconds of wall-clock time for the countdown and the screen's settling; tests set
  // their own.
  std::function<uint64_t()> Clock;
  // The monitors as the system has them now; tests set their own.
  std::function<std::vector<core::Rect>()> Screens;

  // While the configuration window is open the cycle holds still, so that it neither moves
  // the cursor nor advances the index that location capture fills.
  void SuspendCycle();
  // Back from the configuration window: a cycle that was ON continues with a fresh period.
  void ResumeCycle();
  // A session notification (WM_WTSSESSION_CHANGE): while the session is locked or
  // disconnected the cycle holds still, stays ON and asks nothing of the system; back, it
  // goes on with the next location after a full period, and the watchdog watches from the
  // cursor's place at that moment.
  void SessionChange(unsigned code);
  // The monitors changed (WM_DISPLAYCHANGE): the cursor's place is taken afresh, and for a
  // moment after, while the system moves the cursor onto what remains of the screen.
  void ScreenChanged();

 protected:
  void Form_Load() override;
  void Form_Unload() override;
  void OnWindowCreated(HWND window) override;
  void OnWindowDestroying() override;
  bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void SwitchOff();
  // The configuration window is open or the session is not the user's: no step ticks.
  bool Holding() const { return suspended_ || session_.Held(); }
  // Holds or drops the request that keeps the system awake, once each.
  void StayAwake(bool awake);
  void ShowTrayIcon(HWND window);
  uint64_t Now() const { return Clock ? Clock() : GetTickCount64(); }
  // While the screen settles after a change, where the cursor is counts as where it should be.
  void RetakeWhileScreenSettles();
  std::vector<core::Rect> MonitorsNow() const;
  // Monitors other than the last ones seen are a screen change whose news has not come yet:
  // the system moves the cursor just before it says so. True when it was one.
  bool NoticeScreenChange(const std::vector<core::Rect>& monitors);
  void ShowTrayMenu();
  // Counts down from the last switch on, or stops the countdown once the cycle is OFF.
  void ArmOffAfter();

  forms::AxHost cKestrow;   // the tray icon control
  bool suspended_ = false;  // the configuration window is open
  core::SessionState session_;
  std::optional<uint64_t> screenChangedAt_;              // Now() at the last screen change
  std::optional<std::vector<core::Rect>> seenMonitors_;  // as the last step or change saw them
  std::unique_ptr<basDecs::SessionNotifications> sessionNotifications_;
  bool trayTold_ = false;  // the user has been told once that there is no tray icon
  bool awake_ = false;     // the keep-awake request is held
  std::optional<basDecs::HotKey> pauseKey_;
  bool menuOpen_ = false;      // the tray menu is open (it is modal)
  uint64_t switchedOnAt_ = 0;  // Now() at the last switch on
};

// The About box's text, line by line.
std::string AboutText();
