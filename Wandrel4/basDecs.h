// The program's start-up procedure, location capture, and the Program that owns what the
// program keeps for its whole run: the shared state, the registry connection and the two
// windows, each handed what it needs when the Program is made.
#pragma once

#include <cstdint>

#include "CReadWriteEasyReg.h"
#include "SharedState.h"
#include "frmConfig.h"
#include "frmRun.h"

namespace basDecs {

class Program {
 public:
  Program();
  // The end of the program: every window still loaded unloads (the run window stores its
  // place) while the registry connection and the shared state are still there.
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  SharedState& Shared() { return shared_; }
  CReadWriteEasyReg& Registry() { return registry_; }

  // The two windows, each loaded on its first use here.
  FrmRun& frmRun();
  FrmConfig& frmConfig();
  // The run window when it is loaded, nullptr otherwise (nothing is loaded).
  FrmRun* frmRunIfLoaded();

 private:
  SharedState shared_;
  CReadWriteEasyReg registry_;
  FrmRun run_;
  FrmConfig config_;
};

// Start-up: a first run opens the configuration window, a normal run loads the settings
// and shows the run window. Returns with the window shown; the message loop does the rest.
void Main(Program& program);

// The key-down handler of the whole configuration window: Ctrl+K records the cursor
// position in the next entry of the location table.
void CaptureLocation(Program& program, int16_t& KeyCode, int16_t& Shift);

}  // namespace basDecs
