// Wandrel4.exe: no start-up window; the start-up procedure decides which window to show and
// the message loop runs until the last window is unloaded.
#include <windows.h>
// after <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "basDecs.h"
#include "forms/Form.h"
#include "forms/MsgBox.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The tray icon control is an ActiveX control: OLE on this thread, apartment threaded.
  HRESULT ole = OleInitialize(nullptr);
  forms::SetAppTitle("Wandrel4");
  try {
    basDecs::Main();
    forms::RunMessageLoop();
  } catch (...) {
    // Nothing escapes the program's own handlers; this only guards the start-up itself.
  }
  basDecs::Reset();
  if (SUCCEEDED(ole)) OleUninitialize();
  return 0;
}
