// Wandrel4.exe: no start-up window; the start-up procedure decides which window to show and
// the message loop runs until the last window is unloaded.
#include <windows.h>
// after <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "SingleInstance.h"
#include "StartupMarks.h"
#include "SystemFunction.h"
#include "basDecs.h"
#include "forms/Form.h"
#include "forms/MsgBox.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  STARTUP_MARK(startup::kWinMain);
  // A DLL that anything in this process loads by a bare name comes from the system folder,
  // never from the folder the program was unpacked into (Windows 8 on, 7 with its update).
  if (auto restrict =
          common::SystemFunction<BOOL WINAPI(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories")) {
    restrict(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
  }
  // A second start in this session touches no settings and shows no icon: it only brings
  // the first one's window forward. If the first has no window shown, because it is still
  // starting or already ending, this start waits for its window or its end.
  SingleInstance instance;
  if (!instance.IsFirst() && !SettleWithFirstInstance(instance)) return 0;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  STARTUP_MARK(startup::kCommonControls);
  // The tray icon control is an ActiveX control: OLE on this thread, apartment threaded.
  HRESULT ole = OleInitialize(nullptr);
  STARTUP_MARK(startup::kOle);
  forms::SetAppTitle("Wandrel4");
  try {
    basDecs::Program program;
    basDecs::Main(program);
    forms::RunMessageLoop();
  } catch (...) {
    // Nothing escapes the program's own handlers; this only guards the start-up itself.
  }
  // Every window is unloaded and its place stored: a start from now on is the only one,
  // though this process may take a while yet to end.
  instance.Release();
  if (SUCCEEDED(ole)) OleUninitialize();
  return 0;
}
