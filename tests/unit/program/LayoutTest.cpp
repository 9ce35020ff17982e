// What a person sees of the two windows at 96, 120 and 144 DPI: every caption whole inside
// its control, with the control's own font and wrapping, and the layout that follows a
// change of DPI.
#include <gtest/gtest.h>

#include <string>

#include "ProgramTest.h"
#include "forms/DialogFont.h"
#include "forms/Twips.h"
#include "frmConfig.h"
#include "frmRun.h"
#include "res/resource.h"

namespace {

std::string ClassOf(HWND window) {
  char cls[64]{};
  GetClassNameA(window, cls, sizeof cls);
  return cls;
}

std::string TextOf(HWND window) {
  char text[512]{};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The part of a control's client area its caption is drawn in, as the platform's button
// and static controls lay it out: a check box gives room to its box and a gap, a push button
// to its raised edge.
RECT TextArea(HWND control, int dpi) {
  RECT area{};
  GetClientRect(control, &area);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  if (ClassOf(control) == "Button") {
    if ((style & BS_TYPEMASK) == BS_3STATE || (style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
      area.left += MulDiv(13, dpi, 96) + MulDiv(4, dpi, 96);
    } else {
      InflateRect(&area, -MulDiv(3, dpi, 96), -MulDiv(3, dpi, 96));
    }
  }
  return area;
}

UINT DrawFlags(HWND control) {
  LONG style = GetWindowLongA(control, GWL_STYLE);
  if (ClassOf(control) == "Button") return DT_SINGLELINE;  // no BS_MULTILINE anywhere
  UINT flags = DT_EXPANDTABS;
  if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
  if ((style & SS_TYPEMASK) == SS_LEFT) flags |= DT_WORDBREAK;
  return flags;
}

struct Measured {
  std::string text;
  RECT area;
  RECT needed;
};

Measured Measure(HWND control, int dpi) {
  Measured m{TextOf(control), TextArea(control, dpi), {}};
  m.needed = RECT{0, 0, m.area.right - m.area.left, 0};
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font);
  DrawTextA(dc, m.text.c_str(), -1, &m.needed, DrawFlags(control) | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return m;
}

// The face the system really draws the dialog font with.
std::string RealizedFace(HWND control) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  char face[LF_FACESIZE]{};
  GetTextFaceA(dc, sizeof face, face);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return face;
}

// The tables' twips were drawn for the classic dialog face; where the system has no such
// face it draws a substitute of other widths, and fitting is not the tables' to promise.
// (The test tools install Wine's own fonts, so this holds wherever the tests run.)
bool HasClassicDialogFace(HWND control) {
  std::string face = RealizedFace(control);
  return face == forms::kClassicDialogFace || face == forms::kScalableDialogFace;
}

// Every label, check box and button of a form laid out at a DPI: its caption fits.
void ExpectEveryCaptionFits(forms::Form& form, int dpi) {
  form.Relayout(dpi);
  int checked = 0;
  for (HWND child = GetWindow(form.hWnd(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    std::string cls = ClassOf(child);
    if (cls != "Button" && cls != "Static") continue;
    Measured m = Measure(child, dpi);
    bool clickBox = cls == "Button" && m.text.rfind("Check", 0) == 0;
    if (clickBox) continue;  // only as wide as its box: its caption is meant to be unseen
    ++checked;
    EXPECT_LE(m.needed.right - m.needed.left, m.area.right - m.area.left)
        << '"' << m.text << "\" is cut at the right at " << dpi << " DPI";
    EXPECT_LE(m.needed.bottom - m.needed.top, m.area.bottom - m.area.top)
        << '"' << m.text << "\" loses lines at " << dpi << " DPI";
  }
  EXPECT_GT(checked, 2);
}

class LayoutTest : public test::FreshProgram {};

TEST_F(LayoutTest, EveryCaptionOfTheRunWindowFitsAt96And120And144Dpi) {
  for (int dpi : {96, 120, 144}) ExpectEveryCaptionFits(frmRun(), dpi);
}

TEST_F(LayoutTest, EveryCaptionOfTheConfigurationWindowFitsAt96And120And144Dpi) {
  HWND first = GetWindow(frmConfig().hWnd(), GW_CHILD);
  if (!HasClassicDialogFace(first)) {
    GTEST_SKIP() << "this system draws the dialog face with " << RealizedFace(first)
                 << ", not the classic 8-point face the design was drawn for";
  }
  for (int dpi : {96, 120, 144}) ExpectEveryCaptionFits(frmConfig(), dpi);
}

TEST_F(LayoutTest, ControlsUseTheEightPointDialogFaceAtTheWindowsDpi) {
  for (int dpi : {96, 120, 144}) {
    frmConfig().Relayout(dpi);
    HWND label = GetWindow(frmConfig().hWnd(), GW_CHILD);
    auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    LOGFONTA face{};
    ASSERT_NE(0, GetObjectA(font, sizeof face, &face));
    EXPECT_STREQ(forms::DialogFace(), face.lfFaceName);
    EXPECT_EQ(-MulDiv(8, dpi, 72), face.lfHeight) << dpi << " DPI";
  }
}

TEST_F(LayoutTest, BothWindowsCarryTheProgramIcon) {
  HICON program = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_WANDREL));
  ASSERT_NE(nullptr, program);
  for (HWND window : {frmRun().hWnd(), frmConfig().hWnd()}) {
    EXPECT_EQ(program, reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)));
    // Where a small icon is shown, the system makes one of the same image.
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL2, 0)));
  }
}

