#include "forms/Form.h"

#include <algorithm>
#include <cstdlib>

#include "StartupMarks.h"
#include "WindowClass.h"
#include "forms/DialogFont.h"
#include "forms/MessageFilter.h"
#include "forms/Placement.h"
#include "forms/Twips.h"
#include "forms/WindowDpi.h"

namespace forms {
namespace {

constexpr const char* kClassName = kFormClassName;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
constexpr int kFirstControlId = 100;

void RegisterFormClass(WNDPROC windowProc) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  common::RegisterWindowClass(wc);
}

// A small gap between a window placed in a corner and the edges of the work area.
constexpr int kCornerMarginTwips = 120;

std::unique_ptr<Control> MakeControl(const ControlDesign& design) {
  switch (design.kind) {
    case ControlKind::CommandButton:
      return std::make_unique<CommandButton>(design);
    case ControlKind::CheckBox:
      return std::make_unique<CheckBox>(design);
    case ControlKind::TextBox:
      return std::make_unique<TextBox>(design);
    case ControlKind::Label:
      return std::make_unique<Label>(design);
  }
  return nullptr;
}

int16_t ModifierMask() {
  int16_t mask = 0;
  if (GetKeyState(VK_SHIFT) < 0) mask |= 1;
  if (GetKeyState(VK_CONTROL) < 0) mask |= 2;
  if (GetKeyState(VK_MENU) < 0) mask |= 4;
  return mask;
}

Form* FormOfWindow(HWND window) {
  HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
  for (Form* form : Forms()) {
    if (form->IsLoaded() && form->hWnd() == root) return form;
  }
  return nullptr;
}

// The form the user sees (the first shown one) to the front, with the keyboard focus.
// False when no form is shown (yet, or any more).
bool BringShownFormToFront() {
  for (Form* form : Forms()) {
    if (!form->Visible()) continue;
    HWND window = form->hWnd();
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    return true;
  }
  return false;
}

}  // namespace

std::vector<Form*>& Forms() {
  static std::vector<Form*> loaded;
  return loaded;
}

Form::Form(FormDesign design) : design_(std::move(design)) {
  for (const ControlDesign& control : design_.controls) controls_.push_back(MakeControl(control));
  for (auto& control : controls_) control->Reset();
}

// A form object that goes away takes its window with it, without running handlers of a
// half-destroyed object.
Form::~Form() { Teardown(); }

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;  // a handler that uses the form while it loads must not load it again
  RegisterFormClass(&Form::WindowProc);
  for (auto& control : controls_) control->Reset();
  for (Timer* timer : timers_) timer->Reset();
  focus_ = nullptr;

  // The window procedure takes the handle over at WM_NCCREATE, before any other message.
  CreateWindowExA(kExStyle, kClassName, design_.caption.c_str(), kStyle, 0, 0, 0, 0, nullptr,
                  nullptr, GetModuleHandleA(nullptr), this);
  const HWND window = window_.get();
  // Laid out for the monitor it opens on, whose DPI may differ from the one the system had at
  // sign-in (a laptop docked since, a remote session reconnected from another screen).
  dpi_ = WindowDpi(window);
  FitFrame();
  // A start of the program that is not elevated asks this one, when it is, to come forward.
  AllowMessageFromLowerIntegrity(window, BringToFrontMessage());
  if (design_.iconResource) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(design_.iconResource));
    // The one 32 x 32 image: the system scales it down where a small icon is shown, and
    // handing it over a second time as the small icon costs a conversion for nothing.
    if (icon) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  font_.reset(CreateDialogFont(dpi_));

  // Windows are created in tab order, so that the z-order is the tab order.
  std::vector<size_t> order(controls_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return controls_[a]->design().tabIndex < controls_[b]->design().tabIndex;
  });
  for (size_t i : order) {
    controls_[i]->CreateWindowOn(window, font_.get(), kFirstControlId + static_cast<int>(i), dpi_);
  }

  for (size_t i = 0; i < timers_.size(); ++i) timers_[i]->Attach(window, i + 1);

  Forms().push_back(this);
  STARTUP_MARK(startup::kForm);
  OnWindowCreated(window);
  STARTUP_MARK(startup::kControl);
  Form_Load();
}

