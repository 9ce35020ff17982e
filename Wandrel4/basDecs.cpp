#include "basDecs.h"

#include "KeptValue.h"
#include "Mouse.h"
#include "StartupMarks.h"
#include "core/Capture.h"
#include "core/Interval.h"
#include "core/OffAfter.h"
#include "core/Settings.h"
#include "forms/Form.h"

namespace basDecs {
namespace {

// A stored value as the settings reader takes it: text, or nothing for a missing value or
// one of another kind.
core::StoredText Stored(CReadWriteEasyReg& registry, const std::string& name) {
  Variant value = registry.GetValue(name, false);
  if (!value.IsText()) return std::nullopt;
  return value.text();
}

}  // namespace

Program::Program() : run_(shared_, registry_), config_(shared_, registry_) {
  run_.OpenConfig = [this] {
    FrmConfig& config = frmConfig();
    config.cmdCancel.SetEnabled(true);
    config.Show();
  };
  config_.CaptureKey = [this](int16_t& KeyCode, int16_t& Shift) {
    CaptureLocation(*this, KeyCode, Shift);
  };
  config_.BackToRun = [this](bool saved) {
    FrmRun& run = frmRun();
    // New settings hold from the next step on, also for a run window that is loaded.
    if (saved) run.Timermove.SetInterval(core::StepPeriod(shared_.jumpInterval));
    run.Show();
    run.ResumeCycle();
  };
}

Program::~Program() {
  try {
    // The last loaded first, as the program ends; windows of anything else stay.
    auto& loaded = forms::Forms();
    for (auto at = loaded.rbegin(); at != loaded.rend();) {
      forms::Form* form = *at;
      if (form != &run_ && form != &config_) {
        ++at;
        continue;
      }
      form->Unload();
      at = loaded.rbegin();
    }
  } catch (...) {
    // An unload handler that fails leaves the rest to the forms' own destructors.
  }
}

FrmRun& Program::frmRun() {
  run_.Load();
  return run_;
}

FrmConfig& Program::frmConfig() {
  config_.Load();
  return config_;
}

FrmRun* Program::frmRunIfLoaded() { return run_.IsLoaded() ? &run_ : nullptr; }

void Main(Program& program) {
  CReadWriteEasyReg& registry = program.Registry();
  SharedState& shared = program.Shared();
  registry.OpenRegistry(HKEY_CURRENT_USER, core::kSettingsKey);
  if (!core::IsInstalled(Stored(registry, core::kInstalledName))) {
    // First run: the first configuration can only be left through "Finished".
    program.frmConfig().cmdCancel.SetEnabled(false);
    registry.CloseRegistry();
    // A time limit an administrator set before the first run stays.
    const KeptValue offAfter(HKEY_CURRENT_USER, core::kSettingsKey, core::kOffAfterName);
    registry.OpenRegistry(HKEY_CURRENT_USER, core::kSettingsParent);
    registry.DeleteDirectory(core::kSettingsName);
    registry.CreateDirectory(core::kSettingsName);
    registry.CloseRegistry();
    offAfter.Restore();
    program.frmConfig().Show();
  } else {
    const core::SavedSettings saved =
        core::ReadSettings([&](const std::string& name) { return Stored(registry, name); });
    STARTUP_MARK(startup::kSettings);
    core::LoadLocations(saved, shared.locations);
    FrmRun& run = program.frmRun();  // first use: the run window loads here
    run.SetPosition(saved.runLeft, saved.runTop);
    run.KeepOnScreen();
    shared.jumpInterval = saved.jumpInterval;
    run.Timermove.SetInterval(core::StepPeriod(shared.jumpInterval));
    shared.stopMovement = saved.stopMovement;
    shared.layout = saved.layout;
    shared.offAfterMinutes = core::ReadOffAfterMinutes(Stored(registry, core::kOffAfterName));
    run.Show();
  }
  registry.CloseRegistry();
  shared.currentLocation = core::kBeforeFirst;
}

void CaptureLocation(Program& program, int16_t& KeyCode, int16_t& Shift) {
  SharedState& shared = program.Shared();
  const core::CapturePlan plan = core::PlanCapture(KeyCode, Shift, shared.currentLocation);
  switch (plan.kind) {
    case core::CaptureKind::Ignored:
      return;
    case core::CaptureKind::TableFull:
      MessageBeep(MB_OK);
      return;
    case core::CaptureKind::Capture:
      break;
  }
  // A cursor that cannot be read has no place to record: no entry is filled with a guess.
  const std::optional<core::Point> cursor = CursorPosition();
  if (!cursor) {
    MessageBeep(MB_OK);
    return;
  }
  shared.currentLocation = plan.entry;
  core::StoreCapture(shared.locations, plan.entry, *cursor);
  FrmConfig& config = program.frmConfig();
  int16_t entry = plan.entry;
  config.ChangeCheck(entry);
  if (plan.enablesFinished) config.cmdDone.SetEnabled(true);
}

}  // namespace basDecs
