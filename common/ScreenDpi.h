// The screen's logical DPI, by which twips and HIMETRIC become pixels.
#pragma once

#include "Handles.h"

namespace common {

// 96 on either axis where the screen cannot be asked or answers nonsense.
inline SIZE ScreenDpi() noexcept {
  SIZE dpi{0, 0};
  if (UniqueScreenDc dc{GetDC(nullptr)}) {
    dpi = {GetDeviceCaps(dc.get(), LOGPIXELSX), GetDeviceCaps(dc.get(), LOGPIXELSY)};
  }
  if (dpi.cx <= 0) dpi.cx = 96;
  if (dpi.cy <= 0) dpi.cy = 96;
  return dpi;
}

}  // namespace common
