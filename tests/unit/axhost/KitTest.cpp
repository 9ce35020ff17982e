// The COM and handle kit both binaries share: reference counts reach zero, every interface
// leads back to one identity, the module lock follows the objects, and the helpers hand over
// what they own exactly once.
#include <gtest/gtest.h>
#include <olectl.h>

#include <new>

#include "ComObject.h"
#include "Handles.h"
#include "PictureFromIcon.h"
#include "ScreenDpi.h"
#include "WindowClass.h"

using Microsoft::WRL::ComPtr;

namespace {

// Two interfaces, one of them also reachable under a run-time IID, and a flag that tells the
// test when the object is gone.
class Probe final : public common::ComObject<Probe, IPropertyBag, IDispatch> {
 public:
  Probe(bool* destroyed, const IID& alias) : destroyed_(destroyed), alias_(alias) {}
  static const QITAB* Interfaces() noexcept {
    static const QITAB table[] = {QITABENT(Probe, IPropertyBag), QITABENT(Probe, IDispatch), {}};
    return table;
  }
  const IID& Alias(REFIID riid) const noexcept {
    return IsEqualIID(riid, alias_) ? IID_IDispatch : riid;
  }

  STDMETHODIMP Read(LPCOLESTR, VARIANT*, IErrorLog*) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) noexcept override {
    return E_NOTIMPL;
  }

 private:
  ~Probe() override { *destroyed_ = true; }
  bool* destroyed_;
  IID alias_;
};

// An interface with no relation to the probe, for the alias.
const IID kEvents = {0x6b1d2c3e, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99}};

