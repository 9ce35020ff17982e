#include "forms/Twips.h"

#include <windows.h>

#include "ScreenDpi.h"

namespace forms {

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
int PixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi > 0 ? dpi : 96); }

int SystemDpi() { return common::ScreenDpi().cy; }

}  // namespace forms
