// The run window: ON/OFF, About and Config, always on top, with the tray icon control; it
// owns the movement cycle that jumps the cursor through the eight locations.
#pragma once

#include <functional>
#include <memory>

#include "CReadWriteEasyReg.h"
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

  // While the configuration window is open the cycle holds still, so that it neither moves
  // the cursor nor advances the index that location capture fills.
  void SuspendCycle();
  // Back from the configuration window: a cycle that was ON continues with a fresh period.
  void ResumeCycle();
  // A session notification (WM_WTSSESSION_CHANGE): while the session is locked or
  // disconnected the cycle holds still and stays ON; back, it goes on with the next location
  // after a full period, and the watchdog starts afresh from that step.
  void SessionChange(unsigned code);

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

  forms::AxHost cKestrow;   // the tray icon control
  bool suspended_ = false;  // the configuration window is open
  core::SessionState session_;
  std::unique_ptr<basDecs::SessionNotifications> sessionNotifications_;
  bool trayTold_ = false;  // the user has been told once that there is no tray icon
  bool awake_ = false;     // the keep-awake request is held
};

// The About box's text, line by line.
std::string AboutText();
