// Registering a control class in HKEY_CLASSES_ROOT, with its type library, and removing it.
#pragma once

#include "usercontrol/ControlClass.h"

namespace usercontrol {

// Unregisters first, so registering again after a move or an update leaves no stale entry.
HRESULT RegisterControl(const ControlClass& cls) noexcept;
// Removes exactly what RegisterControl writes; entries already absent count as removed.
HRESULT UnregisterControl(const ControlClass& cls) noexcept;

}  // namespace usercontrol
