#include "HotKey.h"

namespace basDecs {

HotKey::HotKey(HWND window, int id, UINT modifiers, UINT key) : id_(id) {
  if (window && RegisterHotKey(window, id, modifiers, key)) window_ = window;
}

HotKey::~HotKey() {
  if (window_) UnregisterHotKey(window_, id_);
}

}  // namespace basDecs
