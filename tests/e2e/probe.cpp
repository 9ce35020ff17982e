// The end-to-end tests' eyes on the Windows side: what a person sees of the program's
// windows (positions, captions, states), the settings key, and clicks that arrive at a
// window of its own. Prints plain lines for the Python tests to read.
//
//   probe windows                      top-level windows: title|x|y|w|h|visible|topmost
//   probe children TITLE               controls of a window: text|class|x|y|w|h|enabled|checked
//   probe names TITLE                  the controls Tab reaches (enabled or not), in tab order,
//                                      as a screen reader asks for their names:
//                                      name|text|x|y|w|h
//   probe client TITLE                 the client area of a window on the screen: x|y|w|h
//   probe settings                     values of HKCU\Software\Wandrel4: name|type|data
//   probe clicks X Y W H SECONDS       a topmost window there; prints down|up x y per click
//   probe cursor                       where Windows has the cursor: x|y
//   probe move TITLE X Y               moves a top-level window, as a drag by its caption would
//   probe menus                        how many popup menus are open on the screen
//   probe instance SHOW RELEASE END    plays another Wandrel that starts or ends slowly: takes
//                                      the one-instance claim, shows a form at SHOW ms (-1:
//                                      never), answers the bring-to-front request while shown,
//                                      lets the claim go at RELEASE ms, ends at END ms; prints
//                                      claimed, shown, brought to the front (asked while
//                                      hidden), released
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A window's caption, read without sending it a message: a program that is busy starting
// up never holds the probe up.
std::string TextOf(HWND window) {
  char text[512]{};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// A control's text through WM_GETTEXT, which reaches another process's edit box too; line
// breaks become blanks, so that one control stays one line of output.
std::string ControlText(HWND window) {
  char text[1024]{};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 500, &copied);
  std::string line = text;
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
  RECT r{};
  GetWindowRect(window, &r);
  std::string title = TextOf(window);
  if (title.empty()) return TRUE;
  bool topmost = (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  std::printf("%s|%ld|%ld|%ld|%ld|%d|%d\n", title.c_str(), r.left, r.top, r.right - r.left,
              r.bottom - r.top, IsWindowVisible(window) ? 1 : 0, topmost ? 1 : 0);
  return TRUE;
}

BOOL CALLBACK PrintChild(HWND window, LPARAM) {
  RECT r{};
  GetWindowRect(window, &r);
  char cls[64]{};
  GetClassNameA(window, cls, sizeof cls);
  LRESULT checked = _stricmp(cls, "Button") == 0 ? SendMessageA(window, BM_GETCHECK, 0, 0) : 0;
  std::printf("%s|%s|%ld|%ld|%ld|%ld|%d|%d\n", ControlText(window).c_str(), cls, r.left, r.top,
              r.right - r.left, r.bottom - r.top, IsWindowEnabled(window) ? 1 : 0,
              static_cast<int>(checked));
  return TRUE;
}

// IAccessible's identifier: MinGW's, linked statically, is not the system's.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The name a screen reader hears: the client object's, asked from this other process.
std::string AccessibleName(HWND window) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        reinterpret_cast<void**>(&object)))) {
    return "(no object)";
  }
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  HRESULT hr = object->get_accName(self, &name);
  object->Release();
  std::string text;
  if (SUCCEEDED(hr) && name) {
    char narrow[512]{};
    WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
    text = narrow;
  }
  SysFreeString(name);
  return text;
}

// Children come in z-order, which is the forms' tab order.
BOOL CALLBACK PrintName(HWND window, LPARAM) {
  if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP) || !IsWindowVisible(window)) return TRUE;
  RECT r{};
  GetWindowRect(window, &r);
  std::printf("%s|%s|%ld|%ld|%ld|%ld\n", AccessibleName(window).c_str(),
              ControlText(window).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top);
  return TRUE;
}

int Settings() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wandrel4", 0, KEY_READ, &key) != 0) {
    std::printf("(no key)\n");
    return 0;
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[2048];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != 0) break;
    std::string text(reinterpret_cast<char*>(data), dataSize);
    if (!text.empty() && text.back() == '\0') text.pop_back();
    std::printf("%s|%lu|%s\n", name, type, text.c_str());
  }
  RegCloseKey(key);
  return 0;
}

