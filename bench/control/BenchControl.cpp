// Drives a running program's windows from outside, as the benchmarks need it:
//   BenchControl press CAPTION BUTTON   presses the button (BM_CLICK) of the top-level window
//   BenchControl close CAPTION          posts WM_CLOSE to the top-level window
// Exit code 0 on success, 2 when the window or button is not there, 1 on bad arguments.
// Pressing through the window system rather than at screen coordinates keeps the benchmark
// independent of where the window and its button happen to be.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  HWND window = FindWindowA(nullptr, argv[2]);
  if (!window) return 2;
  if (std::strcmp(argv[1], "close") == 0) {
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 2;
  }
  if (std::strcmp(argv[1], "press") == 0 && argc >= 4) {
    HWND button = FindWindowExA(window, nullptr, "Button", argv[3]);
    if (!button) return 2;
    // SendMessage: the press has been handled when this returns.
    SendMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  return 1;
}
