// What a screen reader hears a control called, where its caption does not say what the
// control does ("?", a check box whose caption is never shown, a button showing its state).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace forms {

// Asked each time a screen reader asks, so that a name can follow the control's state.
// Text in the system code page, like captions.
using AccessibleNameSource = std::function<std::string()>;

// From now on the window answers a screen reader's request for its client object
// (WM_GETOBJECT, OBJID_CLIENT) with the system's standard object for it, in which only the
// name is `name`'s (an empty name keeps the standard one). The window keeps `name` until it
// is destroyed. Once per window. False when the window cannot take it; it then stays as it
// was.
bool AnswerAccessibleName(HWND window, AccessibleNameSource name);

}  // namespace forms
