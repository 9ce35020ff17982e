// Registering a control class, with its type library and component category, and removing it:
// for every user of the machine (HKLM\Software\Classes) or for the current user only
// (HKEY_CURRENT_USER\Software\Classes, which needs no administrator rights).
#pragma once

#include "usercontrol/ControlClass.h"

namespace usercontrol {

enum class RegistrationScope { Machine, User };

// Unregisters first, so registering again after a move or an update leaves no stale entry.
HRESULT RegisterControl(const ControlClass& cls,
                        RegistrationScope scope = RegistrationScope::Machine) noexcept;
// Removes exactly what RegisterControl writes; entries already absent count as removed.
HRESULT UnregisterControl(const ControlClass& cls,
                          RegistrationScope scope = RegistrationScope::Machine) noexcept;

// DllInstall's rule: an empty or missing command line means the machine, "user" (in any case)
// the current user; anything else is refused with E_INVALIDARG and nothing is touched.
HRESULT InstallControl(const ControlClass& cls, bool install, const wchar_t* commandLine) noexcept;

}  // namespace usercontrol
