// Twips (1/1440 of a logical inch) to screen pixels and back, through the screen's DPI.
#pragma once

namespace forms {

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);

}  // namespace forms
