// The configuration window: Ctrl+K records the eight locations, the click boxes, the jump
// interval and "Turn off with real movement"; "Finished" stores it all.
#pragma once

#include <array>
#include <functional>

#include "CReadWriteEasyReg.h"
#include "SharedState.h"
#include "core/Locations.h"
#include "forms/Form.h"

class FrmConfig : public forms::Form {
 public:
  // The configuration window fills the program's shared state and stores the settings
  // through the program's registry connection; both outlive it.
  FrmConfig(basDecs::SharedState& shared, CReadWriteEasyReg& registry);
  ~FrmConfig() override;

  // What the Program provides: the key-down handler of the whole window (location capture),
  // and the way back to the run window, after "Finished" (`saved`) or "Cancel".
  forms::KeyDownHandler CaptureKey;
  std::function<void(bool saved)> BackToRun;

 private:
  // What the Program hands the window; declared before the controls, which come after.
  basDecs::SharedState& shared_;
  CReadWriteEasyReg& registry_;

 public:
  forms::CheckBox& chkFinished(int index) { return *chkFinished_.at(static_cast<size_t>(index)); }
  forms::CheckBox& chkClick(int index) { return *chkClick_.at(static_cast<size_t>(index)); }
  forms::CheckBox& chkmovement;
  forms::TextBox& txtInterval;
  forms::CommandButton& cmdDone;
  forms::CommandButton& cmdCancel;

  // Checks the location box of a captured entry.
  void ChangeCheck(int16_t& Index);

  void chkFinished_Click(int16_t Index);
  void txtInterval_Change();
  void cmdDone_Click();
  void cmdCancel_Click();

 protected:
  void Form_Load() override;
  void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override;
  void Form_Close() override;

 private:
  void BackToRunWindow(bool saved);
  void KeyDown(int16_t& KeyCode, int16_t& Shift);

  std::array<forms::CheckBox*, core::kLocationCount> chkFinished_{};
  std::array<forms::CheckBox*, core::kLocationCount> chkClick_{};
};
