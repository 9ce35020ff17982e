#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>

#include "ProgramTest.h"
#include "forms/Form.h"
#include "forms/MsgBox.h"

namespace test {
namespace {

std::unique_ptr<basDecs::Program>& ProgramSlot() {
  static std::unique_ptr<basDecs::Program> program;
  return program;
}

}  // namespace

basDecs::Program& TheProgram() {
  auto& program = ProgramSlot();
  if (!program) program = std::make_unique<basDecs::Program>();
  return *program;
}

void Reset() { ProgramSlot().reset(); }

std::vector<Box>& Boxes() {
  static std::vector<Box> boxes;
  return boxes;
}

void ClearBoxes() { Boxes().clear(); }

void Pump(int milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (forms::PreTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

void DeleteSettingsKey() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wandrel4"); }

bool SettingsKeyExists() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wandrel4", 0, KEY_READ, &key) != 0) return false;
  RegCloseKey(key);
  return true;
}

void WriteSetting(const std::string& name, const std::string& value) {
  HKEY key;
  ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wandrel4", 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

std::map<std::string, std::pair<DWORD, std::string>> ReadSettings() {
  std::map<std::string, std::pair<DWORD, std::string>> values;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wandrel4", 0, KEY_READ, &key) != 0) return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[1024];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != 0) break;
    std::string text(reinterpret_cast<char*>(data), dataSize);
    if (type == REG_SZ && !text.empty() && text.back() == '\0') text.pop_back();
    values[name] = {type, text};
  }
  RegCloseKey(key);
  return values;
}

POINT Cursor() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

}  // namespace test

namespace {

void RecordBox(const std::string& text, const std::string& title) {
  test::Boxes().push_back({text, title});
}

}  // namespace

int main(int argc, char** argv) {
  OleInitialize(nullptr);
  forms::SetAppTitle("Wandrel4");
  forms::SetMsgBoxFn(RecordBox);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  test::Reset();
  test::DeleteSettingsKey();
  OleUninitialize();
  return result;
}
