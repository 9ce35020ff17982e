// Twips (1/1440 of a logical inch) to pixels and back. Sizes go through the DPI of the
// window they are on; positions on the desktop go through the system DPI, so that a place
// stored in twips comes back to the same pixel on every monitor.
#pragma once

#include <windows.h>

namespace forms {

// At a given DPI (dots per logical inch).
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);

// The DPI that positions on the desktop go through.
int SystemDpi();

}  // namespace forms
