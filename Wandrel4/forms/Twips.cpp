#include "forms/Twips.h"

#include <windows.h>

#include "ScreenDpi.h"

namespace forms {

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
int PixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi > 0 ? dpi : 96); }

int SystemDpi() {
  // The system DPI holds for the process's whole life (a change needs a new sign-in), so the
  // screen is asked once, not at every position a form reads or sets.
  static const int dpi = common::ScreenDpi().cy;
  return dpi;
}

}  // namespace forms
