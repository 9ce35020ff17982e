#include "frmRun.h"

#include "KeepAwake.h"
#include "Mouse.h"
#include "core/Cycle.h"
#include "core/Interval.h"
#include "core/Settings.h"
#include "forms/MsgBox.h"
#include "res/resource.h"

namespace {

constexpr char kAuthor[] = "the Wandrel team";
constexpr char kEmail[] = "support@wandrel.example.org";
constexpr wchar_t kTrayProgId[] = L"KestrowCtl.cKestrow";

// Whether the tray icon control's file sits in the program's own folder.
bool ControlBesideProgram() {
  wchar_t path[MAX_PATH]{};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring file(path, length);
  file.replace(file.find_last_of(L"\\/") + 1, std::wstring::npos, L"Kestrow.ocx");
  return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), size,
                        nullptr, nullptr);
  }
  return narrow;
}

// What a screen reader hears for the ON/OFF button: what a press does, then the state the
// caption shows.
std::string RunButtonName(bool running) {
  return running ? "Switch off (now on)" : "Switch on (now off)";
}

forms::FormDesign RunDesign() {
  using forms::ControlKind;
  return {
      "Wandrel 4",
      1800,
      360,
      IDI_WANDREL,
      {
          {ControlKind::CommandButton, "cmdRun", -1, "OFF", RunButtonName(false), 0, 0, 855, 375,
           0},
          {ControlKind::CommandButton, "cmdAbout", -1, "?", "About Wandrel4", 840, 0, 255, 375, 1},
          {ControlKind::CommandButton, "cmdConfig", -1, "Config", "", 1080, 0, 735, 375, 2},
      }};
}

}  // namespace

std::string AboutText() {
  return std::string("Wandrel v4") + std::string(13, ' ') + "By " + kAuthor + "\r\n" + "\r\n" +
         basDecs::kWebAddress + "\r\n" + std::string(15, ' ') + kEmail + "\r\n" + "\r\n" +
         "Questions, Comments, or suggestions, please e-mail or visit the website.";
}

FrmRun::FrmRun(basDecs::SharedState& shared, CReadWriteEasyReg& registry)
    : forms::Form(RunDesign()),
      shared_(shared),
      registry_(registry),
      cmdRun(Button("cmdRun")),
      cmdAbout(Button("cmdAbout")),
      cmdConfig(Button("cmdConfig")) {
  cmdRun.AccName = [this] { return RunButtonName(shared_.running); };
  cmdRun.Click = [this] { cmdRun_Click(); };
  cmdAbout.Click = [this] { cmdAbout_Click(); };
  cmdConfig.Click = [this] { cmdConfig_Click(); };
  Timermove.Tick = [this] { Timermove_Timer(); };
  Timertest.Tick = [this] { Timertest_Timer(); };
  AddTimer(Timermove);
  AddTimer(Timertest);
}

FrmRun::~FrmRun() = default;

