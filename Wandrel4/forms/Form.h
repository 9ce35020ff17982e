// A form: a fixed-size tool window built from its design table. It loads on first use,
// shows modeless, hides without losing anything, and unloads; Forms() lists the loaded ones
// and the message loop runs until that list is empty.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Handles.h"
#include "forms/Controls.h"
#include "forms/Design.h"
#include "forms/Timer.h"

namespace forms {

// The window class of every form.
constexpr char kFormClassName[] = "WandrelForm";

class Form {
 public:
  explicit Form(FormDesign design);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  bool IsLoaded() const { return loaded_; }
  void Load();
  // The form's window; the first use loads the form. Every accessor below that needs the
  // window goes through here, so a form loads in this one place.
  HWND hWnd();
  void Show();
  int Left();  // twips, outer edge
  int Top();
  void SetLeft(int twips);
  void SetTop(int twips);
  // Left and Top at once, in one move.
  void SetPosition(int leftTwips, int topTwips);
  // Brings the window to the front of the z-order; a hidden window stays hidden.
  void ZOrderFront();
  // Moves the window, keeping its size, wholly into the work area of its nearest monitor.
  void KeepOnScreen();
  // Puts the window at the bottom right of the primary monitor's work area, a small margin
  // away from the taskbar and the notification area.
  void PlaceAtBottomRight();
  // The DPI the window and its controls are laid out for.
  int Dpi() const { return dpi_; }
  // Lays the window's controls and font out again from the design table at a DPI.
  void Relayout(int dpi);

  void Hide();
  bool Visible() const;
  void Unload();

  const std::string& Caption() const { return design_.caption; }

  // Key-down from the message loop: once, to the focused control, or to the form itself.
  void DispatchKeyDown(HWND target, int16_t keyCode, int16_t shift);

 protected:
  virtual void Form_Load() {}
  virtual void Form_Unload() {}
  virtual void Form_KeyDown(int16_t& /*KeyCode*/, int16_t& /*Shift*/) {}
  // The close box. Unloads the form unless a form decides otherwise.
  virtual void Form_Close() { Unload(); }
  // Around the window's life, for things that live on the window besides the controls.
  virtual void OnWindowCreated(HWND /*window*/) {}
  virtual void OnWindowDestroying() {}
  // Any other message of the form's window; true when the form handled it, with `result`.
  virtual bool OnWindowMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) {
    return false;
  }

  CommandButton& Button(const std::string& name);
  CheckBox& Check(const std::string& name, int index = -1);
  TextBox& Text(const std::string& name);
  void AddTimer(Timer& timer) { timers_.push_back(&timer); }

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  Control* Find(const std::string& name, int index) const;
  Control& Find(const std::string& name, int index, ControlKind kind) const;
  Control* FindByWindow(HWND window) const;
  void FocusFirstControl();
  void MoveTo(int leftTwips, int topTwips);
  void MoveFrameTo(const RECT& frame);
  // The window's outer size for the design's client area at the form's DPI.
  void FitFrame();
  // The one way a form lets go of its window, for Unload, for the destructor and for a
  // window destroyed from outside: timers and controls detached, the window destroyed
  // unless it is gone already, the form out of the list of loaded forms.
  void Teardown();

  FormDesign design_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<Timer*> timers_;
  UniqueHfont font_;
  UniqueHwnd window_;
  HWND focus_ = nullptr;
  bool loaded_ = false;
  int dpi_ = 96;
};

// The loaded forms, in the order they were loaded.
std::vector<Form*>& Forms();

// Unloads every loaded form, the last loaded first, as the program does when it ends.
void UnloadAll();

// The message a second start of the program sends to a form of the first one: bring the
// shown form to the front. The answer is 1 when a form was shown and brought forward, 0 when
// none is shown.
UINT BringToFrontMessage();

// Delivers messages until no form is loaded any more.
void RunMessageLoop();

// Keyboard handling that belongs to the forms (key-down events, tab navigation). True when
// the message was handled and must not be dispatched again.
bool PreTranslate(MSG& msg);

}  // namespace forms
