// Properties, persistence and the lifecycle of the control as hosts drive it.
#include <shlwapi.h>

#include "ControlFixture.h"

namespace kestrow_test {
namespace {

using Lifecycle = ControlTest;

constexpr wchar_t kDefaultTip[] = L"VB 5 - Kestrow Control.";

bool Dirty(IUnknown* control) {
  ComPtr<IPersistStreamInit> persist;
  EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&persist)));
  return persist->IsDirty() == S_OK;
}

void InitNew(IUnknown* control) {
  ComPtr<IPersistPropertyBag> persist;
  ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&persist)));
  ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
}

HRESULT SaveTo(IUnknown* control, RecordingBag& bag) {
  ComPtr<IPersistPropertyBag> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  if (FAILED(hr)) return hr;
  return persist->Save(&bag, TRUE, TRUE);
}

TEST_F(Lifecycle, ANewInstanceHasTheDefaultsAndSavesAllThreeNames) {
  auto control = NewControl();
  InitNew(control.Get());
  EXPECT_EQ(TipOf(control.Get()), kDefaultTip);
  VARIANT_BOOL inTray = VARIANT_TRUE;
  ASSERT_HRESULT_SUCCEEDED(control->get_InTray(&inTray));
  EXPECT_EQ(inTray, VARIANT_FALSE);
  ComPtr<IPictureDisp> icon;
  ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&icon));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(PictureType(icon.Get()), PICTYPE_ICON);
  EXPECT_NE(PictureHandle(icon.Get()), nullptr);
  EXPECT_TRUE(Requests().empty());

  RecordingBag bag;
  ASSERT_HRESULT_SUCCEEDED(SaveTo(control.Get(), bag));
  std::vector<std::wstring> own;
  for (const auto& name : bag.names) {
    if (name[0] != L'_') own.push_back(name);
  }
  EXPECT_EQ(own, (std::vector<std::wstring>{L"InTray", L"TrayIcon", L"TrayTip"}));
  EXPECT_EQ(bag.Find(L"InTray")->boolVal, VARIANT_FALSE);
  EXPECT_EQ(bag.Find(L"TrayIcon")->pdispVal, icon.Get());
  EXPECT_STREQ(bag.Find(L"TrayTip")->bstrVal, kDefaultTip);
  EXPECT_EQ(bag.Find(L"_ExtentX")->lVal, 900);
  EXPECT_EQ(bag.Find(L"_ExtentY")->lVal, 900);
}

TEST_F(Lifecycle, LoadingAtRunTimeAddsTheIconWithItsPictureAndTip) {
  TestSite site(Ambient::Running);
  auto control = NewControl();
  Site(control.Get(), &site);
  auto icon = NewIconPicture();
  RecordingBag bag;
  bag.Set(L"intray", BoolValue(true));  // names match without regard to case
  VARIANT v = ObjectValue(icon.Get());
  bag.Set(L"TrayIcon", v);
  VariantClear(&v);
  v = TextValue(L"Wandrel4");
  bag.Set(L"TrayTip", v);
  VariantClear(&v);
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(control.Get(), bag));

  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(Requests()[0].record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(Requests()[0].record.hIcon, PictureHandle(icon.Get()));
  EXPECT_EQ(Requests()[0].Tip().substr(0, 9), std::string("Wandrel4") + '\0');
  EXPECT_FALSE(Dirty(control.Get())) << "a freshly loaded control has nothing to save";
}

TEST_F(Lifecycle, SettingInTrayToItsValueDoesNothing) {
  auto control = NewControl();
  InitNew(control.Get());
  ASSERT_FALSE(Dirty(control.Get()));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  EXPECT_FALSE(Dirty(control.Get()));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ASSERT_EQ(Requests().size(), 1u);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_HRESULT_SUCCEEDED(control.As(&persist));
  ComPtr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ASSERT_HRESULT_SUCCEEDED(persist->Save(stream.Get(), TRUE));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(static_cast<VARIANT_BOOL>(1)));  // also true
  EXPECT_EQ(Requests().size(), 1u);
  EXPECT_FALSE(Dirty(control.Get()));
}

