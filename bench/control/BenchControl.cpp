// Drives a running program's windows from outside, as the benchmarks need it:
//   BenchControl press CAPTION BUTTON   presses the button (BM_CLICK) of the top-level window
//   BenchControl close CAPTION          posts WM_CLOSE to the top-level window
//   BenchControl watch CAPTION          prints "ready", then, once a top-level window with
//                                       exactly this caption is visible, the system time of
//                                       that moment in seconds since 1970 (gives up after 30 s)
// Exit code 0 on success, 2 when the window or button is not there, 1 on bad arguments.
// Pressing through the window system rather than at screen coordinates keeps the benchmark
// independent of where the window and its button happen to be.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Seconds since 1970 on the system clock. Under Wine this is the host's CLOCK_REALTIME to
// the microsecond, the clock the bench notes the launch on.
double SystemSeconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr ULONGLONG kTicksTo1970 = 116444736000000000ULL;  // 100 ns ticks from 1601
  return static_cast<double>(ticks - kTicksTo1970) / 1e7;
}

BOOL CALLBACK FindVisible(HWND window, LPARAM caption) {
  if (!IsWindowVisible(window)) return TRUE;
  char text[256]{};
  GetWindowTextA(window, text, sizeof text);
  if (std::strcmp(text, reinterpret_cast<const char*>(caption)) != 0) return TRUE;
  return FALSE;  // found: EnumWindows returns FALSE
}

// Started before the program, so that its own start is not counted: the bench launches
// the program once it reads "ready" and subtracts the launch time from the printed one.
int Watch(const char* caption) {
  std::printf("ready\n");
  std::fflush(stdout);
  const ULONGLONG deadline = GetTickCount64() + 30000;
  while (EnumWindows(FindVisible, reinterpret_cast<LPARAM>(caption))) {
    if (GetTickCount64() > deadline) return 2;
    Sleep(2);
  }
  std::printf("%.6f\n", SystemSeconds());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  if (std::strcmp(argv[1], "watch") == 0) return Watch(argv[2]);
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
