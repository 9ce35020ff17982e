#include "frmRun.h"

#include <iterator>
#include <optional>
#include <string>

#include "KeepAwake.h"
#include "Mouse.h"
#include "core/Cycle.h"
#include "core/Interval.h"
#include "core/OffAfter.h"
#include "core/Settings.h"
#include "forms/Form.h"
#include "forms/MsgBox.h"
#include "res/resource.h"

namespace {

constexpr char kAuthor[] = "the Wandrel team";
constexpr char kEmail[] = "support@wandrel.example.org";
constexpr wchar_t kTrayProgId[] = L"KestrowCtl.cKestrow";
// Posted by the run window to itself when it is made, so that it asks for session
// notifications from the message loop, once it is shown.
constexpr UINT kAskForSessionNotifications = WM_APP + 0x100;

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

// The "Switch off after" submenu, in the order of core::kOffAfterChoices.
constexpr const char* kOffAfterTexts[] = {"&15 minutes", "&30 minutes", "1 &hour", "&2 hours",
                                          "&4 hours",    "&8 hours",    "&Never"};
static_assert(std::size(kOffAfterTexts) == core::kOffAfterChoices.size());

// An event's argument, counted from the left, by value whichever way the control passed it.
std::optional<LONG> EventArg(const DISPPARAMS& params, UINT fromLeft) {
  if (fromLeft >= params.cArgs || !params.rgvarg) return std::nullopt;
  UniqueVariant value;
  if (FAILED(VariantCopyInd(value.put(), &params.rgvarg[params.cArgs - 1 - fromLeft]))) {
    return std::nullopt;
  }
  UniqueVariant asLong;
  if (FAILED(VariantChangeType(asLong.put(), value.get(), 0, VT_I4))) return std::nullopt;
  return asLong->lVal;
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
  Timeroff.Tick = [this] { Timeroff_Timer(); };
  AddTimer(Timermove);
  AddTimer(Timertest);
  AddTimer(Timeroff);
  Timermenu.Tick = [this] {
    Timermenu.SetEnabled(false);
    ShowTrayMenu();
  };
  AddTimer(Timermenu);
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
    StayAwake(!session_.Held());
    if (!Holding()) Timermove.SetEnabled(true);  // the watchdog starts with the first step
    switchedOnAt_ = Now();
    ArmOffAfter();
  }
}

void FrmRun::SwitchOff() {
  shared_.running = false;
  cmdRun.SetCaption("OFF");
  Timermove.SetEnabled(false);
  Timertest.SetEnabled(false);
  Timeroff.SetEnabled(false);
  StayAwake(false);
}

void FrmRun::StayAwake(bool awake) {
  if (awake == awake_) return;
  awake_ = awake;
  basDecs::KeepAwake(awake);
}

void FrmRun::Timermove_Timer() {
  const std::vector<core::Rect> monitors = MonitorsNow();
  if (!NoticeScreenChange(monitors)) RetakeWhileScreenSettles();
  const core::StepInput input{shared_.currentLocation, Timertest.Enabled(), shared_.stopMovement,
                              basDecs::CursorPosition(), shared_.expected};
  const core::Step step = core::NextStep(input, shared_.locations, monitors);
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
  // The watchdog compares with where the cursor really went: a clip rectangle or a refused
  // move is no hand on the mouse.
  const std::optional<core::Point> arrived = basDecs::CursorPosition();
  shared_.expected = arrived.value_or(step.target);
  if (core::ClickAfterMove(step, arrived) && core::ClicksAllowed(shared_.layout, monitors)) {
    basDecs::PrimaryClick();
  }
  Timertest.SetEnabled(true);
  shared_.currentLocation = step.nextLocation;
}

void FrmRun::Timertest_Timer() {
  RetakeWhileScreenSettles();
  if (!core::WatchdogSwitchesOff(basDecs::CursorPosition(), shared_.expected,
                                 shared_.stopMovement)) {
    return;
  }
  // Only a moved cursor makes the monitors worth asking for.
  if (!NoticeScreenChange(MonitorsNow())) SwitchOff();
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
  // A locked or disconnected session asks nothing of the system, as when the cycle is OFF.
  StayAwake(shared_.running && !session_.Held());
  Timertest.SetEnabled(false);
  Timermove.SetEnabled(shared_.running && !Holding());
  // A cursor moved on the lock screen counts for nothing, but a hand from the moment the
  // session is back does: the watchdog starts at once from where the cursor is now.
  if (Timermove.Enabled() && shared_.stopMovement) {
    if (const std::optional<core::Point> cursor = basDecs::CursorPosition()) {
      shared_.expected = *cursor;
      seenMonitors_ = MonitorsNow();
      Timertest.SetEnabled(true);
    }
  }
}

void FrmRun::ScreenChanged() {
  screenChangedAt_ = Now();
  seenMonitors_ = MonitorsNow();
  RetakeWhileScreenSettles();
}

std::vector<core::Rect> FrmRun::MonitorsNow() const {
  return Screens ? Screens() : basDecs::Monitors();
}

bool FrmRun::NoticeScreenChange(const std::vector<core::Rect>& monitors) {
  if (seenMonitors_ && *seenMonitors_ != monitors) {
    ScreenChanged();
    return true;
  }
  seenMonitors_ = monitors;
  return false;
}

void FrmRun::RetakeWhileScreenSettles() {
  if (!core::ScreenSettling(screenChangedAt_, Now())) return;
  if (const std::optional<core::Point> cursor = basDecs::CursorPosition()) {
    shared_.expected = *cursor;
  }
}

