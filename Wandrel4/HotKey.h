// A system-wide hot key held for one window while this object lives: its press arrives at
// the window as WM_HOTKEY with the id as wParam.
#pragma once

#include <windows.h>

namespace basDecs {

// MOD_NOREPEAT (Windows 7 and later): a held key gives one press, not a stream of them.
constexpr UINT kNoRepeat = 0x4000;

class HotKey {
 public:
  // Asks for the key; where another program holds it already the window goes without.
  HotKey(HWND window, int id, UINT modifiers, UINT key);
  ~HotKey();
  HotKey(const HotKey&) = delete;
  HotKey& operator=(const HotKey&) = delete;

  bool Held() const { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
  int id_ = 0;
};

}  // namespace basDecs
