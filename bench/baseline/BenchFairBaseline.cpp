// The fair yardstick for the program's start-up: the bare window program of BenchBaseline
// that also does what Wandrel4.exe cannot do without: common controls (version 6, through
// the same manifest), OLE on its thread, and the tray icon control created by its ProgID from
// the Kestrow.ocx beside it. Whatever the program takes beyond this is its own doing. In a
// bench build it notes the same start-up marks as the program.
#include <windows.h>
// after <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "StartupMarks.h"

namespace {

constexpr char kClassName[] = "WandrelBenchFairBaseline";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_PAINT) STARTUP_MARK(startup::kFirstPaint);
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  STARTUP_MARK(startup::kWinMain);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  STARTUP_MARK(startup::kCommonControls);
  HRESULT ole = OleInitialize(nullptr);
  STARTUP_MARK(startup::kOle);

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowExA(0, kClassName, "Wandrel Fair Baseline", WS_OVERLAPPEDWINDOW, 100,
                                100, 200, 120, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  STARTUP_MARK(startup::kForm);

  IUnknown* control = nullptr;
  CLSID clsid{};
  if (SUCCEEDED(CLSIDFromProgID(L"KestrowCtl.cKestrow", &clsid))) {
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     reinterpret_cast<void**>(&control));
  }
  if (!control) return 1;  // not the fair baseline without its control
  STARTUP_MARK(startup::kControl);

  ShowWindow(window, show);
  STARTUP_MARK(startup::kShown);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  control->Release();
  if (SUCCEEDED(ole)) OleUninitialize();
  return static_cast<int>(message.wParam);
}
