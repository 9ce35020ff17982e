// The control created in-process, with the shell's entry point replaced so that every
// request the control sends is kept for the test to read.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"
#include "cKestrow.h"
#include "mKestrow.h"

namespace kestrow_test {

struct ShellRequest {
  DWORD message;
  mKestrow::NotifyIconRecord record;
  std::string Tip() const { return std::string(record.szTip, sizeof(record.szTip)); }
};

std::vector<ShellRequest>& ControlTest_Requests();

// The control's face as IViewObject::Draw paints it into a 40 x 40 bitmap that was black,
// within bounds of 34 x 34 pixels at the top left.
class DrawnFace {
 public:
  explicit DrawnFace(IUnknown* control);
  ~DrawnFace();
  DrawnFace(const DrawnFace&) = delete;
  DrawnFace& operator=(const DrawnFace&) = delete;

  HRESULT result() const { return result_; }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  HRESULT result_ = E_FAIL;
};

class ControlTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ComPtr<_cKestrow> NewControl();
  static HWND WindowOf(IUnknown* control);
  static void SetTip(_cKestrow* control, const std::wstring& tip);
  static std::wstring TipOf(_cKestrow* control);
  // Loads the control from a bag: the path every host that keeps design data takes.
  static HRESULT LoadFrom(IUnknown* control, RecordingBag& bag);
  static void Site(IUnknown* control, TestSite* site);
  // Sites the control and activates it in place on the site's window, 34 x 34 pixels.
  static void SiteAndActivate(IUnknown* control, TestSite* site);

  static std::vector<ShellRequest>& Requests();

 private:
  mKestrow::ShellNotifyFunction previous_ = nullptr;
};

}  // namespace kestrow_test