void FrmRun::Form_Load() {
  shared_.currentLocation = core::kBeforeFirst;
  shared_.running = false;
  suspended_ = false;
  Timermove.SetInterval(core::StepPeriod(shared_.jumpInterval));
  // Where it has no saved place, the window starts beside the notification area, where
  // this always-on-top window covers no caption buttons of maximized windows.
  PlaceAtBottomRight();
  SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void FrmRun::cmdRun_Click() {
  if (shared_.running) {
    SwitchOff();
  } else {
    shared_.running = true;
    cmdRun.SetCaption("ON");
    StayAwake(true);
    if (!Holding()) Timermove.SetEnabled(true);  // the watchdog starts with the first step
  }
}

void FrmRun::SwitchOff() {
  shared_.running = false;
  cmdRun.SetCaption("OFF");
  Timermove.SetEnabled(false);
  Timertest.SetEnabled(false);
  StayAwake(false);
}

void FrmRun::StayAwake(bool awake) {
  if (awake == awake_) return;
  awake_ = awake;
  basDecs::KeepAwake(awake);
}

void FrmRun::Timermove_Timer() {
  const core::StepInput input{shared_.currentLocation, Timertest.Enabled(), shared_.stopMovement,
                              basDecs::CursorPosition(), shared_.expected};
  const core::Step step = core::NextStep(input, shared_.locations, basDecs::Monitors());
  switch (step.action) {
    case core::StepAction::Hold:
      return;
    case core::StepAction::SwitchOff:
      SwitchOff();
      return;
    case core::StepAction::Skip:
      shared_.currentLocation = step.nextLocation;
      return;
    case core::StepAction::Move:
      break;
  }
  SetCursorPos(step.target.x, step.target.y);
  shared_.expected = step.target;
  if (core::ClickAfterMove(step, basDecs::CursorPosition())) basDecs::LeftClick();
  Timertest.SetEnabled(true);
  shared_.currentLocation = step.nextLocation;
}

void FrmRun::Timertest_Timer() {
  if (core::WatchdogSwitchesOff(basDecs::CursorPosition(), shared_.expected,
                                shared_.stopMovement)) {
    SwitchOff();
  }
}

void FrmRun::cmdAbout_Click() { forms::MsgBox(AboutText(), "About Wandrel4"); }

void FrmRun::cmdConfig_Click() {
  SuspendCycle();
  if (OpenConfig) OpenConfig();
  Hide();
}

void FrmRun::SuspendCycle() {
  suspended_ = true;
  Timermove.SetEnabled(false);
  Timertest.SetEnabled(false);
}

void FrmRun::ResumeCycle() {
  suspended_ = false;
  if (shared_.running && !Holding()) Timermove.SetEnabled(true);
}

void FrmRun::SessionChange(unsigned code) {
  const bool wasHeld = session_.Held();
  session_ = core::AfterSessionChange(session_, code);
  if (session_.Held() == wasHeld) return;
  // A cursor moved on the lock screen counts for nothing: the watchdog waits for the next
  // step, as after switching ON.
  Timertest.SetEnabled(false);
  Timermove.SetEnabled(shared_.running && !Holding());
}

bool FrmRun::OnWindowMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_WTSSESSION_CHANGE) return false;
  SessionChange(static_cast<unsigned>(wParam));
  result = 0;
  return true;
}

void FrmRun::cKestrow_MouseDown() { ZOrderFront(); }

void FrmRun::cKestrow_MouseDblClick() { cmdRun_Click(); }

void FrmRun::Form_Unload() {
  registry_.OpenRegistry(HKEY_CURRENT_USER, core::kSettingsKey);
  for (const core::NamedValue& value : core::RunPositionToWrite(Left(), Top())) {
    registry_.CreateValue(value.name, Variant(value.text), REG_SZ);
  }
  registry_.CloseRegistry();
  // The program ends or the window goes: no request to stay awake outlives the cycle.
  StayAwake(false);
}

void FrmRun::OnWindowCreated(HWND window) {
  session_ = {};
  sessionNotifications_ = std::make_unique<basDecs::SessionNotifications>(window);
  ShowTrayIcon(window);
}

void FrmRun::ShowTrayIcon(HWND window) {
  forms::AxProperties saved;
  saved.SetBool(L"InTray", true);
  saved.SetPicture(L"TrayIcon",
                   LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_WANDREL)));
  saved.SetText(L"TrayTip", L"Wandrel4");
  saved.SetInt(L"_ExtentX", 900);
  saved.SetInt(L"_ExtentY", 900);
  cKestrow.OnEvent(L"MouseDown", [this](DISPPARAMS&) { cKestrow_MouseDown(); });
  cKestrow.OnEvent(L"MouseDblClick", [this](DISPPARAMS&) { cKestrow_MouseDblClick(); });
  // The control's face has no place among the buttons: it sits just below the client area.
  RECT client{};
  GetClientRect(window, &client);
  RECT place{0, client.bottom, 34, client.bottom + 34};
  std::wstring why;
  if (SUCCEEDED(cKestrow.Create(window, kTrayProgId, place, saved, &why)) || trayTold_) return;
  trayTold_ = true;
  if (!ControlBesideProgram()) why = L"Kestrow.ocx is not beside Wandrel4.exe; " + why;
  forms::MsgBox("The tray icon is unavailable, so Wandrel4 runs without it: " + Narrow(why) +
                ".\r\n\r\nKeep Kestrow.ocx beside Wandrel4.exe, or register it with "
                "\"regsvr32 Kestrow.ocx\".");
}

void FrmRun::OnWindowDestroying() {
  cKestrow.Destroy();
  sessionNotifications_.reset();
}
