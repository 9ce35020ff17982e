// The ActiveX host against real objects: the tray icon control from the Kestrow.ocx beside
// this executable (declared in its manifest, never registered) and Wine's own classes.
#include <gtest/gtest.h>
#include <olectl.h>

#include <string>

#include "forms/AxHost.h"

using forms::AxHost;
using forms::AxProperties;
using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kProgId[] = L"KestrowCtl.cKestrow";
// The shell's callback message to the control's window and the mouse messages it carries.
constexpr UINT kTrayCallback = WM_USER + 101;

// A plain top-level window to host the control on.
class ParentWindow {
 public:
  ParentWindow() {
    static const bool registered = [] {
      WNDCLASSW wc = {};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"AxHostTestParent";
      return RegisterClassW(&wc) != 0;
    }();
    hwnd_ = registered ? CreateWindowExW(0, L"AxHostTestParent", L"AxHost test",
                                         WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr)
                       : nullptr;
  }
  ~ParentWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  ParentWindow(const ParentWindow&) = delete;
  ParentWindow& operator=(const ParentWindow&) = delete;
  HWND get() const { return hwnd_; }
  HWND Child() const { return GetWindow(hwnd_, GW_CHILD); }

 private:
  HWND hwnd_ = nullptr;
};

bool KestrowBesideUs() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return false;
  std::wstring file(path, n);
  file.resize(file.find_last_of(L"\\/") + 1);
  file += L"Kestrow.ocx";
  return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Tests that need the control fail when this build makes it and it is missing, and are
// skipped (saying why) in a build without the control library.
#ifdef AXHOST_TEST_KESTROW_BUILT
#define REQUIRE_KESTROW() \
  if (!KestrowBesideUs()) FAIL() << "Kestrow.ocx is not beside the test executable"
#else
#define REQUIRE_KESTROW() \
  if (!KestrowBesideUs()) GTEST_SKIP() << "this build has no Kestrow.ocx"
#endif

UniqueVariant GetProperty(IUnknown* object, const wchar_t* name) {
  UniqueVariant result;
  ComPtr<IDispatch> disp;
  EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(&disp)), S_OK);
  if (!disp) return result;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
  DISPPARAMS none = {};
  EXPECT_EQ(disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                         result.put(), nullptr, nullptr),
            S_OK)
      << name;
  return result;
}

// The module's own answer whether any of its objects or locks is still alive.
HRESULT KestrowCanUnloadNow() {
  HMODULE module = GetModuleHandleW(L"Kestrow.ocx");
  if (!module) return E_UNEXPECTED;
  using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
  auto canUnload = reinterpret_cast<CanUnloadFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return canUnload ? canUnload() : E_UNEXPECTED;
}

// The i-th argument from the left of an event, by value whatever way it was passed.
LONG EventArg(const DISPPARAMS& params, UINT fromLeft) {
  if (fromLeft >= params.cArgs) return -12345;
  VARIANT& arg = params.rgvarg[params.cArgs - 1 - fromLeft];
  UniqueVariant value;
  if (FAILED(VariantCopyInd(value.put(), &arg))) return -12345;
  UniqueVariant asLong;
  if (FAILED(VariantChangeType(asLong.put(), value.get(), 0, VT_I4))) return -12345;
  return asLong->lVal;
}

class KestrowHost : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(parent.get(), nullptr);
    icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    ASSERT_NE(icon, nullptr);
    // The run window's saved design data for its tray control.
    ASSERT_EQ(props.SetBool(L"InTray", true), S_OK);
    ASSERT_EQ(props.SetPicture(L"TrayIcon", icon), S_OK);
    ASSERT_EQ(props.SetText(L"TrayTip", L"Wandrel4"), S_OK);
    ASSERT_EQ(props.SetInt(L"_ExtentX", 900), S_OK);
    ASSERT_EQ(props.SetInt(L"_ExtentY", 900), S_OK);
  }

  HRESULT CreateControl(std::wstring* why = nullptr) {
    return host.Create(parent.get(), kProgId, rect, props, why);
  }

  ParentWindow parent;
  HICON icon = nullptr;
  AxProperties props;
  RECT rect = {10, 20, 44, 54};
  AxHost host;
};

}  // namespace

