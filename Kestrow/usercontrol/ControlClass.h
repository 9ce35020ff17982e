// What the user-control base needs to know about one control class: its identifiers, how it
// is presented to containers, and how it is registered.
#pragma once

#include <windows.h>

namespace usercontrol {

struct ControlClass {
  const CLSID* clsid;
  const GUID* libid;
  WORD libMajor;
  WORD libMinor;
  const IID* dispatchIid;  // the control's dual interface
  const IID* eventsIid;    // the dispatch interface its events go out through
  const wchar_t* progId;   // also the version-independent ProgID
  const wchar_t* userType;
  DWORD miscStatus;  // OLEMISC_ flags
  int toolboxBitmapId;
};

}  // namespace usercontrol
