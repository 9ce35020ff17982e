#include "mKestrow.h"

#include <wrl/client.h>

#include <cstring>

#include "SystemFunction.h"
#include "WindowClass.h"
#include "cKestrow.h"
#include "usercontrol/Module.h"

namespace mKestrow {
namespace {

BOOL RealShellNotify(DWORD message, const NotifyIconRecord* record) noexcept {
  return Shell_NotifyIconA(
      message, reinterpret_cast<PNOTIFYICONDATAA>(const_cast<NotifyIconRecord*>(record)));
}

// Windows 7 and later; an older system has no message filter to pass.
MessageFilterFunction SystemMessageFilter() noexcept {
  static const MessageFilterFunction function =
      common::SystemFunction<BOOL WINAPI(HWND, UINT, DWORD, void*)>(L"user32.dll",
                                                                    "ChangeWindowMessageFilterEx");
  return function;
}

// The replaceable platform entry points: the module's only state besides the hooks.
ShellNotifyFunction g_shellNotify = &RealShellNotify;
MessageFilterFunction g_messageFilter = nullptr;  // nullptr: the system's

// Per window with our procedure in its chain: the procedure before ours. Kept while ours
// stays as a pass-through under a later subclass.
constexpr char kPrevWndProcProp[] = "Kestrow.PrevWndProc";
// Per window whose control is hooked: only then does the user data name a live control.
constexpr char kHookedProp[] = "Kestrow.Hooked";
constexpr char kShellWatchClass[] = "KestrowShellWatch";

NotifyIconRecord EmptyRecord(HWND hwnd, UINT id) noexcept {
  NotifyIconRecord record;
  std::memset(&record, 0, sizeof(record));
  record.cbSize = sizeof(NotifyIconRecord);
  record.hWnd = hwnd;
  record.uID = id;
  return record;
}

// The shell restart message is broadcast to top-level windows only. Once a host has made the
// control's window its child, this hidden top-level window hears it and passes it on.
LRESULT CALLBACK ShellWatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  // A live window of the library keeps the library loaded (DllCanUnloadNow).
  if (msg == WM_NCCREATE) usercontrol::ModuleAddRef();
  if (msg == WM_NCDESTROY) usercontrol::ModuleRelease();
  if (msg == TaskbarCreatedMessage()) {
    HWND target = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, 0));
    if (target && IsWindow(target) && (GetWindowLongPtrA(target, GWL_STYLE) & WS_CHILD)) {
      SendMessageA(target, msg, wParam, lParam);
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterShellWatchClass(HINSTANCE instance) noexcept {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ShellWatchProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.lpszClassName = kShellWatchClass;
  return common::RegisterWindowClass(wc);
}

}  // namespace

HWND CreateShellWatch(HWND target) noexcept {
  HINSTANCE instance = usercontrol::ModuleInstance();
  if (!RegisterShellWatchClass(instance)) return nullptr;
  HWND watch = CreateWindowExA(WS_EX_TOOLWINDOW, kShellWatchClass, "", WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, instance, nullptr);
  if (watch) {
    SetWindowLongPtrA(watch, 0, reinterpret_cast<LONG_PTR>(target));
    AllowFromShell(watch, TaskbarCreatedMessage());
  }
  return watch;
}

MessageFilterFunction SetMessageFilterFunction(MessageFilterFunction function) noexcept {
  MessageFilterFunction previous = g_messageFilter;
  g_messageFilter = function;
  return previous;
}

namespace {

void FilterFromShell(HWND hwnd, UINT message, DWORD action) noexcept {
  MessageFilterFunction filter = g_messageFilter ? g_messageFilter : SystemMessageFilter();
  if (filter) filter(hwnd, message, action, nullptr);
}

// Takes back what AllowFromShell let through.
void DisallowFromShell(HWND hwnd, UINT message) noexcept {
  FilterFromShell(hwnd, message, 2 /* MSGFLT_DISALLOW */);
}

}  // namespace

void AllowFromShell(HWND hwnd, UINT message) noexcept {
  FilterFromShell(hwnd, message, 1 /* MSGFLT_ALLOW */);
}

void UnregisterWindowClass() noexcept {
  UnregisterClassA(kShellWatchClass, usercontrol::ModuleInstance());
}

ShellNotifyFunction SetShellNotifyFunction(ShellNotifyFunction function) noexcept {
  ShellNotifyFunction previous = g_shellNotify;
  g_shellNotify = function ? function : &RealShellNotify;
  return previous;
}

void FillTip(CHAR (&tip)[64], std::wstring_view text) noexcept {
  // The text, one NUL, then blanks: 64 characters in all, each converted on its own so that a
  // double-byte code page cannot run past the field.
  size_t out = 0;
  for (size_t i = 0; i < 64 && out < 64; ++i) {
    wchar_t unit = i < text.size() ? text[i] : (i == text.size() ? L'\0' : L' ');
    CHAR bytes[8];
    int n = WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, sizeof(bytes), nullptr, nullptr);
    if (n <= 0) {
      bytes[0] = '?';
      n = 1;
    }
    if (out + static_cast<size_t>(n) > 64) break;
    std::memcpy(tip + out, bytes, static_cast<size_t>(n));
    out += static_cast<size_t>(n);
  }
  while (out < 64) tip[out++] = ' ';
}