LRESULT CALLBACK ClickProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    std::printf("%s %ld %ld %lu\n", message == WM_LBUTTONDOWN ? "down" : "up", p.x, p.y,
                GetTickCount());
    std::fflush(stdout);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Clicks(int x, int y, int w, int h, int seconds) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ClickProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = "ProbeClicks";
  RegisterClassA(&wc);
  HWND window =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "ProbeClicks", "probe clicks",
                      WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
  std::printf("ready\n");
  std::fflush(stdout);
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  DestroyWindow(window);
  return 0;
}

// The names the program uses for its claim, its forms and its bring-to-front request.
constexpr wchar_t kClaimName[] = L"Local\\Wandrel4.SingleInstance";
constexpr char kFormClass[] = "WandrelForm";

void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

LRESULT CALLBACK InstanceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT bringToFront = RegisterWindowMessageA("WandrelForm.BringToFront");
  if (message == bringToFront) {
    // As a form answers: brought forward only when shown.
    const bool shown = IsWindowVisible(window) != FALSE;
    Say(shown ? "brought to the front" : "asked while hidden");
    return shown ? 1 : 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Instance(int showMs, int releaseMs, int endMs) {
  HANDLE claim = CreateMutexW(nullptr, FALSE, kClaimName);
  if (!claim || WaitForSingleObject(claim, 0) != WAIT_OBJECT_0) return 2;
  Say("claimed");
  WNDCLASSA wc{};
  wc.lpfnWndProc = InstanceProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kFormClass;
  RegisterClassA(&wc);
  // Like a form of the program: there from the start, hidden until shown.
  HWND form = CreateWindowExA(WS_EX_TOOLWINDOW, kFormClass, "probe instance", WS_CAPTION, 700, 500,
                              160, 60, nullptr, nullptr, wc.hInstance, nullptr);
  const DWORD start = GetTickCount();
  bool released = false;
  MSG msg;
  for (;;) {
    const int elapsed = static_cast<int>(GetTickCount() - start);
    if (showMs >= 0 && elapsed >= showMs && form && !IsWindowVisible(form)) {
      ShowWindow(form, SW_SHOWNOACTIVATE);
      Say("shown");
    }
    if (!released && elapsed >= releaseMs) {
      if (form) DestroyWindow(form);
      form = nullptr;
      ReleaseMutex(claim);
      released = true;
      Say("released");
    }
    if (elapsed >= endMs) break;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  CloseHandle(claim);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "windows") return EnumWindows(PrintTopLevel, 0) ? 0 : 0;
  if (command == "children" && argc > 2) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (!window) return 2;
    EnumChildWindows(window, PrintChild, 0);
    return 0;
  }
  if (command == "names" && argc > 2) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (!window || FAILED(CoInitialize(nullptr))) return 2;
    EnumChildWindows(window, PrintName, 0);
    CoUninitialize();
    return 0;
  }
  if (command == "client" && argc > 2) {
    HWND window = FindWindowA(nullptr, argv[2]);
    RECT r{};
    if (!window || !GetClientRect(window, &r)) return 2;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("%ld|%ld|%ld|%ld\n", origin.x, origin.y, r.right, r.bottom);
    return 0;
  }
  if (command == "settings") return Settings();
  if (command == "menus") {
    int open = 0;
    for (HWND m = nullptr; (m = FindWindowExA(nullptr, m, "#32768", nullptr)) != nullptr;) {
      open += IsWindowVisible(m) ? 1 : 0;
    }
    std::printf("%d\n", open);
    return 0;
  }
  if (command == "cursor") {
    POINT p{};
    if (!GetCursorPos(&p)) return 2;
    std::printf("%ld|%ld\n", p.x, p.y);
    return 0;
  }
  if (command == "move" && argc > 4) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (!window) return 2;
    SetWindowPos(window, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (command == "send" && argc > 4) {  // a message to a window, as the system sends it
    HWND window = FindWindowA(nullptr, argv[2]);
    if (!window) return 1;
    SendMessageA(window, static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                 std::strtoul(argv[4], nullptr, 0), 0);
    return 0;
  }
  if (command == "clicks" && argc > 6) {
    return Clicks(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                  std::atoi(argv[6]));
  }
  if (command == "instance" && argc > 4) {
    return Instance(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
  }
  std::fprintf(stderr,
               "usage: probe windows | children TITLE | names TITLE | client TITLE | settings | "
               "clicks X Y W H S "
               "| cursor | move TITLE X Y | menus | instance SHOW RELEASE END\n");
  return 1;
}
