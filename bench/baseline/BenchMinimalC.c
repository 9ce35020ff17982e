/* The size yardstick: the least a Win32 window program is, written in C and built with the
   same toolchain and flags as the shipped binaries (size-optimised, static, stripped). What
   the shipped binaries weigh above it is their own code and the C++ runtime they use. */
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  WNDCLASSA wc = {0};
  MSG msg;
  (void)previous;
  (void)command;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "WandrelBenchMinimalC";
  RegisterClassA(&wc);
  ShowWindow(CreateWindowA("WandrelBenchMinimalC", "minimal", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           NULL, NULL, instance, NULL),
             show);
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