// Failures: each leaves the host empty, with a reason a person can read.

TEST(AxHostFailure, AnUnknownProgIdFailsWithAReasonAndCreatesNothing) {
  ParentWindow parent;
  AxHost host;
  int calls = 0;
  ASSERT_EQ(host.OnEvent(L"MouseDown", [&](DISPPARAMS&) { ++calls; }), S_OK);
  std::wstring why;
  RECT rect = {0, 0, 34, 34};
  HRESULT hr = host.Create(parent.get(), L"Wandrel.NoSuchControl", rect, AxProperties(), &why);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_NE(why.find(L"Wandrel.NoSuchControl"), std::wstring::npos) << why;
  EXPECT_NE(why.find(L"not registered"), std::wstring::npos) << why;
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  EXPECT_NE(why.find(code), std::wstring::npos) << why;
  EXPECT_FALSE(host.Created());
  EXPECT_EQ(host.Control(), nullptr);
  EXPECT_EQ(parent.Child(), nullptr);
  host.Destroy();  // nothing to undo
  EXPECT_EQ(calls, 0);
}

TEST(AxHostFailure, AnObjectThatIsNoControlIsLetGo) {
  ParentWindow parent;
  AxHost host;
  std::wstring why;
  RECT rect = {0, 0, 34, 34};
  HRESULT hr = host.Create(parent.get(), L"Scripting.Dictionary", rect, AxProperties(), &why);
  EXPECT_EQ(hr, E_NOINTERFACE) << std::hex << hr;
  EXPECT_NE(why.find(L"not an ActiveX control"), std::wstring::npos) << why;
  EXPECT_FALSE(host.Created());
  EXPECT_EQ(parent.Child(), nullptr);
}

TEST(AxHostFailure, ANonWindowParentIsRefusedBeforeAnythingIsCreated) {
  AxHost host;
  std::wstring why;
  RECT rect = {0, 0, 34, 34};
  EXPECT_EQ(host.Create(nullptr, kProgId, rect, AxProperties(), &why), E_INVALIDARG);
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(host.Created());
}

// The tray icon control, created through the manifest.

TEST_F(KestrowHost, CreatesThroughTheManifestAndLoadsTheSavedProperties) {
  REQUIRE_KESTROW();
  std::wstring why = L"stale";
  ASSERT_EQ(CreateControl(&why), S_OK) << why;
  EXPECT_TRUE(why.empty());
  ASSERT_TRUE(host.Created());

  UniqueVariant tip = GetProperty(host.Control(), L"TrayTip");
  ASSERT_EQ(tip->vt, VT_BSTR);
  EXPECT_STREQ(tip->bstrVal, L"Wandrel4");
  UniqueVariant inTray = GetProperty(host.Control(), L"InTray");
  ASSERT_EQ(inTray->vt, VT_BOOL);
  EXPECT_EQ(inTray->boolVal, VARIANT_TRUE);

  // The control took the very picture of the saved data.
  UniqueVariant picture = GetProperty(host.Control(), L"TrayIcon");
  ASSERT_EQ(picture->vt, VT_DISPATCH);
  ComPtr<IUnknown> held, saved;
  ASSERT_EQ(picture->pdispVal->QueryInterface(IID_PPV_ARGS(&held)), S_OK);
  ASSERT_EQ(props.Find(L"TrayIcon")->pdispVal->QueryInterface(IID_PPV_ARGS(&saved)), S_OK);
  EXPECT_EQ(held.Get(), saved.Get());

  // In-place active: the control's window is a child of the parent, where it was put.
  HWND child = parent.Child();
  ASSERT_NE(child, nullptr);
  RECT onParent;
  ASSERT_TRUE(GetWindowRect(child, &onParent));
  MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&onParent), 2);
  EXPECT_EQ(onParent.left, rect.left);
  EXPECT_EQ(onParent.top, rect.top);
}