NotifyIconRecord AddRecord(HWND hwnd, UINT id, bool withIcon, HICON icon,
                           std::wstring_view tip) noexcept {
  NotifyIconRecord record = EmptyRecord(hwnd, id);
  if (withIcon) {
    record.hIcon = icon;
    record.uFlags |= NIF_ICON;
  }
  if (!tip.empty()) {
    FillTip(record.szTip, tip);
    record.uFlags |= NIF_TIP;
  }
  record.uCallbackMessage = TRAY_CALLBACK_MSG;
  record.uFlags |= NIF_MESSAGE;
  return record;
}

NotifyIconRecord IconRecord(HWND hwnd, UINT id, HICON icon) noexcept {
  NotifyIconRecord record = EmptyRecord(hwnd, id);
  record.hIcon = icon;
  record.uFlags = NIF_ICON;
  return record;
}

NotifyIconRecord TipRecord(HWND hwnd, UINT id, std::wstring_view tip) noexcept {
  NotifyIconRecord record = EmptyRecord(hwnd, id);
  FillTip(record.szTip, tip);
  record.uFlags = NIF_TIP;
  return record;
}

NotifyIconRecord DeleteRecord(HWND hwnd, UINT id) noexcept { return EmptyRecord(hwnd, id); }

bool SendToShell(DWORD message, const NotifyIconRecord& record) noexcept {
  // A tip of 64 characters or more carries no NUL inside the record. A zero byte right after
  // it keeps a shell that reads the tip as a C string from running past the record.
  struct {
    NotifyIconRecord record;
    CHAR terminator;
  } request;
  std::memset(&request, 0, sizeof(request));
  request.record = record;
  return g_shellNotify(message, &request.record) != FALSE;
}

bool InstallHook(HWND hwnd, cKestrow* control) noexcept {
  // The marks are made first: once the procedure is replaced, nothing may fail any more.
  if (!SetPropA(hwnd, kHookedProp, reinterpret_cast<HANDLE>(1))) return false;
  // A window that still has ours in its chain (hooked, or passing messages on under a later
  // subclass) is not hooked again: ours would become its own previous procedure.
  if (!PrevWndProc(hwnd)) {
    LONG_PTR previous = 0;
    if (SetPropA(hwnd, kPrevWndProcProp, nullptr)) {
      previous = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrayWindowProc));
    }
    if (!previous) {
      RemovePropA(hwnd, kPrevWndProcProp);
      RemovePropA(hwnd, kHookedProp);
      return false;
    }
    SetPropA(hwnd, kPrevWndProcProp, reinterpret_cast<HANDLE>(previous));
  }
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  AllowFromShell(hwnd, TaskbarCreatedMessage());
  AllowFromShell(hwnd, TRAY_CALLBACK_MSG);
  return true;
}

void RemoveHook(HWND hwnd) noexcept {
  RemovePropA(hwnd, kHookedProp);
  // Without the icon nothing of the shell's is expected: what an elevated host let through
  // for it is taken back.
  DisallowFromShell(hwnd, TaskbarCreatedMessage());
  DisallowFromShell(hwnd, TRAY_CALLBACK_MSG);
  WNDPROC previous = PrevWndProc(hwnd);
  // Only while ours is the current procedure can the previous one go back. A later subclass
  // keeps ours as its previous: putting ours' previous back would cut that one out, and its
  // own un-hooking would later put ours back with nothing to pass on to.
  if (previous &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == &TrayWindowProc) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(hwnd, kPrevWndProcProp);
  }
}

WNDPROC PrevWndProc(HWND hwnd) noexcept {
  return reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPrevWndProcProp));
}

UINT TaskbarCreatedMessage() noexcept {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  // Read first: a handler may destroy the control, and the window with it.
  WNDPROC previous = PrevWndProc(hwnd);
  // Only a hooked window's user data names a live control.
  const bool ours = msg == TRAY_CALLBACK_MSG || msg == TaskbarCreatedMessage() ||
                    (msg == WM_TIMER && wParam == kRetryTimerId);
  if (previous && ours && GetPropA(hwnd, kHookedProp)) {
    auto* control = reinterpret_cast<cKestrow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // Held for the dispatch, so that a handler releasing the control's last reference does
    // not pull it away while it is still raising events. A control whose last reference is
    // already gone (its teardown runs and let this message in) is not brought back.
    if (control && control->HoldForDispatch()) {
      if (msg == TRAY_CALLBACK_MSG) {
        LONG message = static_cast<LONG>(lParam);
        LONG id = static_cast<LONG>(wParam);
        control->TrayNotify(message, id);
        // The handlers' Id is the wParam the previous procedure receives.
        wParam = static_cast<WPARAM>(static_cast<ULONG>(id));
      } else if (msg == WM_TIMER) {
        control->TrayRetry();
      } else {
        control->TrayRestore();
      }
      control->Release();
    }
  }
  if (!previous) return DefWindowProcA(hwnd, msg, wParam, lParam);
  LRESULT result = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
  // A window destroyed while hooked (its host went first) leaves no property behind.
  if (msg == WM_NCDESTROY) {
    RemovePropA(hwnd, kPrevWndProcProp);
    RemovePropA(hwnd, kHookedProp);
  }
  return result;
}

}  // namespace mKestrow
