#include "ControlFixture.h"

namespace kestrow_test {

DrawnFace::DrawnFace(IUnknown* control) {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, 40, 40);
  ReleaseDC(nullptr, screen);
  old_ = SelectObject(dc_, bitmap_);
  RECT all{0, 0, 40, 40};
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ComPtr<IViewObject2> view;
  result_ = control->QueryInterface(IID_PPV_ARGS(&view));
  RECTL bounds{0, 0, 34, 34};
  if (SUCCEEDED(result_)) {
    result_ = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc_, &bounds, nullptr,
                         nullptr, 0);
  }
}

DrawnFace::~DrawnFace() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}
namespace {

BOOL CaptureRequest(DWORD message, const mKestrow::NotifyIconRecord* record) noexcept {
  ControlTest_Requests().push_back({message, *record});
  return TRUE;
}

}  // namespace

std::vector<ShellRequest>& ControlTest_Requests() {
  static std::vector<ShellRequest> requests;
  return requests;
}

std::vector<ShellRequest>& ControlTest::Requests() { return ControlTest_Requests(); }

void ControlTest::SetUp() {
  Requests().clear();
  previous_ = mKestrow::SetShellNotifyFunction(&CaptureRequest);
}

void ControlTest::TearDown() {
  mKestrow::SetShellNotifyFunction(previous_);
  Requests().clear();
}

ComPtr<_cKestrow> ControlTest::NewControl() {
  ComPtr<_cKestrow> control;
  EXPECT_HRESULT_SUCCEEDED(
      cKestrow::Create(IID__cKestrow, reinterpret_cast<void**>(control.GetAddressOf())));
  return control;
}

HWND ControlTest::WindowOf(IUnknown* control) {
  ComPtr<IOleWindow> window;
  HWND hwnd = nullptr;
  if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&window)))) window->GetWindow(&hwnd);
  return hwnd;
}

void ControlTest::SetTip(_cKestrow* control, const std::wstring& tip) {
  BSTR b = SysAllocStringLen(tip.data(), static_cast<UINT>(tip.size()));
  EXPECT_HRESULT_SUCCEEDED(control->put_TrayTip(b));
  SysFreeString(b);
}

std::wstring ControlTest::TipOf(_cKestrow* control) {
  BSTR b = nullptr;
  EXPECT_HRESULT_SUCCEEDED(control->get_TrayTip(&b));
  std::wstring tip(b ? b : L"", SysStringLen(b));
  SysFreeString(b);
  return tip;
}

HRESULT ControlTest::LoadFrom(IUnknown* control, RecordingBag& bag) {
  ComPtr<IPersistPropertyBag> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  if (FAILED(hr)) return hr;
  return persist->Load(&bag, nullptr);
}

void ControlTest::Site(IUnknown* control, TestSite* site) {
  ComPtr<IOleObject> object;
  ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&object)));
  ASSERT_HRESULT_SUCCEEDED(object->SetClientSite(site));
}

void ControlTest::SiteAndActivate(IUnknown* control, TestSite* site) {
  Site(control, site);
  ComPtr<IOleObject> object;
  ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&object)));
  RECT pos{0, 0, 34, 34};
  ASSERT_HRESULT_SUCCEEDED(
      object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, site->window(), &pos));
}

}  // namespace kestrow_test
