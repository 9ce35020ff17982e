// Tips shown while the pointer rests on a control, for captions too short to say what the
// control opens.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>

namespace forms {

// One tip window on the form for all of `tips` (control, text); it goes with the form's
// window. Nothing happens where the system cannot show tips.
void AddTips(HWND form, std::initializer_list<std::pair<HWND, const char*>> tips);

}  // namespace forms
