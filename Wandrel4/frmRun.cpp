#include "frmRun.h"

#include "KeepAwake.h"
#include "basDecs.h"
#include "forms/MsgBox.h"
#include "frmConfig.h"
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

forms::FormDesign RunDesign() {
  using forms::ControlKind;
  return {"Wandrel 4",
          1800,
          360,
          IDI_WANDREL,
          {
              {ControlKind::CommandButton, "cmdRun", -1, "OFF", 0, 0, 855, 375, 0},
              {ControlKind::CommandButton, "cmdAbout", -1, "?", 840, 0, 255, 375, 1},
              {ControlKind::CommandButton, "cmdConfig", -1, "Config", 1080, 0, 735, 375, 2},
          }};
}

}  // namespace

std::string AboutText() {
  return std::string("Wandrel v4") + std::string(13, ' ') + "By " + kAuthor + "\r\n" + "\r\n" +
         basDecs::kWebAddress + "\r\n" + std::string(15, ' ') + kEmail + "\r\n" + "\r\n" +
         "Questions, Comments, or suggestions, please e-mail or visit the website.";
}

FrmRun::FrmRun()
    : forms::Form(RunDesign()),
      cmdRun(Button("cmdRun")),
      cmdAbout(Button("cmdAbout")),
      cmdConfig(Button("cmdConfig")) {
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
  basDecs::SharedState& shared = basDecs::Shared();
  shared.currentLocation = -1;
  shared.running = false;
  suspended_ = false;
  Timermove.SetInterval(basDecs::StepPeriod(shared.jumpInterval));
  // Where it has no saved place, the window starts beside the notification area, where
  // this always-on-top window covers no caption buttons of maximized windows.
  PlaceAtBottomRight();
  SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void FrmRun::cmdRun_Click() {
  basDecs::SharedState& shared = basDecs::Shared();
  if (shared.running) {
    SwitchOff();
  } else {
    shared.running = true;
    cmdRun.SetCaption("ON");
    StayAwake(true);
    if (!suspended_) Timermove.SetEnabled(true);  // the watchdog starts with the first step
  }
}

void FrmRun::SwitchOff() {
  basDecs::Shared().running = false;
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

bool FrmRun::MovedByHand() const {
  const basDecs::SharedState& shared = basDecs::Shared();
  POINT cursor{};
  GetCursorPos(&cursor);
  return cursor.x != shared.expected.x || cursor.y != shared.expected.y;
}

void FrmRun::Timermove_Timer() {
  basDecs::SharedState& shared = basDecs::Shared();
  // A hand movement since the watchdog's last look must not be overwritten unseen: the step
  // makes the watchdog's test first and moves nothing when the user has taken the mouse.
  if (Timertest.Enabled() && shared.stopMovement && MovedByHand()) {
    SwitchOff();
    return;
  }
  if (shared.currentLocation < -1 || shared.currentLocation > basDecs::kLocationCount - 2) {
    shared.currentLocation = -1;
  }
  ++shared.currentLocation;
  const basDecs::Location& location = shared.locations[static_cast<size_t>(shared.currentLocation)];
  SetCursorPos(location.x, location.y);
  shared.expected = POINT{location.x, location.y};
  if (location.clickHere) basDecs::LeftClick();
  Timertest.SetEnabled(true);
  if (shared.currentLocation == basDecs::kLocationCount - 1) shared.currentLocation = -1;
}

void FrmRun::Timertest_Timer() {
  if (MovedByHand() && basDecs::Shared().stopMovement) SwitchOff();
}

void FrmRun::cmdAbout_Click() { forms::MsgBox(AboutText(), "About Wandrel4"); }

void FrmRun::cmdConfig_Click() {
  frmConfig().cmdCancel.SetEnabled(true);
  SuspendCycle();
  frmConfig().Show();
  Hide();
}

void FrmRun::SuspendCycle() {
  suspended_ = true;
  Timermove.SetEnabled(false);
  Timertest.SetEnabled(false);
}

void FrmRun::ResumeCycle() {
  suspended_ = false;
  if (basDecs::Shared().running) Timermove.SetEnabled(true);
}

void FrmRun::cKestrow_MouseDown() { ZOrderFront(); }

void FrmRun::cKestrow_MouseDblClick() { cmdRun_Click(); }

void FrmRun::Form_Unload() {
  CReadWriteEasyReg& registry = basDecs::Registry();
  registry.OpenRegistry(HKEY_CURRENT_USER, basDecs::kSettingsKey);
  registry.CreateValue("PrgmLocX", Variant(static_cast<int32_t>(Left())), REG_SZ);
  registry.CreateValue("PrgmLocY", Variant(static_cast<int32_t>(Top())), REG_SZ);
  registry.CloseRegistry();
  // The program ends or the window goes: no request to stay awake outlives the cycle.
  StayAwake(false);
}

void FrmRun::OnWindowCreated(HWND window) { ShowTrayIcon(window); }

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

void FrmRun::OnWindowDestroying() { cKestrow.Destroy(); }
