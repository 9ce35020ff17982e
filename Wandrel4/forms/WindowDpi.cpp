#include "forms/WindowDpi.h"

#include "forms/Twips.h"

namespace forms {
namespace {

template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// Process-wide by nature, like the system function it stands for.
WindowDpiFn g_windowDpi = User32<WindowDpiFn>("GetDpiForWindow");

}  // namespace

int WindowDpi(HWND window) {
  const UINT dpi = g_windowDpi ? g_windowDpi(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

SIZE FrameSize(SIZE client, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32<AdjustForDpi>("AdjustWindowRectExForDpi");
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
  g_windowDpi = fn ? fn : User32<WindowDpiFn>("GetDpiForWindow");
  return previous;
}

}  // namespace forms
