// The face the forms' design tables were drawn for: the classic 8-point dialog font.
#pragma once

#include <windows.h>

namespace forms {

constexpr char kDialogFace[] = "MS Shell Dlg";
constexpr int kDialogPoints = 8;

// The dialog font at a DPI; the caller owns it.
HFONT CreateDialogFont(int dpi);

}  // namespace forms