TEST_F(KestrowHost, WithoutSavedPropertiesTheControlStartsAsNew) {
  REQUIRE_KESTROW();
  AxProperties none;
  ASSERT_EQ(host.Create(parent.get(), kProgId, rect, none), S_OK);
  UniqueVariant tip = GetProperty(host.Control(), L"TrayTip");
  ASSERT_EQ(tip->vt, VT_BSTR);
  EXPECT_STREQ(tip->bstrVal, L"VB 5 - Kestrow Control.");
  UniqueVariant inTray = GetProperty(host.Control(), L"InTray");
  ASSERT_EQ(inTray->vt, VT_BOOL);
  EXPECT_EQ(inTray->boolVal, VARIANT_FALSE);
}

TEST_F(KestrowHost, TheSiteSaysTheHostIsRunningAndKnowsNoOtherAmbient) {
  REQUIRE_KESTROW();
  ASSERT_EQ(CreateControl(), S_OK);
  ComPtr<IOleObject> object;
  ASSERT_EQ(host.Control()->QueryInterface(IID_PPV_ARGS(&object)), S_OK);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(object->GetClientSite(&site), S_OK);
  ASSERT_TRUE(site);
  ComPtr<IDispatch> ambient;
  ASSERT_EQ(site.As(&ambient), S_OK);

  DISPPARAMS none = {};
  UniqueVariant userMode;
  ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                            userMode.put(), nullptr, nullptr),
            S_OK);
  EXPECT_EQ(userMode->vt, VT_BOOL);
  EXPECT_EQ(userMode->boolVal, VARIANT_TRUE);
  UniqueVariant other;
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_LOCALEID, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                            other.put(), nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);

  // Every interface of the site is one object.
  ComPtr<IUnknown> a, b;
  ComPtr<IOleInPlaceSite> inPlace;
  ASSERT_EQ(site.As(&inPlace), S_OK);
  ASSERT_EQ(site.As(&a), S_OK);
  ASSERT_EQ(inPlace.As(&b), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  HWND window = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
  EXPECT_EQ(window, parent.get());
}

