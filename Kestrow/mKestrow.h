// The control's link to the shell: the notification-icon records and the requests that carry
// them, the hook on the control's window, and the window procedure that turns the shell's
// callback message into the control's events.
#pragma once

#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#include <string_view>

class cKestrow;

namespace mKestrow {

// The message the shell sends to the icon's window for mouse activity over the icon.
constexpr UINT TRAY_CALLBACK_MSG = WM_USER + 101;  // 1125

// The shell's notification-icon record in its first form (88 bytes on 32-bit Windows), for
// the narrow-character entry point.
struct NotifyIconRecord {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
static_assert(sizeof(NotifyIconRecord) == NOTIFYICONDATAA_V1_SIZE);
#ifndef _WIN64
static_assert(sizeof(NotifyIconRecord) == 88);
static_assert(offsetof(NotifyIconRecord, szTip) == 24);
#endif

// The one function through which every request reaches the shell. Tests replace it to see
// the records; nullptr puts Shell_NotifyIconA back. Returns the function it replaces.
using ShellNotifyFunction = BOOL (*)(DWORD message, const NotifyIconRecord* record) noexcept;
ShellNotifyFunction SetShellNotifyFunction(ShellNotifyFunction function) noexcept;

// The 64 tip bytes: the text with one NUL appended, cut to 64 characters, blanks after it,
// in the system code page.
void FillTip(CHAR (&tip)[64], std::wstring_view text) noexcept;

// Records as each request sends them: zero everywhere but the fields named for it.
NotifyIconRecord AddRecord(HWND hwnd, UINT id, bool withIcon, HICON icon,
                           std::wstring_view tip) noexcept;
NotifyIconRecord IconRecord(HWND hwnd, UINT id, HICON icon) noexcept;
NotifyIconRecord TipRecord(HWND hwnd, UINT id, std::wstring_view tip) noexcept;
NotifyIconRecord DeleteRecord(HWND hwnd, UINT id) noexcept;
// Returns whether the shell accepted the request. The control's fields change as if every
// request succeeded; only a refused add is tried again (see cKestrow).
bool SendToShell(DWORD message, const NotifyIconRecord& record) noexcept;

// Hooks the control's window: TrayWindowProc becomes its procedure, the previous one is kept
// for that window (PrevWndProc), and the window's user data holds the control, uncounted.
// The shell's messages are let through to it. All or nothing: false leaves the window as it
// was. A window already hooked stays hooked once, so its procedure can never be its own
// previous one.
bool InstallHook(HWND hwnd, cKestrow* control) noexcept;
// Unhooks: the window's previous procedure goes back when ours is still the current one;
// under a later subclass ours stays and only passes messages on. The shell's messages are
// kept out again. The user data is left as it is.
void RemoveHook(HWND hwnd) noexcept;

// The procedure before ours while ours is in the window's chain, else nullptr.
WNDPROC PrevWndProc(HWND hwnd) noexcept;

LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

// A hidden top-level window that hears the shell's restart broadcast for the control's window
// (which stops hearing it once a host makes it a child). The caller owns and destroys it.
HWND CreateShellWatch(HWND target) noexcept;

// Lets a message of the shell through to a window of an elevated host: Explorer runs at
// medium integrity, and Windows drops its messages to a window of a higher one.
void AllowFromShell(HWND hwnd, UINT message) noexcept;
// The function that lets a message through: the system's ChangeWindowMessageFilterEx where
// it has one (Windows 7 and later). Tests replace it to see what was asked; nullptr puts the
// system's back. Returns the function it replaces.
using MessageFilterFunction = BOOL(WINAPI*)(HWND hwnd, UINT message, DWORD action, void* status);
MessageFilterFunction SetMessageFilterFunction(MessageFilterFunction function) noexcept;

// Removes the window class of the shell-restart listeners; for the module's unload.
void UnregisterWindowClass() noexcept;

// The timer on the control's window that tries a refused add again.
constexpr UINT_PTR kRetryTimerId = 0x4B45;

// Registered message the shell broadcasts to top-level windows when it (re)starts.
UINT TaskbarCreatedMessage() noexcept;

}  // namespace mKestrow