bool FrmRun::OnWindowMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message == WM_DISPLAYCHANGE) {
    ScreenChanged();
    return false;  // the forms layer and the system see it too
  }
  if (message == kAskForSessionNotifications) {
    if (!sessionNotifications_) {
      sessionNotifications_ = std::make_unique<basDecs::SessionNotifications>(hWnd());
    }
    result = 0;
    return true;
  }
  if (message == WM_HOTKEY && wParam == kPauseKeyId) {
    cmdRun_Click();
    result = 0;
    return true;
  }
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
  // Not needed before the window is visible, so wtsapi32 loads after that: a posted message
  // is handled in the message loop, which a start enters with the window shown, and before
  // any input, so no step can have run without the notifications.
  PostMessageA(window, kAskForSessionNotifications, 0, 0);
  pauseKey_.emplace(window, kPauseKeyId, basDecs::kNoRepeat, VK_PAUSE);
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
  cKestrow.OnEvent(L"MouseUp", [this](DISPPARAMS& args) {
    const std::optional<LONG> button = EventArg(args, 0);
    if (button) cKestrow_MouseUp(static_cast<int16_t>(*button));
  });
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
  pauseKey_.reset();
}

// --- The Pause key, the tray menu and switching off after a time ----------------------------

// The menu opens from the run window's own timer, never inside the control's event, so that
// its modal loop does not run within the control's notification.
void FrmRun::cKestrow_MouseUp(int16_t Button) {
  if (Button == 2) Timermenu.SetEnabled(true);
}

UniqueHmenu FrmRun::TrayMenu() const {
  UniqueHmenu offAfter(CreatePopupMenu());
  UniqueHmenu menu(CreatePopupMenu());
  if (!offAfter || !menu) return {};
  for (size_t i = 0; i < core::kOffAfterChoices.size(); ++i) {
    AppendMenuA(offAfter.get(), MF_STRING, kOffAfterItem + i, kOffAfterTexts[i]);
  }
  if (const std::optional<size_t> chosen = core::OffAfterChoiceIndex(shared_.offAfterMinutes)) {
    CheckMenuRadioItem(offAfter.get(), kOffAfterItem,
                       kOffAfterItem + core::kOffAfterChoices.size() - 1, kOffAfterItem + *chosen,
                       MF_BYCOMMAND);
  }
  std::string switchText = shared_.running ? "&Switch OFF" : "&Switch ON";
  if (HoldsPauseKey()) switchText += "\tPause";
  AppendMenuA(menu.get(), MF_STRING, kSwitchItem, switchText.c_str());
  // The menu owns the submenu once it is in.
  if (AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(offAfter.get()),
                  "Switch off &after")) {
    offAfter.release();
  }
  AppendMenuA(menu.get(), MF_STRING, kConfigureItem, "&Configure...");
  AppendMenuA(menu.get(), MF_STRING, kAboutItem, "A&bout Wandrel4");
  AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.get(), MF_STRING, kExitItem, "E&xit");
  SetMenuDefaultItem(menu.get(), kSwitchItem, FALSE);
  return menu;
}

void FrmRun::ShowTrayMenu() {
  // The menu is modal: a right-click while it is open opens no second one.
  if (menuOpen_) return;
  UniqueHmenu menu = TrayMenu();
  if (!menu) return;
  POINT at{};
  GetCursorPos(&at);
  const HWND window = hWnd();
  menuOpen_ = true;
  // The platform's rule for tray menus: the owner in the foreground before, a message after,
  // or the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(window);
  const UINT item = static_cast<UINT>(TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
  PostMessageA(window, WM_NULL, 0, 0);
  menuOpen_ = false;
  menu.reset();
  if (item != 0) TrayMenu_Click(item);
}

void FrmRun::TrayMenu_Click(UINT item) {
  switch (item) {
    case kSwitchItem:
      cmdRun_Click();
      return;
    case kConfigureItem:
      cmdConfig_Click();
      return;
    case kAboutItem:
      cmdAbout_Click();
      return;
    case kExitItem:
      // As closing the run window, or the end of the session: every window unloads, the
      // run window stores its place.
      forms::UnloadAll();
      return;
    default:
      if (item >= kOffAfterItem && item - kOffAfterItem < core::kOffAfterChoices.size()) {
        SetOffAfter(core::kOffAfterChoices[item - kOffAfterItem]);
      }
  }
}

void FrmRun::SetOffAfter(int32_t minutes) {
  shared_.offAfterMinutes = minutes;
  registry_.OpenRegistry(HKEY_CURRENT_USER, core::kSettingsKey);
  registry_.CreateValue(core::kOffAfterName, Variant(core::NumberText(minutes)), REG_SZ);
  registry_.CloseRegistry();
  ArmOffAfter();
}

void FrmRun::Timeroff_Timer() { ArmOffAfter(); }

void FrmRun::ArmOffAfter() {
  const uint64_t now = Now();
  const std::optional<uint64_t> left =
      core::OffAfterRemainingMs(shared_.offAfterMinutes, now - switchedOnAt_);
  if (!shared_.running || !left) {
    Timeroff.SetEnabled(false);
    return;
  }
  if (*left == 0) {
    SwitchOff();
    return;
  }
  // A timer may tick early or late; each tick looks at the clock again.
  Timeroff.SetInterval(static_cast<int32_t>(*left));
  Timeroff.SetEnabled(true);
}
