#include "forms/Twips.h"

#include <windows.h>

#include "ScreenDpi.h"

namespace forms {

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
int PixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, 1440, dpi > 0 ? dpi : 96); }

int TwipsToPixelsX(int twips) { return TwipsToPixels(twips, common::ScreenDpi().cx); }
int TwipsToPixelsY(int twips) { return TwipsToPixels(twips, common::ScreenDpi().cy); }
int PixelsToTwipsX(int pixels) { return PixelsToTwips(pixels, common::ScreenDpi().cx); }
int PixelsToTwipsY(int pixels) { return PixelsToTwips(pixels, common::ScreenDpi().cy); }

int SystemDpi() { return common::ScreenDpi().cy; }

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
