#include "frmConfig.h"

#include "basDecs.h"
#include "frmRun.h"
#include "res/resource.h"

namespace {

constexpr char kInstructions[] =
    "Instructions:             Move the mouse to each desired location and press Ctrl+K. After "
    "all the locations are entered, select the ones that you want to be clicked. Then press done.";

forms::FormDesign ConfigDesign() {
  using forms::ControlKind;
  forms::FormDesign design{"Wandrel 4 Configuration", 2790, 5070, IDI_WANDREL, {}};
  auto& c = design.controls;
  c.push_back({ControlKind::Label, "lblLocs", -1, "Locations", 240, 0, 735, 255, 18});
  c.push_back({ControlKind::Label, "lblClick", -1, " Click", 1080, 0, 495, 255, 19});
  for (int i = 0; i < 8; ++i) {
    int top = 240 + 360 * i;
    c.push_back({ControlKind::CheckBox, "chkFinished", i, "Location " + std::to_string(i + 1), 120,
                 top, 1095, 495, 7 - i});
    c.push_back({ControlKind::CheckBox, "chkClick", i, "Check" + std::to_string(8 - i), 1200, top,
                 255, 495, 17 - i});
  }
  c.push_back(
      {ControlKind::Label, "lblInstructions", -1, kInstructions, 1560, 360, 1215, 2415, 20});
  c.push_back({ControlKind::Label, "Label1", -1, "Jump Interval", 120, 3360, 975, 255, 22});
  c.push_back({ControlKind::TextBox, "txtInterval", -1, "7", 1440, 3360, 855, 285, 23});
  c.push_back({ControlKind::CheckBox, "chkmovement", -1, "Turn off with real movement", 120, 3720,
               2535, 375, 24});
  c.push_back(
      {ControlKind::CommandButton, "cmdDone", -1, "Finished", 120, 4200, 1215, 495, 8, false});
  c.push_back({ControlKind::CommandButton, "cmdCancel", -1, "Cancel", 1440, 4200, 1215, 495, 9});
  c.push_back({ControlKind::Label, "lblSite", -1, basDecs::kWebAddress, 120, 4800, 2655, 255, 21});
  return design;
}

}  // namespace

int32_t IntervalFromText(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return text[0] - '0';
  return 7;
}

FrmConfig::FrmConfig()
    : forms::Form(ConfigDesign()),
      chkmovement(Check("chkmovement")),
      txtInterval(Text("txtInterval")),
      cmdDone(Button("cmdDone")),
      cmdCancel(Button("cmdCancel")) {
  forms::KeyDownHandler capture = [](int16_t& KeyCode, int16_t& Shift) {
    basDecs::CaptureLocation(KeyCode, Shift);
  };
  for (int i = 0; i < 8; ++i) {
    chkFinished_[static_cast<size_t>(i)] = &Check("chkFinished", i);
    chkClick_[static_cast<size_t>(i)] = &Check("chkClick", i);
    int16_t index = static_cast<int16_t>(i);
    chkFinished(i).Click = [this, index] { chkFinished_Click(index); };
    chkFinished(i).KeyDown = capture;
    chkClick(i).KeyDown = capture;
  }
  chkmovement.KeyDown = capture;
  txtInterval.KeyDown = capture;
  cmdDone.KeyDown = capture;
  cmdCancel.KeyDown = capture;
  txtInterval.Change = [this] { txtInterval_Change(); };
  cmdDone.Click = [this] { cmdDone_Click(); };
  cmdCancel.Click = [this] { cmdCancel_Click(); };
}

FrmConfig::~FrmConfig() {
  // Terminate: whatever is still loaded goes with it.
  while (!forms::Forms().empty()) forms::Forms().back()->Unload();
}

void FrmConfig::Form_Load() {
  basDecs::Shared().currentLocation = -1;
  for (int i = 0; i < 8; ++i) {
    chkFinished(i).SetValue(0);
    chkClick(i).SetValue(0);
  }
  // Centred on the work area of the primary monitor.
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame{};
  GetWindowRect(hWnd(), &frame);
  LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(hWnd(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KeepOnScreen();  // a work area smaller than the window: its caption bar stays in reach
}

void FrmConfig::Form_KeyDown(int16_t& KeyCode, int16_t& Shift) {
  basDecs::CaptureLocation(KeyCode, Shift);
}

void FrmConfig::ChangeCheck(int16_t& Index) {
  if (Index < 0 || Index > 7) return;
  chkFinished(Index).SetValue(1);
}

void FrmConfig::chkFinished_Click(int16_t Index) {
  // A location box always shows whether its location has been recorded.
  bool captured = basDecs::Shared().locations.at(static_cast<size_t>(Index)).captured;
  chkFinished(Index).SetValue(captured ? 1 : 0);
}

void FrmConfig::txtInterval_Change() {
  std::string text = txtInterval.Text();
  if (text.size() != 1 || text[0] < '0' || text[0] > '9') txtInterval.SetText("7");
}

void FrmConfig::cmdDone_Click() {
  CReadWriteEasyReg& registry = basDecs::Registry();
  basDecs::SharedState& shared = basDecs::Shared();
  registry.OpenRegistry(HKEY_CURRENT_USER, "Software");
  registry.DeleteDirectory("Wandrel4");
  registry.CreateDirectory("Wandrel4");
  registry.CloseRegistry();
  registry.OpenRegistry(HKEY_CURRENT_USER, basDecs::kSettingsKey);
  for (int i = 0; i < 8; ++i) {
    registry.CreateValue("xPos" + std::to_string(i), Variant(shared.locations[i].x), REG_SZ);
  }
  for (int i = 0; i < 8; ++i) {
    registry.CreateValue("yPos" + std::to_string(i), Variant(shared.locations[i].y), REG_SZ);
  }
  for (int i = 0; i < 8; ++i) {
    bool click = chkClick(i).Value() == 1;
    registry.CreateValue("clkHere" + std::to_string(i), Variant(click ? "True" : "False"), REG_SZ);
    shared.locations[i].clickHere = click;
  }
  shared.stopMovement = chkmovement.Value() == 1;
  registry.CreateValue("StopMovement", Variant(shared.stopMovement ? "True" : "False"), REG_SZ);
  shared.jumpInterval = IntervalFromText(txtInterval.Text());
  registry.CreateValue("tmeInterval", Variant(std::to_string(shared.jumpInterval)), REG_SZ);
  registry.CreateValue("Installed", Variant("True"), REG_SZ);
  registry.CloseRegistry();
  shared.currentLocation = -1;
  // The new interval holds from the next step on, also for a run window that is loaded.
  frmRun().Timermove.SetInterval(basDecs::StepPeriod(shared.jumpInterval));
  BackToRunWindow();
}

void FrmConfig::cmdCancel_Click() { BackToRunWindow(); }

void FrmConfig::BackToRunWindow() {
  frmRun().Show();
  frmRun().ResumeCycle();
  Unload();
}

void FrmConfig::Form_Close() {
  if (cmdCancel.Enabled()) {
    cmdCancel_Click();
  } else {
    // A first configuration closed before "Finished": the program ends and writes nothing,
    // so the next start is a first run again.
    Unload();
  }
}
