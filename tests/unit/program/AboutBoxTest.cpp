// The About box as a person sees it: the real message box, every line of its text whole
// inside the box's text control, measured with that control's own font; and the button that
// opens it as a screen reader hears it.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>

#include "ProgramTest.h"
#include "forms/MsgBox.h"
#include "frmRun.h"

namespace {

struct Seen {
  bool found = false;
  std::string text;
  RECT area{};
  RECT needed{};
};
Seen* g_seen = nullptr;  // the one box being watched, for the timer callback below

BOOL CALLBACK MeasureText(HWND child, LPARAM) {
  char cls[32]{};
  GetClassNameA(child, cls, sizeof cls);
  char text[1024]{};
  GetWindowTextA(child, text, sizeof text);
  if (_stricmp(cls, "Static") != 0 || text[0] == '\0') return TRUE;
  g_seen->found = true;
  g_seen->text = text;
  GetClientRect(child, &g_seen->area);
  g_seen->needed = RECT{0, 0, g_seen->area.right, 0};
  HDC dc = GetDC(child);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
  DrawTextA(dc, text, -1, &g_seen->needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(child, dc);
  return FALSE;
}

// Runs inside the message box's own modal loop: measures its text, then presses OK.
void CALLBACK MeasureAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowA(nullptr, "About Wandrel4");
  if (!box) return;
  KillTimer(nullptr, timer);
  EnumChildWindows(box, MeasureText, 0);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class AboutBoxTest : public test::FreshProgram {};

TEST_F(AboutBoxTest, EveryLineOfTheAboutTextShowsWhole) {
  Seen seen;
  g_seen = &seen;
  forms::MsgBoxFn recording = forms::SetMsgBoxFn(nullptr);  // the real message box
  UINT_PTR timer = SetTimer(nullptr, 0, 50, MeasureAndClose);
  frmRun().cmdAbout_Click();
  KillTimer(nullptr, timer);
  forms::SetMsgBoxFn(recording);
  g_seen = nullptr;

  ASSERT_TRUE(seen.found) << "the About box showed no text";
  EXPECT_EQ(0u, seen.text.find("Wandrel v4"));
  EXPECT_NE(std::string::npos, seen.text.find("Questions, Comments, or suggestions"));
  EXPECT_LE(seen.needed.right - seen.needed.left, seen.area.right - seen.area.left)
      << "the About text is cut at the right";
  EXPECT_LE(seen.needed.bottom - seen.needed.top, seen.area.bottom - seen.area.top)
      << "the About text loses lines";
}

// A client that asks by DISPID through IDispatch, as late-bound screen readers do.
TEST_F(AboutBoxTest, LateBoundClientsHearWhatTheQuestionMarkButtonDoes) {
  IDispatch* object = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(frmRun().cmdAbout.hWnd(), OBJID_CLIENT, IID_IDispatch,
                                             reinterpret_cast<void**>(&object)));
  VARIANT self{};  // VT_EMPTY: the object itself
  DISPPARAMS params{&self, nullptr, 1, 0};
  VARIANT name{};
  const HRESULT hr = object->Invoke(DISPID_ACC_NAME, IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_PROPERTYGET, &params, &name, nullptr, nullptr);
  object->Release();
  ASSERT_EQ(S_OK, hr);
  EXPECT_EQ(std::wstring(L"About Wandrel4"), name.vt == VT_BSTR ? name.bstrVal : L"(no text)");
  VariantClear(&name);
}

}  // namespace
