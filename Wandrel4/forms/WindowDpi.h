// A window's DPI as the system knows it, through functions that newer Windows versions have
// and older ones lack (loaded where present); tests replace the DPI query to play a monitor
// the test machine lacks.
#pragma once

#include <windows.h>

namespace forms {

// The DPI of the monitor a window is on; the system DPI where the system cannot tell.
int WindowDpi(HWND window);

// The outer size of a window whose client area has this size at a DPI.
SIZE FrameSize(SIZE client, DWORD style, DWORD exStyle, int dpi);

using WindowDpiFn = UINT(WINAPI*)(HWND);
// Replaces the system's query (nullptr restores it) and returns the previous one.
WindowDpiFn SetWindowDpiFn(WindowDpiFn fn);

}  // namespace forms
