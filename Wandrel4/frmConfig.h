// The configuration window: Ctrl+K records the eight locations, the click boxes, the jump
// interval and "Turn off with real movement"; "Finished" stores it all.
#pragma once

#include <array>

#include "forms/Form.h"

class FrmConfig : public forms::Form {
 public:
  FrmConfig();
  ~FrmConfig() override;  // the terminate handler

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
  void BackToRunWindow();

  std::array<forms::CheckBox*, 8> chkFinished_{};
  std::array<forms::CheckBox*, 8> chkClick_{};
};

// The jump interval in the interval box: its one digit, 7 for anything else.
int32_t IntervalFromText(const std::string& text);