TEST_F(KestrowHost, ShellCallbacksReachTheirHandlersExactlyOnce) {
  REQUIRE_KESTROW();
  int downs = 0, doubles = 0;
  LONG downButton = 0, doubleButton = 0;
  ASSERT_EQ(host.OnEvent(L"MouseDown",
                         [&](DISPPARAMS& p) {
                           ++downs;
                           downButton = EventArg(p, 0);
                         }),
            S_OK);
  ASSERT_EQ(host.OnEvent(L"MouseDblClick",
                         [&](DISPPARAMS& p) {
                           ++doubles;
                           doubleButton = EventArg(p, 0);
                         }),
            S_OK);
  ASSERT_EQ(CreateControl(), S_OK);
  HWND child = parent.Child();
  ASSERT_NE(child, nullptr);

  SendMessageW(child, kTrayCallback, 0, WM_LBUTTONDOWN);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(doubles, 0);
  EXPECT_EQ(downButton, 1);
  SendMessageW(child, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(doubleButton, 1);
  // An event without a handler reaches none of the others.
  SendMessageW(child, kTrayCallback, 0, WM_LBUTTONUP);
  SendMessageW(child, kTrayCallback, 0, WM_MOUSEMOVE);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(doubles, 1);
}

TEST_F(KestrowHost, HandlersMayBeAddedWhileHostedButOnlyForEventsTheControlRaises) {
  REQUIRE_KESTROW();
  ASSERT_EQ(CreateControl(), S_OK);
  int ups = 0;
  EXPECT_EQ(host.OnEvent(L"MouseWheel", [&](DISPPARAMS&) {}), DISP_E_UNKNOWNNAME);
  ASSERT_EQ(host.OnEvent(L"mouseup", [&](DISPPARAMS&) { ++ups; }), S_OK);
  SendMessageW(parent.Child(), kTrayCallback, 0, WM_RBUTTONUP);
  EXPECT_EQ(ups, 1);
}

TEST_F(KestrowHost, AnUnknownEventNameFailsCreateAndLeavesNothing) {
  REQUIRE_KESTROW();
  ASSERT_EQ(host.OnEvent(L"MouseDwn", [](DISPPARAMS&) {}), S_OK);
  std::wstring why;
  EXPECT_EQ(CreateControl(&why), DISP_E_UNKNOWNNAME);
  EXPECT_NE(why.find(L"MouseDwn"), std::wstring::npos);
  EXPECT_FALSE(host.Created());
  EXPECT_EQ(parent.Child(), nullptr);
  EXPECT_EQ(KestrowCanUnloadNow(), S_OK);
}

TEST_F(KestrowHost, ASecondCreateIsRefusedAndTheFirstControlStays) {
  REQUIRE_KESTROW();
  ASSERT_EQ(CreateControl(), S_OK);
  IUnknown* first = host.Control();
  std::wstring why;
  EXPECT_EQ(CreateControl(&why), E_UNEXPECTED);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(host.Control(), first);
  EXPECT_NE(parent.Child(), nullptr);
}

TEST_F(KestrowHost, DestroyIsIdempotentReleasesEverythingAndSilencesHandlers) {
  REQUIRE_KESTROW();
  int downs = 0;
  ASSERT_EQ(host.OnEvent(L"MouseDown", [&](DISPPARAMS&) { ++downs; }), S_OK);
  ASSERT_EQ(CreateControl(), S_OK);

  // Hold on to the control, to the site the host gave it and to the saved picture.
  ComPtr<IDispatch> picture = props.Find(L"TrayIcon")->pdispVal;
  ComPtr<IUnknown> control = host.Control();
  ComPtr<IOleObject> object;
  ASSERT_EQ(control.As(&object), S_OK);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(object->GetClientSite(&site), S_OK);
  object.Reset();
  HWND child = parent.Child();
  ASSERT_NE(child, nullptr);

  host.Destroy();
  host.Destroy();
  EXPECT_FALSE(host.Created());
  EXPECT_EQ(host.Control(), nullptr);

  // The control lives on while this test holds it, and it still raises its events: none
  // of them reaches the host's handlers any more.
  ASSERT_TRUE(IsWindow(child));
  EXPECT_NE(GetParent(child), parent.get());
  SendMessageW(child, kTrayCallback, 0, WM_LBUTTONDOWN);
  EXPECT_EQ(downs, 0);

  // The site is detached (no window any more) and this test holds its last reference.
  ComPtr<IOleInPlaceSite> inPlace;
  ASSERT_EQ(site.As(&inPlace), S_OK);
  HWND window = reinterpret_cast<HWND>(1);
  EXPECT_EQ(inPlace->GetWindow(&window), E_UNEXPECTED);
  EXPECT_EQ(window, nullptr);
  inPlace.Reset();
  EXPECT_EQ(site.Detach()->Release(), 0u);

  // And of the control as well: once it goes, its module has nothing left alive.
  EXPECT_EQ(control.Detach()->Release(), 0u);
  EXPECT_EQ(KestrowCanUnloadNow(), S_OK);
  EXPECT_EQ(parent.Child(), nullptr);
  // Only the saved properties and this test hold the picture: no property bag kept it.
  picture->AddRef();
  EXPECT_EQ(picture->Release(), 2u);
}

TEST_F(KestrowHost, AHandlerMayDestroyTheHost) {
  REQUIRE_KESTROW();
  int doubles = 0;
  ASSERT_EQ(host.OnEvent(L"MouseDblClick",
                         [&](DISPPARAMS&) {
                           ++doubles;
                           host.Destroy();
                         }),
            S_OK);
  ASSERT_EQ(CreateControl(), S_OK);
  HWND child = parent.Child();
  ASSERT_NE(child, nullptr);
  SendMessageW(child, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(doubles, 1);
  EXPECT_FALSE(host.Created());
  if (IsWindow(child)) SendMessageW(child, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(KestrowCanUnloadNow(), S_OK);
}
