#include "frmConfig.h"

#include "KeptValue.h"
#include "Mouse.h"
#include "core/Capture.h"
#include "core/Interval.h"
#include "core/OffAfter.h"
#include "core/Settings.h"
#include "res/resource.h"

namespace {

constexpr char kInstructions[] =
    "Instructions:             Move the mouse to each desired location and press Ctrl+K. After "
    "all the locations are entered, select the ones that you want to be clicked. Then press done.";

forms::FormDesign ConfigDesign() {
  using forms::ControlKind;
  forms::FormDesign design{"Wandrel 4 Configuration", 2790, 5070, IDI_WANDREL, {}};
  auto& c = design.controls;
  c.push_back({ControlKind::Label, "lblLocs", -1, "Locations", "", 240, 0, 735, 255, 18});
  c.push_back({ControlKind::Label, "lblClick", -1, " Click", "", 1080, 0, 495, 255, 19});
  for (int i = 0; i < core::kLocationCount; ++i) {
    int top = 240 + 360 * i;
    c.push_back({ControlKind::CheckBox, "chkFinished", i, "Location " + std::to_string(i + 1), "",
                 120, top, 1095, 495, 7 - i});
    c.push_back({ControlKind::CheckBox, "chkClick", i,
                 "Check" + std::to_string(core::kLocationCount - i),
                 "Click at location " + std::to_string(i + 1), 1200, top, 255, 495, 17 - i});
  }
  c.push_back(
      {ControlKind::Label, "lblInstructions", -1, kInstructions, "", 1560, 360, 1215, 2415, 20});
  c.push_back({ControlKind::Label, "Label1", -1, "Jump Interval", "", 120, 3360, 975, 255, 22});
  c.push_back({ControlKind::TextBox, "txtInterval", -1, core::kDefaultIntervalText, "", 1440, 3360,
               855, 285, 23});
  c.push_back({ControlKind::CheckBox, "chkmovement", -1, "Turn off with real movement", "", 120,
               3720, 2535, 375, 24});
  c.push_back(
      {ControlKind::CommandButton, "cmdDone", -1, "Finished", "", 120, 4200, 1215, 495, 8, false});
  c.push_back(
      {ControlKind::CommandButton, "cmdCancel", -1, "Cancel", "", 1440, 4200, 1215, 495, 9});
  c.push_back(
      {ControlKind::Label, "lblSite", -1, basDecs::kWebAddress, "", 120, 4800, 2655, 255, 21});
  return design;
}

}  // namespace

FrmConfig::FrmConfig(basDecs::SharedState& shared, CReadWriteEasyReg& registry)
    : forms::Form(ConfigDesign()),
      shared_(shared),
      registry_(registry),
      chkmovement(Check("chkmovement")),
      txtInterval(Text("txtInterval")),
      cmdDone(Button("cmdDone")),
      cmdCancel(Button("cmdCancel")) {
  forms::KeyDownHandler capture = [this](int16_t& KeyCode, int16_t& Shift) {
    KeyDown(KeyCode, Shift);
  };
  for (int i = 0; i < core::kLocationCount; ++i) {
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

FrmConfig::~FrmConfig() = default;

void FrmConfig::Form_Load() {
  shared_.currentLocation = core::kBeforeFirst;
  for (int i = 0; i < core::kLocationCount; ++i) {
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

void FrmConfig::Form_KeyDown(int16_t& KeyCode, int16_t& Shift) { KeyDown(KeyCode, Shift); }

void FrmConfig::KeyDown(int16_t& KeyCode, int16_t& Shift) {
  if (CaptureKey) CaptureKey(KeyCode, Shift);
}

void FrmConfig::ChangeCheck(int16_t& Index) {
  if (!core::IsEntry(Index)) return;
  chkFinished(Index).SetValue(1);
}

void FrmConfig::chkFinished_Click(int16_t Index) {
  // A location box always shows whether its location has been recorded.
  chkFinished(Index).SetValue(core::LocationBoxChecked(shared_.locations, Index) ? 1 : 0);
}

void FrmConfig::txtInterval_Change() {
  if (!core::IsIntervalText(txtInterval.Text())) txtInterval.SetText(core::kDefaultIntervalText);
}

void FrmConfig::cmdDone_Click() {
  for (int i = 0; i < core::kLocationCount; ++i) {
    shared_.locations[i].clickHere = chkClick(i).Value() == 1;
  }
  shared_.stopMovement = chkmovement.Value() == 1;
  shared_.jumpInterval = core::IntervalFromText(txtInterval.Text());
  // A save starts from an empty key, so nothing of an older configuration stays behind;
  // the time limit is no part of the configuration and stays as it is.
  const basDecs::KeptValue offAfter(HKEY_CURRENT_USER, core::kSettingsKey, core::kOffAfterName);
  registry_.OpenRegistry(HKEY_CURRENT_USER, core::kSettingsParent);
  registry_.DeleteDirectory(core::kSettingsName);
  registry_.CreateDirectory(core::kSettingsName);
  registry_.CloseRegistry();
  offAfter.Restore();
  registry_.OpenRegistry(HKEY_CURRENT_USER, core::kSettingsKey);
  // The locations are saved with the monitors they were recorded on.
  const std::vector<core::Rect> monitors = basDecs::Monitors();
  for (const core::NamedValue& value : core::SettingsToWrite(
           shared_.locations, shared_.stopMovement, shared_.jumpInterval, monitors)) {
    registry_.CreateValue(value.name, Variant(value.text), REG_SZ);
  }
  registry_.CloseRegistry();
  shared_.layout = monitors.empty() ? std::nullopt : std::optional<core::ScreenLayout>(monitors);
  shared_.currentLocation = core::kBeforeFirst;
  BackToRunWindow(true);
}

void FrmConfig::cmdCancel_Click() { BackToRunWindow(false); }

void FrmConfig::BackToRunWindow(bool saved) {
  if (BackToRun) BackToRun(saved);
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
