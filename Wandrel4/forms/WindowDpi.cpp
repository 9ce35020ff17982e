#include "forms/WindowDpi.h"

#include "SystemFunction.h"
#include "forms/Twips.h"

namespace forms {
namespace {

WindowDpiFn SystemWindowDpi() {
  return common::SystemFunction<UINT WINAPI(HWND)>(L"user32.dll", "GetDpiForWindow");
}

// Process-wide by nature, like the system function it stands for.
WindowDpiFn g_windowDpi = SystemWindowDpi();

}  // namespace

int WindowDpi(HWND window) {
  const UINT dpi = g_windowDpi ? g_windowDpi(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

SIZE FrameSize(SIZE client, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi =
      common::SystemFunction<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>(
          L"user32.dll", "AdjustWindowRectExForDpi");
  RECT frame{0, 0, client.cx, client.cy};
  // The caption and borders at the window's own DPI, where the system can say.
  if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    frame = {0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

WindowDpiFn SetWindowDpiFn(WindowDpiFn fn) {
  WindowDpiFn previous = g_windowDpi;
  g_windowDpi = fn ? fn : SystemWindowDpi();
  return previous;
}

}  // namespace forms
