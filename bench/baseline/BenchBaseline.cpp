// The yardstick for the program's measurements: the least a Win32 window program does.
// It registers a class, shows one small window and runs a blocking message loop until the
// window is closed. Built by the same toolchain and flags as the program, and run the same way,
// so that what both share (the Wine loader, the C++ runtime, the window system) cancels out.
#include <windows.h>

namespace {

constexpr char kClassName[] = "WandrelBenchBaseline";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  // WM_CLOSE goes to DefWindowProc, which destroys the window.
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) return 1;

  HWND window = CreateWindowExA(0, kClassName, "Wandrel Baseline", WS_OVERLAPPEDWINDOW, 100, 100,
                                200, 120, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
