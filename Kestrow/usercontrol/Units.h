// Conversions between the units a control meets: twips (1/1440 inch), HIMETRIC (1/100 mm)
// and screen pixels at the screen's DPI.
#pragma once

#include <windows.h>

#include "ScreenDpi.h"

namespace usercontrol {

inline LONG TwipsToHimetric(LONG twips) noexcept { return MulDiv(twips, 2540, 1440); }
inline LONG HimetricToTwips(LONG himetric) noexcept { return MulDiv(himetric, 1440, 2540); }

inline SIZE HimetricToPixels(SIZEL himetric) noexcept {
  SIZE dpi = common::ScreenDpi();
  return {MulDiv(himetric.cx, dpi.cx, 2540), MulDiv(himetric.cy, dpi.cy, 2540)};
}

inline SIZEL PixelsToHimetric(SIZE pixels) noexcept {
  SIZE dpi = common::ScreenDpi();
  return {MulDiv(pixels.cx, 2540, dpi.cx), MulDiv(pixels.cy, 2540, dpi.cy)};
}

}  // namespace usercontrol
