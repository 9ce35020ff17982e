// The face the forms' design tables were drawn for: the classic 8-point dialog font.
#pragma once

#include <windows.h>

namespace forms {

// MS Sans Serif 8 pt. Windows carries it twice: scalable as "Microsoft Sans Serif" (the same
// widths, sharp at any DPI) and as the bitmap "MS Sans Serif"; Wine carries only the latter
// name, as a scalable face of its own. "MS Shell Dlg" would be Tahoma there, which is wider.
constexpr char kScalableDialogFace[] = "Microsoft Sans Serif";
constexpr char kClassicDialogFace[] = "MS Sans Serif";
constexpr int kDialogPoints = 8;

// The scalable face where the system has it, else the classic one; looked up on the first
// call only.
const char* DialogFace();

// The dialog font at a DPI; the caller owns it.
HFONT CreateDialogFont(int dpi);

}  // namespace forms
