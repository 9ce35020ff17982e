// The run window: ON/OFF, About and Config, always on top, with the tray icon control; it
// owns the movement cycle that jumps the cursor through the eight locations.
#pragma once

#include <functional>

#include "CReadWriteEasyReg.h"
#include "SharedState.h"
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

 protected:
  void Form_Load() override;
  void Form_Unload() override;
  void OnWindowCreated(HWND window) override;
  void OnWindowDestroying() override;

 private:
  void SwitchOff();
  // Holds or drops the request that keeps the system awake, once each.
  void StayAwake(bool awake);
  void ShowTrayIcon(HWND window);

  forms::AxHost cKestrow;   // the tray icon control
  bool suspended_ = false;  // the configuration window is open
  bool trayTold_ = false;   // the user has been told once that there is no tray icon
  bool awake_ = false;      // the keep-awake request is held
};

// The About box's text, line by line.
std::string AboutText();
