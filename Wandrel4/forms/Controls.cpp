#include "forms/Controls.h"

#include "forms/AccessibleName.h"
#include "forms/Twips.h"

namespace forms {

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Control::Reset() { enabled_ = design_.enabled; }

void Control::CreateWindowOn(HWND parent, HFONT font, int id, int dpi) {
  DWORD style = WS_CHILD | WS_VISIBLE | Style();
  if (!enabled_) style |= WS_DISABLED;
  DWORD exStyle = design_.kind == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
  if (exStyle) style &= ~WS_BORDER;
  hwnd_ = CreateWindowExA(exStyle, WindowClass(), InitialText().c_str(), style,
                          TwipsToPixels(design_.left, dpi), TwipsToPixels(design_.top, dpi),
                          TwipsToPixels(design_.width, dpi), TwipsToPixels(design_.height, dpi),
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleA(nullptr), nullptr);
  if (hwnd_ && font) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (!hwnd_) return;
  AfterCreate();
  if (AccName || !design_.accName.empty()) {
    AnswerAccessibleName(hwnd_, [this] { return AccName ? AccName() : design_.accName; });
  }
}

void Control::Place(HFONT font, int dpi) {
  if (!hwnd_) return;
  SetWindowPos(hwnd_, nullptr, TwipsToPixels(design_.left, dpi), TwipsToPixels(design_.top, dpi),
               TwipsToPixels(design_.width, dpi), TwipsToPixels(design_.height, dpi),
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::DestroyWindowNow() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void CommandButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextA(hwnd_, caption_.c_str());
}

void CommandButton::Reset() {
  Control::Reset();
  caption_ = design_.caption;
}

void CommandButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && Click) Click();
}

void CheckBox::SetValue(int value) {
  if (value < 0 || value > 2) value = 0;
  if (value == value_) return;
  value_ = value;
  if (hwnd_) SendMessageA(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value_), 0);
  if (Click) Click();
}

void CheckBox::Reset() {
  Control::Reset();
  value_ = design_.value;
}

void CheckBox::AfterCreate() { SendMessageA(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value_), 0); }

void CheckBox::OnCommand(WORD code) {
  // A click by hand checks an unchecked box and unchecks a checked or grayed one.
  if (code == BN_CLICKED) SetValue(value_ == 0 ? 1 : 0);
}

void TextBox::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (hwnd_) {
    ++settingText_;
    SetWindowTextA(hwnd_, text_.c_str());
    --settingText_;
  }
  if (Change) Change();
}

void TextBox::Reset() {
  Control::Reset();
  text_ = design_.caption;
}

void TextBox::OnCommand(WORD code) {
  if (code != EN_CHANGE || settingText_ > 0 || !hwnd_) return;
  int length = GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(hwnd_, text.data(), length + 1)));
  if (text == text_) return;
  text_ = std::move(text);
  if (Change) Change();
}

}  // namespace forms
