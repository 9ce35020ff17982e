#include "forms/Twips.h"

#include <windows.h>

namespace forms {
namespace {

int ScreenDpi(int axis) {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, axis) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
int PixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi > 0 ? dpi : 96); }

int TwipsToPixelsX(int twips) { return TwipsToPixels(twips, ScreenDpi(LOGPIXELSX)); }
int TwipsToPixelsY(int twips) { return TwipsToPixels(twips, ScreenDpi(LOGPIXELSY)); }
int PixelsToTwipsX(int pixels) { return PixelsToTwips(pixels, ScreenDpi(LOGPIXELSX)); }
int PixelsToTwipsY(int pixels) { return PixelsToTwips(pixels, ScreenDpi(LOGPIXELSY)); }

int SystemDpi() { return ScreenDpi(LOGPIXELSY); }

int WindowDpi(HWND window) {
  // GetDpiForWindow exists from Windows 10 1607 on; older systems have one DPI for all.
  using DpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto dpiForWindow = reinterpret_cast<DpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (dpiForWindow && window) {
    UINT dpi = dpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

}  // namespace forms