void Form::Show() {
  const HWND window = hWnd();
  if (!window) return;
  // Moved since it was laid out (a saved place, a corner of the work area) onto a monitor of
  // another DPI: laid out again for that one before anybody sees it.
  if (const int dpi = WindowDpi(window); dpi != dpi_) {
    Relayout(dpi);
    FitFrame();
  }
  ShowWindow(window, SW_SHOW);
  STARTUP_MARK(startup::kShown);
  SetForegroundWindow(window);
  if (!focus_) FocusFirstControl();
}

HWND Form::hWnd() {
  Load();
  return window_.get();
}

int Form::Left() {
  RECT r{};
  GetWindowRect(hWnd(), &r);
  return PixelsToTwips(r.left, SystemDpi());
}

int Form::Top() {
  RECT r{};
  GetWindowRect(hWnd(), &r);
  return PixelsToTwips(r.top, SystemDpi());
}

void Form::SetLeft(int twips) { MoveTo(twips, Top()); }
void Form::SetTop(int twips) { MoveTo(Left(), twips); }
void Form::SetPosition(int leftTwips, int topTwips) { MoveTo(leftTwips, topTwips); }

void Form::MoveTo(int leftTwips, int topTwips) {
  int dpi = SystemDpi();
  SetWindowPos(hWnd(), nullptr, TwipsToPixels(leftTwips, dpi), TwipsToPixels(topTwips, dpi), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::MoveFrameTo(const RECT& frame) {
  SetWindowPos(hWnd(), nullptr, frame.left, frame.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::ZOrderFront() {
  const HWND window = hWnd();
  UINT flags = SWP_NOMOVE | SWP_NOSIZE;
  if (!IsWindowVisible(window)) flags |= SWP_NOACTIVATE;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
}

void Form::KeepOnScreen() {
  RECT r{};
  GetWindowRect(hWnd(), &r);
  RECT inside = KeepInsideWorkArea(r, DesktopMonitors());
  if (inside.left != r.left || inside.top != r.top) MoveFrameTo(inside);
}

void Form::PlaceAtBottomRight() {
  RECT r{};
  GetWindowRect(hWnd(), &r);
  // A copy: the list of monitors is gone at the end of this statement.
  const RECT work = DesktopMonitors().front().work;
  MoveFrameTo(BottomRight(SIZE{r.right - r.left, r.bottom - r.top}, work,
                          TwipsToPixels(kCornerMarginTwips, dpi_)));
}

void Form::FitFrame() {
  const SIZE client{TwipsToPixels(design_.clientWidth, dpi_),
                    TwipsToPixels(design_.clientHeight, dpi_)};
  const SIZE frame = FrameSize(client, kStyle, kExStyle, dpi_);
  SetWindowPos(window_.get(), nullptr, 0, 0, frame.cx, frame.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Relayout(int dpi) {
  if (!window_ || dpi <= 0) return;
  dpi_ = dpi;
  UniqueHfont font(CreateDialogFont(dpi_));
  for (auto& control : controls_) control->Place(font.get(), dpi_);
  font_ = std::move(font);  // the old font goes once no control uses it
}

void Form::Hide() {
  if (window_) ShowWindow(window_.get(), SW_HIDE);
}

bool Form::Visible() const { return window_ && IsWindowVisible(window_.get()); }

void Form::Unload() {
  if (!loaded_) return;
  Form_Unload();
  OnWindowDestroying();
  Teardown();
}

void Form::Teardown() {
  for (Timer* timer : timers_) timer->Detach();
  for (auto& control : controls_) control->DestroyWindowNow();
  // No message of the window's destruction reaches this form any more.
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
  font_.reset();
  focus_ = nullptr;
  loaded_ = false;
  auto& forms = Forms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void Form::DispatchKeyDown(HWND target, int16_t keyCode, int16_t shift) {
  if (Control* control = FindByWindow(target)) {
    if (control->KeyDown) control->KeyDown(keyCode, shift);
  } else if (target && target == window_.get()) {
    Form_KeyDown(keyCode, shift);
  }
}

CommandButton& Form::Button(const std::string& name) {
  return static_cast<CommandButton&>(Find(name, -1, ControlKind::CommandButton));
}

CheckBox& Form::Check(const std::string& name, int index) {
  return static_cast<CheckBox&>(Find(name, index, ControlKind::CheckBox));
}

TextBox& Form::Text(const std::string& name) {
  return static_cast<TextBox&>(Find(name, -1, ControlKind::TextBox));
}

Control& Form::Find(const std::string& name, int index, ControlKind kind) const {
  Control* control = Find(name, index);
  // A form asks only for the controls its own design table declares.
  if (!control || control->design().kind != kind) std::abort();
  return *control;
}

Control* Form::Find(const std::string& name, int index) const {
  for (const auto& control : controls_) {
    if (control->design().name == name && control->design().index == index) return control.get();
  }
  return nullptr;
}

Control* Form::FindByWindow(HWND window) const {
  for (; window && window != window_.get(); window = GetParent(window)) {
    for (const auto& control : controls_) {
      if (control->hWnd() == window) return control.get();
    }
  }
  return nullptr;
}

void Form::FocusFirstControl() {
  Control* first = nullptr;
  for (const auto& control : controls_) {
    if (!control->TakesFocus() || !control->Enabled() || !control->hWnd()) continue;
    if (!first || control->design().tabIndex < first->design().tabIndex) first = control.get();
  }
  focus_ = first ? first->hWnd() : window_.get();
  SetFocus(focus_);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCCREATE) form->window_.reset(window);
  if (message == WM_DESTROY) {
    // Destroyed from outside while its children still exist: what lives on the window
    // leaves first, as it does when the form unloads.
    form->OnWindowDestroying();
  } else if (message == WM_NCDESTROY) {
    // Destroyed from outside (the form's own teardown detaches first): the handle is gone,
    // so the form lets go of it without destroying it again, and is no longer loaded.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (form->window_.get() == window) form->window_.release();
    form->Teardown();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // A failing handler ends its own event, never the program.
    return 0;
  }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) STARTUP_MARK(startup::kFirstPaint);
  switch (message) {
    case WM_COMMAND:
      if (Control* control = FindByWindow(reinterpret_cast<HWND>(lParam))) {
        control->OnCommand(HIWORD(wParam));
      }
      return 0;
    case WM_TIMER:
      for (Timer* timer : timers_) {
        if (timer->id() == wParam && timer->Enabled() && timer->Tick) {
          timer->Tick();
          break;
        }
      }
      return 0;
    case WM_CLOSE:
      Form_Close();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // nothing to ask the user: the forms store what they keep as they unload
    case WM_ENDSESSION:
      // The process may end as soon as this returns: unload now, so every unload handler
      // runs as it does when the program ends by itself.
      if (wParam) UnloadAll();
      return 0;
    case WM_DPICHANGED: {
      Relayout(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      if (suggested) {
        SetWindowPos(window_.get(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_.get(), focus)) focus_ = focus;
      } else if (focus_ && IsWindow(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
        return 0;
      } else {
        FocusFirstControl();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      if (message == BringToFrontMessage()) return BringShownFormToFront() ? 1 : 0;
      if (LRESULT result = 0; OnWindowMessage(message, wParam, lParam, result)) return result;
      break;
  }
  return DefWindowProcA(window_.get(), message, wParam, lParam);
}

void UnloadAll() {
  while (!Forms().empty()) Forms().back()->Unload();
}

UINT BringToFrontMessage() {
  static const UINT message = RegisterWindowMessageA("WandrelForm.BringToFront");
  return message;
}

void RunMessageLoop() {
  MSG msg;
  while (!Forms().empty()) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  Form* form = FormOfWindow(msg.hwnd);
  if (!form) return false;
  // One key-down event per press: the repeats of a held key (bit 30, the key was down
  // already) still type and navigate, but raise no event.
  const bool repeat = (msg.lParam & (1L << 30)) != 0;
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && !repeat) {
    form->DispatchKeyDown(msg.hwnd, static_cast<int16_t>(msg.wParam), ModifierMask());
    // The handler may have unloaded the form.
    if (!form->IsLoaded()) return true;
  }
  return IsDialogMessageA(form->hWnd(), &msg) != FALSE;
}

}  // namespace forms
