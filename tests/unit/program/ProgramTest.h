// Shared helpers of the program's tests: the settings key of the test prefix, message
// pumping, and the recorded message boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "basDecs.h"

namespace test {

// The program under test, made on first use; Reset ends it as the program ends (every
// window unloads) and the next use starts afresh.
basDecs::Program& TheProgram();
void Reset();
inline basDecs::SharedState& Shared() { return TheProgram().Shared(); }
inline void StartProgram() { basDecs::Main(TheProgram()); }

struct Box {
  std::string text, title;
};
// The message boxes shown since the last ClearBoxes (the real box is replaced in main).
std::vector<Box>& Boxes();
void ClearBoxes();

// Delivers the thread's messages, through the forms' keyboard handling, for a while.
void Pump(int milliseconds);
// Delivers messages until the condition holds or the deadline passes; true when it held.
template <typename Condition>
bool PumpUntil(Condition condition, int deadlineMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(deadlineMs)) return false;
    Pump(10);
  }
  return true;
}

void DeleteSettingsKey();
bool SettingsKeyExists();
void WriteSetting(const std::string& name, const std::string& value);
// Every value of the settings key as name -> (type, data as text).
std::map<std::string, std::pair<DWORD, std::string>> ReadSettings();

POINT Cursor();

// Each test starts as a program that was never run: no settings key, no window, zero state.
class FreshProgram : public testing::Test {
 protected:
  void SetUp() override {
    test::Reset();
    DeleteSettingsKey();
    ClearBoxes();
  }
  void TearDown() override {
    test::Reset();
    DeleteSettingsKey();
  }
};

}  // namespace test

// The program's two windows, loaded on first use, as the tests reach them.
inline FrmRun& frmRun() { return test::TheProgram().frmRun(); }
inline FrmConfig& frmConfig() { return test::TheProgram().frmConfig(); }
inline FrmRun* frmRunIfLoaded() { return test::TheProgram().frmRunIfLoaded(); }
