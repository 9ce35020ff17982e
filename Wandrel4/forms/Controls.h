// The controls a form is made of. Each keeps its state while the form is not loaded and
// mirrors it into its window while the form is; events are plain callbacks the form sets.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "forms/Design.h"

namespace forms {

using KeyDownHandler = std::function<void(int16_t& KeyCode, int16_t& Shift)>;

class Control {
 public:
  explicit Control(ControlDesign design) : design_(std::move(design)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlDesign& design() const { return design_; }
  HWND hWnd() const { return hwnd_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  KeyDownHandler KeyDown;
  // A name for screen readers that follows the control's state, asked each time one asks;
  // set before the form loads. Without it the design table's name holds.
  std::function<std::string()> AccName;

  // Used by the form: back to the design state, window creation and removal, and the
  // notifications the parent receives for the control.
  virtual void Reset();
  void CreateWindowOn(HWND parent, HFONT font, int id, int dpi);
  // Puts the window where the design table has it at a DPI, with that DPI's font.
  void Place(HFONT font, int dpi);
  void DestroyWindowNow();
  virtual void OnCommand(WORD /*code*/) {}
  virtual bool TakesFocus() const { return true; }

 protected:
  virtual const char* WindowClass() const = 0;
  virtual DWORD Style() const = 0;
  virtual std::string InitialText() const { return design_.caption; }
  virtual void AfterCreate() {}

  ControlDesign design_;
  HWND hwnd_ = nullptr;
  bool enabled_ = true;
};

class CommandButton : public Control {
 public:
  using Control::Control;
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  std::function<void()> Click;

  void Reset() override;
  void OnCommand(WORD code) override;

 protected:
  const char* WindowClass() const override { return "BUTTON"; }
  DWORD Style() const override { return BS_PUSHBUTTON | WS_TABSTOP; }
  std::string InitialText() const override { return caption_; }

 private:
  std::string caption_;
};

class CheckBox : public Control {
 public:
  using Control::Control;
  int Value() const { return value_; }
  // Raises Click whenever the value changes, whether by the user or by code.
  void SetValue(int value);
  std::function<void()> Click;

  void Reset() override;
  void OnCommand(WORD code) override;

 protected:
  const char* WindowClass() const override { return "BUTTON"; }
  DWORD Style() const override { return BS_3STATE | WS_TABSTOP; }
  void AfterCreate() override;

 private:
  int value_ = 0;
};

class TextBox : public Control {
 public:
  using Control::Control;
  std::string Text() const { return text_; }
  // Raises Change at once, also when called from inside a Change handler.
  void SetText(const std::string& text);
  std::function<void()> Change;

  void Reset() override;
  void OnCommand(WORD code) override;

 protected:
  const char* WindowClass() const override { return "EDIT"; }
  DWORD Style() const override { return ES_AUTOHSCROLL | ES_LEFT | WS_BORDER | WS_TABSTOP; }
  std::string InitialText() const override { return text_; }

 private:
  std::string text_;
  int settingText_ = 0;  // our own WM_SETTEXT in progress: its EN_CHANGE is not the user's
};

class Label : public Control {
 public:
  using Control::Control;
  bool TakesFocus() const override { return false; }

 protected:
  const char* WindowClass() const override { return "STATIC"; }
  // A label one line high keeps its text on that line rather than wrapping a word out of
  // sight; taller labels wrap within their width.
  DWORD Style() const override {
    return (design_.height < 2 * kLineTwips ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_NOPREFIX;
  }

 private:
  static constexpr int kLineTwips = 195;  // one line of 8-point text
};

}  // namespace forms