// Counts one reference up and down again; what AddRef answers is the count.
ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(ComObject, EveryInterfaceLeadsToOneIdentity) {
  bool destroyed = false;
  ComPtr<Probe> probe = common::Adopt(new (std::nothrow) Probe(&destroyed, kEvents));
  ASSERT_TRUE(probe);
  ComPtr<IUnknown> identity, fromBag, fromDispatch, fromAlias;
  ASSERT_EQ(probe.Get()->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
  ComPtr<IPropertyBag> bag;
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(identity->QueryInterface(IID_PPV_ARGS(&bag)), S_OK);
  ASSERT_EQ(bag->QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);
  ASSERT_EQ(dispatch->QueryInterface(IID_PPV_ARGS(&fromDispatch)), S_OK);
  ASSERT_EQ(bag->QueryInterface(IID_PPV_ARGS(&fromBag)), S_OK);
  EXPECT_EQ(fromBag.Get(), identity.Get());
  EXPECT_EQ(fromDispatch.Get(), identity.Get());
  // The aliased IID is the IDispatch pointer itself.
  ASSERT_EQ(identity->QueryInterface(kEvents, reinterpret_cast<void**>(fromAlias.GetAddressOf())),
            S_OK);
  EXPECT_EQ(static_cast<void*>(fromAlias.Get()), static_cast<void*>(dispatch.Get()));
  EXPECT_NE(static_cast<void*>(bag.Get()), static_cast<void*>(dispatch.Get()));
}

TEST(ComObject, UnknownInterfacesAndNullOutputsFailCleanly) {
  bool destroyed = false;
  ComPtr<Probe> probe = common::Adopt(new (std::nothrow) Probe(&destroyed, kEvents));
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(probe.Get()->QueryInterface(IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(probe.Get()->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(CountOf(static_cast<IPropertyBag*>(probe.Get())), 1u)
      << "a failed query holds no reference";
}

TEST(ComObject, LastReleaseDestroysOnceAndUnlocksTheModule) {
  const LONG before = common::ModuleLocks();
  bool destroyed = false;
  {
    ComPtr<Probe> probe = common::Adopt(new (std::nothrow) Probe(&destroyed, kEvents));
    EXPECT_EQ(common::ModuleLocks(), before + 1);
    EXPECT_EQ(CountOf(static_cast<IPropertyBag*>(probe.Get())), 1u)
        << "Adopt takes the creator's reference, adds none";
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(probe.As(&dispatch), S_OK);
    EXPECT_EQ(CountOf(static_cast<IPropertyBag*>(probe.Get())), 2u);
  }
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(common::ModuleLocks(), before);
}

TEST(ComObject, QueryFreshHandsOutTheAskedInterfaceAndDropsTheCreatorsReference) {
  bool destroyed = false;
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(common::QueryFresh(new (std::nothrow) Probe(&destroyed, kEvents), IID_IDispatch,
                               reinterpret_cast<void**>(dispatch.GetAddressOf())),
            S_OK);
  EXPECT_EQ(CountOf(dispatch.Get()), 1u);
  dispatch.Reset();
  EXPECT_TRUE(destroyed);

  destroyed = false;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(
      common::QueryFresh(new (std::nothrow) Probe(&destroyed, kEvents), IID_IClassFactory, &out),
      E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_TRUE(destroyed) << "an object nobody took is not leaked";
  EXPECT_EQ(common::QueryFresh<Probe>(nullptr, IID_IDispatch, &out), E_OUTOFMEMORY);
}

// The count a control's teardown relies on: no reference is taken once it reached zero.
class Counted : public common::RefCount {
 public:
  using RefCount::Going;
  using RefCount::TryAddRef;
};

class CountedObject final : public common::ComObject<CountedObject, Counted, IPropertyBag> {
 public:
  static const QITAB* Interfaces() noexcept {
    static const QITAB table[] = {QITABENT(CountedObject, IPropertyBag), {}};
    return table;
  }
  explicit CountedObject(bool* sawGoing) : sawGoing_(sawGoing) {}
  STDMETHODIMP Read(LPCOLESTR, VARIANT*, IErrorLog*) noexcept override { return E_NOTIMPL; }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) noexcept override { return E_NOTIMPL; }

 private:
  ~CountedObject() override { *sawGoing_ = Going() && !TryAddRef(); }
  bool* sawGoing_;
};

TEST(RefCount, AnObjectBeingDestroyedIsGoingAndTakesNoReference) {
  bool sawGoing = false;
  auto* object = new CountedObject(&sawGoing);
  EXPECT_FALSE(object->Going());
  EXPECT_TRUE(object->TryAddRef());
  EXPECT_EQ(object->Release(), 1u);
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_TRUE(sawGoing);
}

TEST(UniqueVariant, MovesAndReleasesOwnershipExactlyOnce) {
  UniqueVariant text;
  text->vt = VT_BSTR;
  text->bstrVal = SysAllocString(L"kit");
  ASSERT_NE(text->bstrVal, nullptr);
  UniqueVariant moved(std::move(text));
  EXPECT_EQ(text->vt, VT_EMPTY) << "the source of a move owns nothing";
  ASSERT_EQ(moved->vt, VT_BSTR);
  EXPECT_STREQ(moved->bstrVal, L"kit");

  UniqueVariant copy;
  ASSERT_EQ(copy.CopyFrom(*moved.get()), S_OK);
  ASSERT_EQ(copy->vt, VT_BSTR);
  EXPECT_NE(copy->bstrVal, moved->bstrVal) << "a deep copy, not a second owner";
  EXPECT_STREQ(copy->bstrVal, L"kit");

  VARIANT out = moved.release();
  EXPECT_EQ(moved->vt, VT_EMPTY);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_EQ(VariantClear(&out), S_OK);
}

TEST(UniqueHandle, PutClosesTheOldKeyAndReleaseGivesItUp) {
  UniqueHkey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  ASSERT_TRUE(key);
  const HKEY first = key.get();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  DWORD subkeys = 0;
  EXPECT_EQ(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  if (key.get() != first) {
    EXPECT_NE(RegQueryInfoKeyW(first, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << "put() closed the key it replaced";
  }
  HKEY mine = key.release();
  EXPECT_FALSE(key);
  EXPECT_EQ(RegCloseKey(mine), ERROR_SUCCESS) << "release() left the key open for its taker";
}

TEST(PictureFromIcon, ThePictureOwnsTheIcon) {
  HICON icon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));  // IDI_APPLICATION
  ASSERT_NE(icon, nullptr);
  ComPtr<IPictureDisp> picture;
  ASSERT_EQ(common::PictureFromIcon(icon, &picture), S_OK);
  ComPtr<IPicture> asPicture;
  ASSERT_EQ(picture.As(&asPicture), S_OK);
  OLE_HANDLE handle = 0;
  SHORT type = PICTYPE_UNINITIALIZED;
  ASSERT_EQ(asPicture->get_Handle(&handle), S_OK);
  ASSERT_EQ(asPicture->get_Type(&type), S_OK);
  EXPECT_EQ(type, PICTYPE_ICON);
  EXPECT_EQ(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)), icon);
}

TEST(PictureFromIcon, NoIconOrNoOutputIsAnErrorWithNothingLeftOver) {
  ComPtr<IPictureDisp> picture;
  EXPECT_EQ(common::PictureFromIcon(nullptr, &picture), E_INVALIDARG);
  EXPECT_FALSE(picture);
  HICON icon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(common::PictureFromIcon(icon, nullptr), E_POINTER);
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon was destroyed, not leaked";
}

LRESULT CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(RegisterWindowClass, RegistersOnceAndAcceptsAnExistingClass) {
  constexpr wchar_t kName[] = L"KitTestWindowClass";
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TestProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kName;
  ASSERT_TRUE(common::RegisterWindowClass(wc));
  EXPECT_TRUE(common::RegisterWindowClass(wc)) << "a second caller finds it registered";
  WNDCLASSEXW found{};
  found.cbSize = sizeof found;
  ASSERT_TRUE(GetClassInfoExW(wc.hInstance, kName, &found));
  EXPECT_EQ(found.lpfnWndProc, &TestProc);
  HWND window =
      CreateWindowExW(0, kName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassW(kName, wc.hInstance));

  WNDCLASSEXA ansi{};
  ansi.cbSize = sizeof ansi;
  ansi.lpfnWndProc = &DefWindowProcA;
  ansi.hInstance = GetModuleHandleW(nullptr);
  ansi.lpszClassName = "KitTestAnsiClass";
  ASSERT_TRUE(common::RegisterWindowClass(ansi));
  EXPECT_TRUE(common::RegisterWindowClass(ansi));
  EXPECT_TRUE(UnregisterClassA("KitTestAnsiClass", ansi.hInstance));
}

TEST(ScreenDpi, IsTheScreensLogicalDpi) {
  const SIZE dpi = common::ScreenDpi();
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(dpi.cx, GetDeviceCaps(screen, LOGPIXELSX));
  EXPECT_EQ(dpi.cy, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  EXPECT_GT(dpi.cx, 0);
  EXPECT_GT(dpi.cy, 0);
}

}  // namespace
