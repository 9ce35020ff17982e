// Which messages reach a window from processes of lower integrity: Explorer and a start of
// the program that is not elevated, when this one runs as administrator.
#pragma once

#include <windows.h>

namespace forms {

// Lets the message through to the window (Windows 7 and later; older systems filter none).
void AllowMessageFromLowerIntegrity(HWND window, UINT message);

using MessageFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
// Replaces the system's ChangeWindowMessageFilterEx (nullptr restores it), for tests on a
// system without integrity levels; returns the previous one.
MessageFilterFn SetMessageFilterFn(MessageFilterFn fn);

}  // namespace forms