// A control's rectangle in its parent's client coordinates.
RECT PlaceOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(LayoutTest, ADpiChangeTakesTheSuggestedRectangleAndRelaysTheDesignAtTheNewDpi) {
  FrmConfig& config = frmConfig();
  RECT suggested{40, 60, 40 + 2790 * 144 / 1440 + 10, 60 + 5070 * 144 / 1440 + 30};
  SendMessageA(config.hWnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT frame{};
  GetWindowRect(config.hWnd(), &frame);
  EXPECT_TRUE(EqualRect(&suggested, &frame));
  EXPECT_EQ(144, config.Dpi());
  // "Jump Interval" at 120, 3360, 975 x 255 twips; the interval box at 1440, 3360.
  RECT done = PlaceOf(config.cmdDone.hWnd());
  EXPECT_EQ(120 * 144 / 1440, done.left);
  EXPECT_EQ(4200 * 144 / 1440, done.top);
  EXPECT_EQ(MulDiv(1215, 144, 1440), done.right - done.left);
  EXPECT_EQ(MulDiv(495, 144, 1440), done.bottom - done.top);
  RECT box = PlaceOf(config.chkFinished(7).hWnd());
  EXPECT_EQ((240 + 360 * 7) * 144 / 1440, box.top);
  auto font = reinterpret_cast<HFONT>(SendMessageA(config.txtInterval.hWnd(), WM_GETFONT, 0, 0));
  LOGFONTA face{};
  GetObjectA(font, sizeof face, &face);
  EXPECT_EQ(-16, face.lfHeight);  // 8 points at 144 DPI

  // Back to 96: the very same table again, and the stored place stays in twips.
  RECT back{40, 60, 40 + 200, 60 + 370};
  SendMessageA(config.hWnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
  done = PlaceOf(config.cmdDone.hWnd());
  EXPECT_EQ(8, done.left);
  EXPECT_EQ(280, done.top);
  EXPECT_EQ(81, done.right - done.left);
  EXPECT_EQ(forms::PixelsToTwips(40, forms::SystemDpi()), config.Left());
}

TEST_F(LayoutTest, TheRunWindowFollowsADpiChangeToo) {
  FrmRun& run = frmRun();
  RECT suggested{300, 200, 300 + 300, 200 + 80};
  SendMessageA(run.hWnd(), WM_DPICHANGED, MAKEWPARAM(120, 120),
               reinterpret_cast<LPARAM>(&suggested));
  RECT frame{};
  GetWindowRect(run.hWnd(), &frame);
  EXPECT_TRUE(EqualRect(&suggested, &frame));
  RECT config = PlaceOf(run.cmdConfig.hWnd());
  EXPECT_EQ(1080 * 120 / 1440, config.left);
  EXPECT_EQ(735 * 120 / 1440, config.right - config.left);
  EXPECT_EQ(375 * 120 / 1440, config.bottom - config.top);
}

TEST_F(LayoutTest, TheProgramIsPerMonitorDpiAwareSoCursorPositionsArePhysicalPixels) {
  // The test program carries the program's manifest.
  using AwarenessContextFn = void*(WINAPI*)();
  using AwarenessFn = int(WINAPI*)(void*);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  auto context = reinterpret_cast<AwarenessContextFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
  auto awareness = reinterpret_cast<AwarenessFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  ASSERT_TRUE(context && awareness) << "the system has no per-monitor DPI awareness";
  EXPECT_EQ(2, awareness(context()));  // DPI_AWARENESS_PER_MONITOR_AWARE
}

}  // namespace
