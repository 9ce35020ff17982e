// The forms layer's promises: events with the toolkit's re-entrancy, timers, key-down to
// the focused control only, loading and unloading, twips.
#include <gtest/gtest.h>

#include "ProgramTest.h"
#include "SystemFunction.h"
#include "forms/Form.h"
#include "forms/Twips.h"

namespace {

using forms::ControlKind;

forms::FormDesign SampleDesign() {
  return {"Sample",
          3000,
          1500,
          0,
          {
              {ControlKind::CheckBox, "chk", 0, "First", "", 0, 0, 1500, 300, 1},
              {ControlKind::CheckBox, "chk", 1, "Second", "", 0, 300, 1500, 300, 0},
              {ControlKind::TextBox, "txt", -1, "7", "", 0, 600, 1500, 300, 2},
              {ControlKind::CommandButton, "cmd", -1, "Go", "", 0, 900, 1500, 300, 3, false},
              {ControlKind::Label, "lbl", -1, "A label", "", 1500, 0, 1500, 300, 4},
          }};
}

class SampleForm : public forms::Form {
 public:
  SampleForm() : forms::Form(SampleDesign()) {
    AddTimer(timer);
    timer.Tick = [this] { ++ticks; };
  }
  using forms::Form::Button;
  using forms::Form::Check;
  using forms::Form::Text;

  forms::Timer timer{0, false};
  int ticks = 0;
  int loads = 0, unloads = 0;