TEST_F(Lifecycle, DesignModeRecordsInTrayWithoutIconOrHook) {
  RecordingBag saved;
  {
    TestSite design(Ambient::Design);
    auto control = NewControl();
    Site(control.Get(), &design);
    InitNew(control.Get());
    HWND hwnd = WindowOf(control.Get());
    LONG_PTR procedure = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
    VARIANT_BOOL inTray = VARIANT_FALSE;
    control->get_InTray(&inTray);
    EXPECT_EQ(inTray, VARIANT_TRUE);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), procedure);
    ASSERT_HRESULT_SUCCEEDED(SaveTo(control.Get(), saved));
    EXPECT_EQ(saved.Find(L"InTray")->boolVal, VARIANT_TRUE);
    control->put_InTray(VARIANT_FALSE);
    EXPECT_TRUE(Requests().empty()) << "nothing to delete";
  }
  // The same saved data shows the icon when the host runs.
  TestSite running(Ambient::Running);
  auto control = NewControl();
  Site(control.Get(), &running);
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(control.Get(), saved));
  ASSERT_FALSE(Requests().empty());
  EXPECT_EQ(Requests()[0].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(Lifecycle, TheIconFollowsASwitchBetweenDesignAndRunMode) {
  TestSite site(Ambient::Design);
  auto control = NewControl();
  Site(control.Get(), &site);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ComPtr<IOleControl> ole;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  site.SetMode(Ambient::Running);
  ole->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE);
  site.SetMode(Ambient::Design);
  ole->OnAmbientPropertyChange(DISPID_UNKNOWN);  // several at once
  ASSERT_EQ(Requests().size(), 2u);
  EXPECT_EQ(Requests()[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(Requests()[1].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(Lifecycle, AFailedLoadLeavesTheControlToLoadAgain) {
  auto control = NewControl();
  RecordingBag bad, empty;
  VARIANT list{};
  list.vt = VT_ARRAY | VT_I4;  // no text
  list.parray = SafeArrayCreateVector(VT_I4, 0, 1);
  bad.Set(L"TrayTip", list);
  VariantClear(&list);
  EXPECT_HRESULT_FAILED(LoadFrom(control.Get(), bad));
  EXPECT_HRESULT_SUCCEEDED(LoadFrom(control.Get(), empty));
}

// A load that fails late applies nothing: no icon, and no loaded picture as the next default.
TEST_F(Lifecycle, AFailedLoadShowsNothingAndLeavesTheDefaults) {
  auto control = NewControl();
  auto icon = NewIconPicture();
  RecordingBag bad;
  bad.Set(L"InTray", BoolValue(true));
  VARIANT value = ObjectValue(icon.Get());
  bad.Set(L"TrayIcon", value);
  VariantClear(&value);
  value.vt = VT_ARRAY | VT_I4;  // no text
  value.parray = SafeArrayCreateVector(VT_I4, 0, 1);
  bad.Set(L"TrayTip", value);
  VariantClear(&value);
  EXPECT_HRESULT_FAILED(LoadFrom(control.Get(), bad));
  EXPECT_TRUE(Requests().empty()) << "no icon was shown";
  InitNew(control.Get());
  ComPtr<IPictureDisp> now;
  ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&now));
  EXPECT_NE(PictureHandle(now.Get()), PictureHandle(icon.Get()));
}

// A container that loads before it sets the site, then moves the control to a running one.
TEST_F(Lifecycle, ANewSiteBringsItsOwnMode) {
  TestSite design(Ambient::Design), running(Ambient::Running);
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));  // no site: running
  Site(control.Get(), &design);
  Site(control.Get(), &running);
  ASSERT_EQ(Requests().size(), 3u);
  EXPECT_EQ(Requests()[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(Requests()[2].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(Lifecycle, AHostWithoutUserModeCountsAsRunning) {
  TestSite site(Ambient::Missing);
  auto control = NewControl();
  Site(control.Get(), &site);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(Lifecycle, EmptyAndBitmapPicturesAreIgnored) {
  auto control = NewControl();
  InitNew(control.Get());
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ComPtr<IPictureDisp> before;
  control->get_TrayIcon(&before);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_HRESULT_SUCCEEDED(control.As(&persist));
  ComPtr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ASSERT_HRESULT_SUCCEEDED(persist->Save(stream.Get(), TRUE));
  Requests().clear();

  EXPECT_HRESULT_SUCCEEDED(control->putref_TrayIcon(nullptr));
  EXPECT_HRESULT_SUCCEEDED(control->putref_TrayIcon(BitmapPicture().Get()));
  ComPtr<IPictureDisp> after;
  control->get_TrayIcon(&after);
  EXPECT_EQ(after, before);
  EXPECT_TRUE(Requests().empty());
  EXPECT_FALSE(Dirty(control.Get()));
}

TEST_F(Lifecycle, MissingPictureGivesTheDefaultAndAnEmptyOneStaysEmpty) {
  auto control = NewControl();
  RecordingBag bag;  // no names at all
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(control.Get(), bag));
  ComPtr<IPictureDisp> icon;
  control->get_TrayIcon(&icon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(PictureType(icon.Get()), PICTYPE_ICON);
  EXPECT_EQ(TipOf(control.Get()), kDefaultTip);

  auto second = NewControl();
  RecordingBag empty;
  empty.Set(L"InTray", BoolValue(true));
  VARIANT nothing = ObjectValue(nullptr);
  empty.Set(L"TrayIcon", nothing);
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(second.Get(), empty));
  ComPtr<IPictureDisp> none;
  second->get_TrayIcon(&none);
  EXPECT_EQ(none, nullptr);
  // The shown icon has no image; a save writes the empty reference.
  ASSERT_FALSE(Requests().empty());
  EXPECT_EQ(Requests()[0].record.uFlags & NIF_ICON, 0u);
  RecordingBag saved;
  ASSERT_HRESULT_SUCCEEDED(SaveTo(second.Get(), saved));
  ASSERT_NE(saved.Find(L"TrayIcon"), nullptr);
  EXPECT_EQ(saved.Find(L"TrayIcon")->vt, VT_DISPATCH);
  EXPECT_EQ(saved.Find(L"TrayIcon")->pdispVal, nullptr);
}

TEST_F(Lifecycle, TheControlStaysAtItsOwnSize) {
  TestSite site(Ambient::Running);
  auto control = NewControl();
  Site(control.Get(), &site);
  ComPtr<IOleObject> object;
  ASSERT_HRESULT_SUCCEEDED(control.As(&object));
  SIZEL asked{5000, 123};
  // A fixed-size object refuses another size and keeps its own.
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &asked), E_FAIL);
  SIZEL extent{};
  ASSERT_HRESULT_SUCCEEDED(object->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(extent.cx, 900);
  EXPECT_EQ(extent.cy, 900);

  RECT pos{0, 0, 400, 300};
  ASSERT_HRESULT_SUCCEEDED(
      object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window(), &pos));
  EXPECT_EQ(site.calls, (std::vector<std::string>{"OnInPlaceActivate", "GetWindow",
                                                  "GetWindowContext", "ShowObject"}));
  HWND hwnd = WindowOf(control.Get());
  EXPECT_EQ(GetParent(hwnd), site.window());
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  MapWindowPoints(nullptr, site.window(), reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(rc.left, 10);  // where the site put it
  EXPECT_EQ(rc.top, 20);
  EXPECT_EQ(rc.right - rc.left, MulDiv(900, dpi, 2540));
  EXPECT_EQ(rc.bottom - rc.top, MulDiv(900, dpi, 2540));

  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_HRESULT_SUCCEEDED(control.As(&inPlace));
  RECT bigger{5, 5, 500, 500};
  ASSERT_HRESULT_SUCCEEDED(inPlace->SetObjectRects(&bigger, &bigger));
  GetClientRect(hwnd, &rc);
  EXPECT_EQ(rc.right, MulDiv(900, dpi, 2540));
  ASSERT_HRESULT_SUCCEEDED(inPlace->InPlaceDeactivate());
  EXPECT_EQ(GetParent(hwnd), nullptr);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(site.calls.back(), "OnInPlaceDeactivate");
}

TEST_F(Lifecycle, DestroyingAShownControlRemovesIconAndHook) {
  TestSite site(Ambient::Running);
  auto control = NewControl();
  SiteAndActivate(control.Get(), &site);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  HWND hwnd = WindowOf(control.Get());
  EventSink sink;
  DWORD cookie = AdviseThroughClassInfo(control.Get(), &sink);

  // The host's removal sequence.
  Unadvise(control.Get(), cookie);
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_HRESULT_SUCCEEDED(control.As(&inPlace));
  ASSERT_HRESULT_SUCCEEDED(inPlace->InPlaceDeactivate());
  ComPtr<IOleObject> object;
  ASSERT_HRESULT_SUCCEEDED(control.As(&object));
  ASSERT_HRESULT_SUCCEEDED(object->Close(OLECLOSE_NOSAVE));
  ASSERT_HRESULT_SUCCEEDED(object->SetClientSite(nullptr));
  inPlace.Reset();
  object.Reset();
  EXPECT_EQ(control.Reset(), 0u);

  ASSERT_EQ(Requests().size(), 2u);
  EXPECT_EQ(Requests()[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(Requests()[1].record.hWnd, hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(sink.refs(), 1u);
}

TEST_F(Lifecycle, StreamHostsGetThePropertiesBack) {
  auto first = NewControl();
  InitNew(first.Get());
  SetTip(first.Get(), L"Round trip");
  ComPtr<IPersistStreamInit> persist;
  ASSERT_HRESULT_SUCCEEDED(first.As(&persist));
  EXPECT_TRUE(Dirty(first.Get()));
  ComPtr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ASSERT_HRESULT_SUCCEEDED(persist->Save(stream.Get(), TRUE));
  EXPECT_FALSE(Dirty(first.Get()));
  ULARGE_INTEGER size{}, written{};
  ASSERT_HRESULT_SUCCEEDED(persist->GetSizeMax(&size));
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_CUR, &written);
  EXPECT_EQ(size.QuadPart, written.QuadPart);
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);

  TestSite site(Ambient::Running);
  auto second = NewControl();
  Site(second.Get(), &site);
  ComPtr<IPersistStreamInit> loader;
  ASSERT_HRESULT_SUCCEEDED(second.As(&loader));
  ASSERT_HRESULT_SUCCEEDED(loader->Load(stream.Get()));
  EXPECT_EQ(TipOf(second.Get()), L"Round trip");
  ComPtr<IPictureDisp> icon;
  second->get_TrayIcon(&icon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(PictureType(icon.Get()), PICTYPE_ICON);
  EXPECT_HRESULT_FAILED(loader->Load(stream.Get())) << "a control is loaded once";
}

TEST_F(Lifecycle, ADamagedStreamIsRefused) {
  const BYTE cases[][16] = {
      {'U', 'C', 'P', 'B', 1, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},  // huge name
      {'X', 'X', 'X', 'X', 1, 0, 0, 0, 0, 0, 0, 0},
      {'U', 'C', 'P', 'B', 1, 0, 0, 0, 2, 0, 0, 0},  // entries missing
  };
  for (const auto& bytes : cases) {
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(bytes, sizeof(bytes)));
    auto control = NewControl();
    ComPtr<IPersistStreamInit> loader;
    ASSERT_HRESULT_SUCCEEDED(control.As(&loader));
    EXPECT_HRESULT_FAILED(loader->Load(stream.Get()));
    // Nothing of the damaged data was taken: the control has the defaults of a new one.
    EXPECT_EQ(TipOf(control.Get()), kDefaultTip);
  }
}

TEST_F(Lifecycle, EveryInterfaceLeadsBackToOneIdentity) {
  auto control = NewControl();
  ComPtr<IUnknown> identity;
  ASSERT_HRESULT_SUCCEEDED(control.As(&identity));
  const IID* iids[] = {
      &IID_IDispatch,           &IID__cKestrow,          &IID_IOleObject,
      &IID_IOleInPlaceObject,   &IID_IOleWindow,         &IID_IOleControl,
      &IID_IPersistPropertyBag, &IID_IPersistStreamInit, &IID_IPersist,
      &IID_IViewObject,         &IID_IViewObject2,       &IID_IConnectionPointContainer,
      &IID_IProvideClassInfo,   &IID_IProvideClassInfo2, &IID_ICategorizeProperties};
  for (const IID* iid : iids) {
    ComPtr<IUnknown> piece;
    ASSERT_HRESULT_SUCCEEDED(
        identity->QueryInterface(*iid, reinterpret_cast<void**>(piece.GetAddressOf())));
    ComPtr<IUnknown> back;
    ASSERT_HRESULT_SUCCEEDED(piece.As(&back));
    EXPECT_EQ(back.Get(), identity.Get());
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(
      identity->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(none.GetAddressOf())),
      E_NOINTERFACE);
  identity.Reset();
  EXPECT_EQ(control.Reset(), 0u);
}

TEST_F(Lifecycle, PropertyBrowsersGetEachPropertysCategory) {
  auto control = NewControl();
  ComPtr<ICategorizeProperties> categories;
  ASSERT_HRESULT_SUCCEEDED(control.As(&categories));
  PROPCAT category = 0;
  ASSERT_HRESULT_SUCCEEDED(categories->MapPropertyToCategory(-517, &category));  // TrayTip
  EXPECT_EQ(category, -2) << "Misc";
  ASSERT_HRESULT_SUCCEEDED(categories->MapPropertyToCategory(2, &category));  // InTray
  EXPECT_EQ(category, -6) << "Behavior";
  EXPECT_HRESULT_FAILED(categories->MapPropertyToCategory(1, &category)) << "TrayIcon: none";
  EXPECT_HRESULT_FAILED(categories->MapPropertyToCategory(99, &category));
  BSTR name = nullptr;
  EXPECT_HRESULT_FAILED(categories->GetCategoryName(-2, 0x0409, &name))
      << "the names of the standard categories come from the container";
  EXPECT_EQ(name, nullptr);
  // Never claimed safe for scripting or initialization.
  ComPtr<IUnknown> safety;
  const IID iidObjectSafety = {
      0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
  EXPECT_EQ(
      control->QueryInterface(iidObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf())),
      E_NOINTERFACE);
}

TEST_F(Lifecycle, TheFaceIsTheIconInARaisedFrame) {
  auto control = NewControl();
  InitNew(control.Get());
  DrawnFace face(control.Get());
  ASSERT_HRESULT_SUCCEEDED(face.result());
  // The soft raised outer edge: highlight on the top-left, dark shadow on the bottom-right.
  EXPECT_EQ(face.Pixel(20, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(face.Pixel(20, 33), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(face.Pixel(36, 36), RGB(0, 0, 0)) << "nothing outside the bounds";
  // The default icon's blue disc shows inside the frame.
  EXPECT_NE(face.Pixel(16, 6), RGB(0, 0, 0));
}

}  // namespace
}  // namespace kestrow_test
