#include "basDecs.h"

#include <memory>

#include "frmConfig.h"
#include "frmRun.h"

namespace basDecs {
namespace {

// Everything the program keeps for its whole run, made on first use.
struct Program {
  SharedState shared;
  std::unique_ptr<CReadWriteEasyReg> registry;
  std::unique_ptr<FrmRun> run;
  std::unique_ptr<FrmConfig> config;
};

Program& TheProgram() {
  static Program program;
  return program;
}

// A stored number: anything that is not a 32-bit decimal number counts as missing (0).
int32_t ReadNumber(CReadWriteEasyReg& registry, const char* name) {
  Variant value = registry.GetValue(name, false);
  if (!value.IsText() && !value.IsEmpty()) return 0;
  try {
    return value.ToInt32();
  } catch (const VbError&) {
    return 0;
  }
}

bool ReadFlag(CReadWriteEasyReg& registry, const char* name) {
  return registry.GetValue(name, false).EqualsText("True");
}

std::string Numbered(const char* prefix, int i) { return prefix + std::to_string(i); }

}  // namespace

SharedState& Shared() { return TheProgram().shared; }

CReadWriteEasyReg& Registry() {
  auto& registry = TheProgram().registry;
  if (!registry) registry = std::make_unique<CReadWriteEasyReg>();
  return *registry;
}

int32_t StepPeriod(int32_t seconds) {
  int64_t period = static_cast<int64_t>(seconds) * 1000;
  if (period < 0 || period > INT32_MAX) return 0;
  return static_cast<int32_t>(period);
}

void Main() {
  CReadWriteEasyReg& registry = Registry();
  SharedState& shared = Shared();
  registry.OpenRegistry(HKEY_CURRENT_USER, kSettingsKey);
  if (!registry.GetValue("Installed", false).EqualsText("True")) {
    // First run: the first configuration can only be left through "Finished".
    frmConfig().cmdCancel.SetEnabled(false);
    registry.CloseRegistry();
    registry.OpenRegistry(HKEY_CURRENT_USER, "Software");
    registry.DeleteDirectory("Wandrel4");
    registry.CreateDirectory("Wandrel4");
    registry.CloseRegistry();
    frmConfig().Show();
  } else {
    for (int i = 0; i < kLocationCount; ++i) {
      shared.locations[i].x = ReadNumber(registry, Numbered("xPos", i).c_str());
    }
    for (int i = 0; i < kLocationCount; ++i) {
      shared.locations[i].y = ReadNumber(registry, Numbered("yPos", i).c_str());
    }
    for (auto& location : shared.locations) location.clickHere = false;
    for (int i = 0; i < kLocationCount; ++i) {
      shared.locations[i].clickHere = ReadFlag(registry, Numbered("clkHere", i).c_str());
    }
    int32_t left = ReadNumber(registry, "PrgmLocX");
    int32_t top = ReadNumber(registry, "PrgmLocY");
    frmRun().SetLeft(left);  // first use: the run window loads here
    frmRun().SetTop(top);
    frmRun().KeepOnScreen();
    shared.jumpInterval = ReadNumber(registry, "tmeInterval");
    frmRun().Timermove.SetInterval(StepPeriod(shared.jumpInterval));
    shared.stopMovement = ReadFlag(registry, "StopMovement");
    frmRun().Show();
  }
  registry.CloseRegistry();
  shared.currentLocation = -1;
}

void CaptureLocation(int16_t& KeyCode, int16_t& Shift) {
  constexpr int16_t kKeyK = 75, kCtrlOnly = 2;
  if (KeyCode != kKeyK || Shift != kCtrlOnly) return;
  SharedState& shared = Shared();
  if (shared.currentLocation >= kLocationCount - 1) {
    // All eight are recorded in this opening: there is no ninth entry to fill.
    MessageBeep(MB_OK);
    return;
  }
  if (shared.currentLocation < -1) shared.currentLocation = -1;
  int16_t n = ++shared.currentLocation;
  POINT cursor{};
  GetCursorPos(&cursor);
  Location& location = shared.locations[static_cast<size_t>(n)];
  location.captured = true;
  location.x = cursor.x;
  location.y = cursor.y;
  frmConfig().ChangeCheck(n);
  if (n == kLocationCount - 1) frmConfig().cmdDone.SetEnabled(true);
}

void LeftClick() {
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void Reset() {
  Program& program = TheProgram();
  program.config.reset();  // its terminate handler unloads every form still loaded
  if (program.run) program.run->Unload();
  program.run.reset();
  program.registry.reset();
  program.shared = SharedState{};
}

}  // namespace basDecs

FrmRun& frmRun() {
  auto& run = basDecs::TheProgram().run;
  if (!run) run = std::make_unique<FrmRun>();
  run->Load();
  return *run;
}

FrmConfig& frmConfig() {
  auto& config = basDecs::TheProgram().config;
  if (!config) config = std::make_unique<FrmConfig>();
  config->Load();
  return *config;
}

FrmRun* frmRunIfLoaded() {
  auto& run = basDecs::TheProgram().run;
  return run && run->IsLoaded() ? run.get() : nullptr;
}