 protected:
  void Form_Load() override { ++loads; }
  void Form_Unload() override { ++unloads; }
};

// Kestrow.ocx lies beside the test program as a planted DLL would beside Wandrel4.exe: a
// bare name finds it there, a system function never does.
TEST(Forms, SystemFunctionsComeFromTheSystemFolderOnly) {
  HMODULE planted = LoadLibraryExW(L"Kestrow.ocx", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(planted);
  FreeLibrary(planted);
  EXPECT_FALSE((common::SystemFunction<HRESULT WINAPI()>(L"Kestrow.ocx", "DllRegisterServer")));
  EXPECT_TRUE((common::SystemFunction<LRESULT WINAPI(REFIID, WPARAM, IUnknown*)>(
      L"oleacc.dll", "LresultFromObject")));
}

TEST(Forms, CheckBoxRaisesClickOnEveryChangeOfValueAndOnlyThen) {
  SampleForm form;
  form.Load();
  int clicks = 0;
  form.Check("chk", 0).Click = [&] { ++clicks; };
  form.Check("chk", 0).SetValue(1);
  form.Check("chk", 0).SetValue(1);
  form.Check("chk", 0).SetValue(2);
  EXPECT_EQ(2, clicks);
  EXPECT_EQ(BST_INDETERMINATE, SendMessageA(form.Check("chk", 0).hWnd(), BM_GETCHECK, 0, 0));

  // A click by hand (as the button reports it) toggles the box and raises Click once.
  form.Check("chk", 0).SetValue(0);
  clicks = 0;
  SendMessageA(form.Check("chk", 0).hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, clicks);
  EXPECT_EQ(1, form.Check("chk", 0).Value());
  form.Unload();
}

TEST(Forms, ClickHandlerThatResetsItsOwnBoxEndsWithTheValueItChose) {
  SampleForm form;
  form.Load();
  forms::CheckBox& box = form.Check("chk", 1);
  int clicks = 0;
  box.Click = [&] {
    ++clicks;
    box.SetValue(0);  // like a box that must show a state of its own
  };
  SendMessageA(box.hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(0, box.Value());
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(box.hWnd(), BM_GETCHECK, 0, 0));
  EXPECT_EQ(2, clicks);  // the hand click, then the handler's own change back
  form.Unload();
}

TEST(Forms, TextBoxChangeIsRaisedAgainWhenTheHandlerChangesTheText) {
  SampleForm form;
  form.Load();
  forms::TextBox& box = form.Text("txt");
  std::vector<std::string> seen;
  box.Change = [&] {
    seen.push_back(box.Text());
    if (box.Text().size() != 1) box.SetText("7");
  };
  box.SetText("75");
  EXPECT_EQ((std::vector<std::string>{"75", "7"}), seen);
  EXPECT_EQ("7", box.Text());

  // Typing into the window itself raises Change as well, with the window's text.
  seen.clear();
  SetWindowTextA(box.hWnd(), "3");
  EXPECT_EQ((std::vector<std::string>{"3"}), seen);
  EXPECT_EQ("3", box.Text());
  form.Unload();
}

TEST(Forms, TimerWithPeriodZeroNeverTicksAndEnablingStartsIt) {
  SampleForm form;
  form.Load();
  form.timer.SetEnabled(true);
  test::Pump(200);
  EXPECT_EQ(0, form.ticks);

  form.timer.SetInterval(20);
  EXPECT_TRUE(test::PumpUntil([&] { return form.ticks >= 2; }, 5000));
  form.timer.SetEnabled(false);
  int ticks = form.ticks;
  test::Pump(100);
  EXPECT_EQ(ticks, form.ticks);
  form.Unload();
}

TEST(Forms, KeyDownGoesOnceToTheFocusedControlWithTheModifierMask) {
  SampleForm form;
  form.Show();
  std::vector<std::string> seen;
  auto record = [&](const char* who) {
    return [&seen, who](int16_t& key, int16_t& shift) {
      seen.push_back(std::string(who) + ":" + std::to_string(key) + ":" + std::to_string(shift));
    };
  };
  form.Check("chk", 0).KeyDown = record("chk0");
  form.Check("chk", 1).KeyDown = record("chk1");
  form.Text("txt").KeyDown = record("txt");

  // The lowest tab index holds the focus when the form opens.
  EXPECT_EQ(form.Check("chk", 1).hWnd(), GetFocus());

  BYTE keys[256]{};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SetFocus(form.Text("txt").hWnd());
  MSG msg{form.Text("txt").hWnd(), WM_KEYDOWN, 'K', 0, 0, {}};
  forms::PreTranslate(msg);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ((std::vector<std::string>{"txt:75:2"}), seen);
  form.Unload();
}

TEST(Forms, LoadingUnloadingAndTheFormsList) {
  SampleForm form;
  EXPECT_FALSE(form.IsLoaded());
  HWND window = form.hWnd();  // first use loads
  EXPECT_TRUE(form.IsLoaded());
  EXPECT_EQ(1, form.loads);
  ASSERT_EQ(1u, forms::Forms().size());
  EXPECT_EQ(&form, forms::Forms().front());
  EXPECT_FALSE(form.Visible());

  form.Text("txt").SetText("5");
  form.Button("cmd").SetEnabled(true);
  form.Show();
  EXPECT_TRUE(form.Visible());
  form.Hide();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(IsWindow(window));

  form.Unload();
  EXPECT_EQ(1, form.unloads);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(forms::Forms().empty());

  // Loading again starts from the design state.
  form.Load();
  EXPECT_EQ("7", form.Text("txt").Text());
  EXPECT_FALSE(form.Button("cmd").Enabled());
  EXPECT_FALSE(IsWindowEnabled(form.Button("cmd").hWnd()));
  form.Unload();
}

TEST(Forms, AWindowDestroyedFromOutsideLeavesTheFormUnloadedAndReadyToLoadAgain) {
  SampleForm form;
  HWND window = form.hWnd();
  form.timer.SetInterval(10);
  form.timer.SetEnabled(true);
  DestroyWindow(window);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_TRUE(forms::Forms().empty());
  EXPECT_EQ(0, form.unloads);  // the window is gone: nothing left to store from it
  test::Pump(60);
  EXPECT_EQ(0, form.ticks);

  HWND again = form.hWnd();
  EXPECT_TRUE(IsWindow(again));
  EXPECT_EQ(2, form.loads);
  EXPECT_EQ(std::vector<forms::Form*>{&form}, forms::Forms());
  form.Unload();
  EXPECT_EQ(1, form.unloads);
  EXPECT_FALSE(IsWindow(again));
}

TEST(Forms, AFormObjectThatGoesAwayTakesItsWindowAndLeavesTheList) {
  HWND window = nullptr;
  {
    SampleForm form;
    window = form.hWnd();
    form.Show();
    ASSERT_EQ(1u, forms::Forms().size());
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(forms::Forms().empty());
  test::Pump(30);  // no message reaches the object that is gone
}

TEST(Forms, SizesComeFromTwipsThroughTheScreenDpi) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(1440 * 2 * dpi / 1440, forms::TwipsToPixels(2880, forms::SystemDpi()));
  EXPECT_EQ(2880, forms::PixelsToTwips(forms::TwipsToPixels(2880, forms::SystemDpi()),
                                       forms::SystemDpi()));

  SampleForm form;
  RECT client{};
  GetClientRect(form.hWnd(), &client);
  EXPECT_EQ(forms::TwipsToPixels(3000, forms::SystemDpi()), client.right);
  EXPECT_EQ(forms::TwipsToPixels(1500, forms::SystemDpi()), client.bottom);
  form.SetLeft(1500);
  form.SetTop(-300);
  EXPECT_EQ(1500, form.Left());
  EXPECT_EQ(-300, form.Top());
  form.Unload();
}

}  // namespace
