// The program's start-up procedure, its shared state, location capture and the left click.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "CReadWriteEasyReg.h"

class FrmRun;
class FrmConfig;

namespace basDecs {

struct Location {
  int32_t x = 0;  // screen pixels
  int32_t y = 0;
  bool clickHere = false;  // left-click after the cursor arrives here
  bool captured = false;   // recorded with Ctrl+K since the program started
};

struct SharedState {
  std::array<Location, 8> locations{};
  int16_t currentLocation = 0;  // -1: the next step or capture uses entry 0
  POINT expected{};             // where the movement cycle last put the cursor
  bool running = false;
  bool stopMovement = false;  // real mouse movement switches the cycle off
  int32_t jumpInterval = 0;   // whole seconds between two steps
};

constexpr int kLocationCount = 8;
constexpr char kSettingsKey[] = "Software\\Wandrel4";
// The program's site, shown in the About box and in the configuration window.
constexpr char kWebAddress[] = "https://wandrel.example.org";

SharedState& Shared();
// The program's one registry connection, created on first use.
CReadWriteEasyReg& Registry();

// Start-up: a first run opens the configuration window, a normal run loads the settings
// and shows the run window. Returns with the window shown; the message loop does the rest.
void Main();

// The key-down handler of the whole configuration window: Ctrl+K records the cursor
// position in the next entry of the location table.
void CaptureLocation(int16_t& KeyCode, int16_t& Shift);

// A press and release of the left button where the cursor is.
void LeftClick();

// The step timer's period for a jump interval: seconds x 1000 milliseconds, or 0 (never
// ticks) when that is negative or does not fit in 32 bits.
int32_t StepPeriod(int32_t seconds);

// Ends both windows and forgets the shared state, as at the end of the program (the next
// use starts afresh).
void Reset();

}  // namespace basDecs

// The program's two windows, each loaded on its first use.
FrmRun& frmRun();
FrmConfig& frmConfig();
// The loaded windows only: nullptr when the window is not loaded (nothing is loaded).
FrmRun* frmRunIfLoaded();
