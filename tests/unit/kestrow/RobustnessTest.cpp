// The control in hosts that do what our own program never does: release it inside an event or
// while the shell call lets queued messages in, destroy their window first, hand it crafted
// saved data, use it without InitNew, listen for property changes, run before the shell is
// ready, draw and size it, and create controls on two threads at once.
#include <shlwapi.h>

#include <atomic>
#include <functional>
#include <thread>

#include "ControlFixture.h"
#include "usercontrol/Module.h"
#include "usercontrol/UserControl.h"

namespace kestrow_test {
namespace {

constexpr wchar_t kDefaultTip[] = L"VB 5 - Kestrow Control.";

// A shell that records like the fixture's, refuses the first `refusedAdds` adds (which
// added the icon all the same when `addedAnyway`: a modification then finds it), and runs
// `onDelete` inside the delete request (where Windows delivers messages sent or queued to
// the icon's window while the shell call waits).
struct ScriptedShell {
  static inline int refusedAdds = 0;
  static inline bool addedAnyway = false;
  static inline std::function<void(HWND)> onDelete;
  static BOOL Notify(DWORD message, const mKestrow::NotifyIconRecord* record) noexcept {
    ControlTest_Requests().push_back({message, *record});
    if (message == NIM_DELETE && onDelete) onDelete(record->hWnd);
    if (message == NIM_MODIFY) return addedAnyway;
    if (message == NIM_ADD && refusedAdds > 0) {
      --refusedAdds;
      return FALSE;
    }
    return TRUE;
  }
};

class Robustness : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ScriptedShell::refusedAdds = 0;
    ScriptedShell::addedAnyway = false;
    ScriptedShell::onDelete = nullptr;
    mKestrow::SetShellNotifyFunction(&ScriptedShell::Notify);
    baseline_ = usercontrol::ModuleRefCount();
  }
  void TearDown() override {
    ScriptedShell::onDelete = nullptr;
    ControlTest::TearDown();
  }
  size_t Adds() const {
    size_t n = 0;
    for (const auto& r : Requests()) n += r.message == NIM_ADD;
    return n;
  }
  // A new instance still works: the library was not left damaged.
  void ExpectANewInstanceWorks() {
    auto again = NewControl();
    ASSERT_NE(again, nullptr);
    SetTip(again.Get(), L"again");
    EXPECT_EQ(TipOf(again.Get()), L"again");
  }
  LONG baseline_ = 0;
};

BOOL CALLBACK CountShellWatch(HWND hwnd, LPARAM counter) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  if (lstrcmpA(name, "KestrowShellWatch") == 0) ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int ShellWatchWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountShellWatch, reinterpret_cast<LPARAM>(&count));
  return count;
}

void Pump(HWND hwnd = nullptr) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// --- Destroyed exactly once -------------------------------------------------------------------

TEST_F(Robustness, MessagesSentDuringTheLastReleaseRaiseNothingAndDeleteOnce) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  EventSink sink;
  ASSERT_NE(AdviseThroughClassInfo(control.Get(), &sink), 0u);
  // Another thread's three callback messages arrive while the shell removes the icon.
  ScriptedShell::onDelete = [](HWND hwnd) {
    for (int i = 0; i < 3; ++i) SendMessageW(hwnd, 1125, 0, WM_LBUTTONUP);
  };
  EXPECT_EQ(control.Reset(), 0u);
  EXPECT_TRUE(sink.events.empty()) << "no event after the last release";
  EXPECT_EQ(usercontrol::ModuleRefCount(), baseline_) << "deleted exactly once";
  EXPECT_EQ(sink.refs(), 1u);
  ExpectANewInstanceWorks();
}

TEST_F(Robustness, AHostReleasingInsideDoubleClickGetsNoLaterEvent) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  HWND hwnd = WindowOf(control.Get());
  EventSink sink;
  ASSERT_NE(AdviseThroughClassInfo(control.Get(), &sink), 0u);
  // A tray utility that quits on a double-click, with the shell's button-up still queued.
  sink.onEvent = [&](SHORT*, LONG*) {
    if (sink.events.back().dispid == 4) control.Reset();
  };
  ScriptedShell::onDelete = [](HWND window) { Pump(window); };
  PostMessageW(hwnd, 1125, 0, WM_LBUTTONUP);
  SendMessageW(hwnd, 1125, 0, WM_LBUTTONDBLCLK);
  ASSERT_EQ(control, nullptr);
  EXPECT_EQ(sink.events.size(), 1u) << "only the double-click";
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(usercontrol::ModuleRefCount(), baseline_) << "deleted exactly once";
  Pump();
  EXPECT_EQ(sink.events.size(), 1u);
  ExpectANewInstanceWorks();
}

// --- Nothing left behind --------------------------------------------------------------------

TEST_F(Robustness, AHostThatDestroysItsWindowFirstLeavesNoWindowBehind) {
  const int before = ShellWatchWindows();
  {
    TestSite site(Ambient::Running);
    auto control = NewControl();
    SiteAndActivate(control.Get(), &site);
    ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
    EXPECT_EQ(ShellWatchWindows(), before + 1);
    DestroyWindow(site.window());
    EXPECT_GT(usercontrol::ModuleRefCount(), baseline_) << "the control still lives";
    EXPECT_EQ(control.Reset(), 0u);
  }
  EXPECT_EQ(ShellWatchWindows(), before) << "the instance destroyed the window it made";
  EXPECT_EQ(usercontrol::ModuleRefCount(), baseline_);
}

TEST_F(Robustness, ALiveWindowOfTheLibraryKeepsItLoaded) {
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  const LONG withObject = usercontrol::ModuleRefCount();
  // The object, its window and its shell watch window each count.
  EXPECT_GE(withObject, baseline_ + 3);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  EXPECT_EQ(usercontrol::ModuleRefCount(), withObject - 1) << "the watch window went";
  control.Reset();
  EXPECT_EQ(usercontrol::ModuleRefCount(), baseline_);
}

// --- Only pictures from saved data -------------------------------------------------------------

// A class of the test's own that notes every attempt to create it.
const CLSID kProbeClsid = {
    0x7C1F3E52, 0x0A4B, 0x4D2E, {0x9B, 0x61, 0x3C, 0x55, 0x21, 0x0E, 0x8A, 0x47}};

class ProbeFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** ppv) override {
    ++created;
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  int created = 0;
};

void Put(IStream* s, const void* data, ULONG size) {
  ASSERT_HRESULT_SUCCEEDED(s->Write(data, size, nullptr));
}
template <class T>
void PutValue(IStream* s, T value) {
  Put(s, &value, sizeof(value));
}
void PutText(IStream* s, const std::wstring& text) {
  PutValue<uint32_t>(s, static_cast<uint32_t>(text.size()));
  Put(s, text.data(), static_cast<ULONG>(text.size() * sizeof(wchar_t)));
}
void PutHeader(IStream* s, uint32_t version, uint32_t count) {
  Put(s, "UCPB", 4);
  PutValue<uint32_t>(s, version);
  PutValue<uint32_t>(s, count);
}

HRESULT LoadStream(IUnknown* control, IStream* stream) {
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ComPtr<IPersistStreamInit> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  return SUCCEEDED(hr) ? persist->Load(stream) : hr;
}

TEST_F(Robustness, SavedDataNamingAnotherClassCreatesNothing) {
  ProbeFactory probe;
  DWORD cookie = 0;
  ASSERT_HRESULT_SUCCEEDED(CoRegisterClassObject(kProbeClsid, &probe, CLSCTX_INPROC_SERVER,
                                                 REGCLS_MULTIPLEUSE, &cookie));
  // Current layout: the object's length comes first, so what follows is still read.
  ComPtr<IStream> current;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &current));
  PutHeader(current.Get(), 2, 2);
  PutText(current.Get(), L"TrayIcon");
  PutValue<uint16_t>(current.Get(), VT_DISPATCH);
  PutValue<uint8_t>(current.Get(), 1);
  PutValue<uint32_t>(current.Get(), 20);
  ASSERT_HRESULT_SUCCEEDED(WriteClassStm(current.Get(), kProbeClsid));
  PutValue<uint32_t>(current.Get(), 0xDEADBEEF);
  PutText(current.Get(), L"TrayTip");
  PutValue<uint16_t>(current.Get(), VT_BSTR);
  PutText(current.Get(), L"after the object");
  // The earlier layout, without a length: the object's class is checked all the same.
  ComPtr<IStream> earlier;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &earlier));
  PutHeader(earlier.Get(), 1, 2);
  PutText(earlier.Get(), L"TrayTip");
  PutValue<uint16_t>(earlier.Get(), VT_BSTR);
  PutText(earlier.Get(), L"before the object");
  PutText(earlier.Get(), L"TrayIcon");
  PutValue<uint16_t>(earlier.Get(), VT_DISPATCH);
  PutValue<uint8_t>(earlier.Get(), 1);
  ASSERT_HRESULT_SUCCEEDED(WriteClassStm(earlier.Get(), kProbeClsid));

  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(LoadStream(control.Get(), current.Get()));
  EXPECT_EQ(TipOf(control.Get()), L"after the object");
  ComPtr<IPictureDisp> icon;
  ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&icon));
  ASSERT_NE(icon, nullptr) << "a TrayIcon of another class counts as absent: the default";
  EXPECT_EQ(PictureType(icon.Get()), PICTYPE_ICON);
  // There nothing shows where the object ends, so a container reading on would start inside it.
  EXPECT_HRESULT_FAILED(LoadStream(NewControl().Get(), earlier.Get()));
  EXPECT_EQ(probe.created, 0) << "the probe class was created from saved data";
  CoRevokeClassObject(cookie);
}

TEST_F(Robustness, AnObjectThatIsNoPictureInABagIsIgnored) {
  auto control = NewControl();
  EventSink notAPicture;
  RecordingBag bag;
  VARIANT v = ObjectValue(&notAPicture);
  bag.Set(L"TrayIcon", v);
  VariantClear(&v);
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(control.Get(), bag));
  ComPtr<IPictureDisp> icon;
  ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&icon));
  EXPECT_EQ(icon, nullptr);
}

// --- Defaults on every path -------------------------------------------------------------------

TEST_F(Robustness, AVtableClientSeesTheDefaultsWithoutInitNew) {
  auto control = NewControl();
  EXPECT_EQ(TipOf(control.Get()), kDefaultTip);
  ComPtr<IPictureDisp> icon;
  ASSERT_HRESULT_SUCCEEDED(control->get_TrayIcon(&icon));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(PictureType(icon.Get()), PICTYPE_ICON);
  VARIANT_BOOL inTray = VARIANT_TRUE;
  ASSERT_HRESULT_SUCCEEDED(control->get_InTray(&inTray));
  EXPECT_EQ(inTray, VARIANT_FALSE);

  auto shown = NewControl();  // its first call shows the icon
  ASSERT_HRESULT_SUCCEEDED(shown->put_InTray(VARIANT_TRUE));
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].record.uFlags, 7u) << "the add carries the default image and tip";
  EXPECT_NE(Requests()[0].record.hIcon, nullptr);

  // A container that comes later may still initialise or load the control.
  ComPtr<IPersistStreamInit> persist;
  ASSERT_HRESULT_SUCCEEDED(control.As(&persist));
  EXPECT_HRESULT_SUCCEEDED(persist->InitNew());
  RecordingBag nothing;
  auto loaded = NewControl();
  SetTip(loaded.Get(), L"first");
  ASSERT_HRESULT_SUCCEEDED(LoadFrom(loaded.Get(), nothing));
  EXPECT_EQ(TipOf(loaded.Get()), kDefaultTip) << "data without the names gives the defaults";
}

// --- Containers are told of changes ------------------------------------------------------------

class PropertySink final : public IPropertyNotifySink {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyNotifySink)) {
      *ppv = static_cast<IPropertyNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID id) override {
    asked.push_back(id);
    return veto ? S_FALSE : S_OK;
  }
  ULONG refs = 1;
  bool veto = false;
  std::vector<DISPID> changed, asked;
};

TEST_F(Robustness, PropertyChangesReachNotifySinks) {
  auto control = NewControl();
  ComPtr<IConnectionPointContainer> container;
  ASSERT_HRESULT_SUCCEEDED(control.As(&container));
  ComPtr<IConnectionPoint> point;
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, &point));
  PropertySink sink;
  DWORD cookie = 0;
  ASSERT_HRESULT_SUCCEEDED(point->Advise(&sink, &cookie));
  ASSERT_TRUE(sink.changed.empty()) << "initialising notifies nobody";

  SetTip(control.Get(), L"new tip");
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  auto icon = NewIconPicture();
  ASSERT_HRESULT_SUCCEEDED(control->putref_TrayIcon(icon.Get()));
  EXPECT_EQ(sink.changed, (std::vector<DISPID>{-517, 2, 1}));
  EXPECT_EQ(sink.asked, (std::vector<DISPID>{-517, 2, 1}));

  // A container that vetoes keeps the value as it was, and the shell hears nothing.
  sink.veto = true;
  Requests().clear();
  BSTR vetoed = SysAllocString(L"vetoed");
  EXPECT_EQ(control->put_TrayTip(vetoed), S_FALSE);
  SysFreeString(vetoed);
  EXPECT_EQ(control->put_InTray(VARIANT_FALSE), S_FALSE);
  EXPECT_EQ(TipOf(control.Get()), L"new tip");
  VARIANT_BOOL inTray = VARIANT_FALSE;
  control->get_InTray(&inTray);
  EXPECT_EQ(inTray, VARIANT_TRUE);
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(sink.changed.size(), 3u);
  sink.veto = false;

  ComPtr<IEnumConnections> connections;
  ASSERT_HRESULT_SUCCEEDED(point->EnumConnections(&connections));
  CONNECTDATA data[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, cookie);
  EXPECT_EQ(data[0].pUnk, static_cast<IUnknown*>(&sink));
  data[0].pUnk->Release();
  connections.Reset();
  ASSERT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
  EXPECT_EQ(sink.refs, 1u);
  point.Reset();
  container.Reset();
  EXPECT_EQ(control.Reset(), 0u);
  EXPECT_EQ(sink.changed.size(), 3u) << "teardown notifies nobody";
}

TEST_F(Robustness, BothConnectionPointsAreListed) {
  auto control = NewControl();
  ComPtr<IConnectionPointContainer> container;
  ASSERT_HRESULT_SUCCEEDED(control.As(&container));
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_HRESULT_SUCCEEDED(container->EnumConnectionPoints(&points));
  std::vector<IID> iids;
  IConnectionPoint* point = nullptr;
  while (points->Next(1, &point, nullptr) == S_OK) {
    IID iid{};
    EXPECT_HRESULT_SUCCEEDED(point->GetConnectionInterface(&iid));
    iids.push_back(iid);
    ComPtr<IConnectionPointContainer> back;
    EXPECT_HRESULT_SUCCEEDED(point->GetConnectionPointContainer(&back));
    EXPECT_EQ(back.Get(), container.Get());
    point->Release();
  }
  ASSERT_EQ(iids.size(), 2u);
  EXPECT_TRUE(IsEqualIID(iids[0], DIID___cKestrow));
  EXPECT_TRUE(IsEqualIID(iids[1], IID_IPropertyNotifySink));
  ASSERT_HRESULT_SUCCEEDED(points->Reset());
  EXPECT_EQ(points->Skip(3), S_FALSE);
  points.Reset();
  container.Reset();
  EXPECT_EQ(control.Reset(), 0u);
}

// --- An icon that survives the shell ---------------------------------------------------------

TEST_F(Robustness, ARefusedAddIsTriedAgainUntilTheShellTakesIt) {
  ScriptedShell::refusedAdds = 3;
  auto control = NewControl();
  HWND hwnd = WindowOf(control.Get());
  const DWORD start = GetTickCount();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  while (Adds() < 4 && GetTickCount() - start < 10000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    Pump();
  }
  ASSERT_EQ(Adds(), 4u);
  EXPECT_LT(GetTickCount() - start, 5000u) << "the fourth add within five seconds";
  for (const auto& r : Requests()) EXPECT_EQ(r.record.uFlags, 7u);
  EXPECT_FALSE(KillTimer(hwnd, mKestrow::kRetryTimerId)) << "no retry after an accepted add";

  // A shell restart adds the icon once more.
  Requests().clear();
  SendMessageA(hwnd, mKestrow::TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(Adds(), 1u);
  EXPECT_FALSE(KillTimer(hwnd, mKestrow::kRetryTimerId));
}

TEST_F(Robustness, AnAddThatTimedOutButWorkedIsNotSentAgain) {
  ScriptedShell::refusedAdds = 1;
  ScriptedShell::addedAnyway = true;
  auto control = NewControl();
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  SendMessageA(WindowOf(control.Get()), WM_TIMER, mKestrow::kRetryTimerId, 0);
  ASSERT_EQ(Requests().size(), 2u);
  EXPECT_EQ(Requests()[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(Requests()[1].record.uFlags, 7u) << "image, tip and callback made sure of";
}

TEST_F(Robustness, RemovingTheIconStopsTheRetries) {
  ScriptedShell::refusedAdds = 1000;
  auto control = NewControl();
  HWND hwnd = WindowOf(control.Get());
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  EXPECT_FALSE(KillTimer(hwnd, mKestrow::kRetryTimerId)) << "no retry for a removed icon";
  // A restart whose add is refused starts the retries; a removal stops them again.
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  SendMessageA(hwnd, mKestrow::TaskbarCreatedMessage(), 0, 0);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_FALSE));
  EXPECT_FALSE(KillTimer(hwnd, mKestrow::kRetryTimerId));
  const size_t adds = Adds();
  SendMessageA(hwnd, WM_TIMER, mKestrow::kRetryTimerId, 0);
  EXPECT_EQ(Adds(), adds) << "a late timer message adds nothing";
}

// --- Drawing and sizing -----------------------------------------------------------------------

TEST_F(Robustness, DrawingPaintsTheWholeFace) {
  auto control = NewControl();
  DrawnFace face(control.Get());
  ASSERT_HRESULT_SUCCEEDED(face.result());
  // Between the 32-pixel icon and the frame the face shows, not the host's pixels.
  EXPECT_EQ(face.Pixel(32, 16), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(face.Pixel(16, 32), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(face.Pixel(36, 36), RGB(0, 0, 0)) << "nothing outside the bounds";
}

TEST_F(Robustness, AFixedSizeObjectRefusesOtherExtents) {
  auto control = NewControl();
  ComPtr<IOleObject> object;
  ASSERT_HRESULT_SUCCEEDED(control.As(&object));
  SIZEL other{1000, 900};
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &other), E_FAIL);
  SIZEL extent{};
  ASSERT_HRESULT_SUCCEEDED(object->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(extent.cx, 900);
  EXPECT_EQ(extent.cy, 900);
  SIZEL own{900, 900};
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &own), S_OK);
}

// --- Robust under failure ---------------------------------------------------------------------

TEST_F(Robustness, HookingAWindowTwiceNeverMakesItsOwnPrevious) {
  static int reached;
  reached = 0;
  struct Original {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
      if (msg == WM_USER + 500) return ++reached;
      return DefWindowProcW(hwnd, msg, w, l);
    }
  };
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Original::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KestrowHookTest";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(L"KestrowHookTest", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(mKestrow::InstallHook(hwnd, nullptr));
  ASSERT_TRUE(mKestrow::InstallHook(hwnd, nullptr));
  EXPECT_NE(mKestrow::PrevWndProc(hwnd), nullptr);
  EXPECT_NE(mKestrow::PrevWndProc(hwnd), &mKestrow::TrayWindowProc);
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 500, 0, 0), 1) << "reached once, without looping";
  mKestrow::RemoveHook(hwnd);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), &Original::Proc);
  DestroyWindow(hwnd);
}

TEST_F(Robustness, AWindowThatCannotBeHookedLeavesTheControlAsItWas) {
  const int before = ShellWatchWindows();
  TestSite site(Ambient::Running);
  auto control = NewControl();
  SiteAndActivate(control.Get(), &site);
  DestroyWindow(site.window());  // the control's window goes with its host's
  EXPECT_EQ(control->put_InTray(VARIANT_TRUE), E_FAIL);
  VARIANT_BOOL inTray = VARIANT_TRUE;
  ASSERT_HRESULT_SUCCEEDED(control->get_InTray(&inTray));
  EXPECT_EQ(inTray, VARIANT_FALSE) << "nothing recorded";
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(ShellWatchWindows(), before) << "what was made is undone";
  // Another process's window cannot be hooked either, and keeps no trace of the attempt.
  HWND foreign = GetDesktopWindow();
  EXPECT_FALSE(mKestrow::InstallHook(foreign, nullptr));
  EXPECT_EQ(mKestrow::PrevWndProc(foreign), nullptr);
  EXPECT_EQ(control.Reset(), 0u);
}

BOOL AcceptAll(DWORD, const mKestrow::NotifyIconRecord*) noexcept { return TRUE; }

TEST_F(Robustness, TwoThreadsCreatingTheirFirstControlsAtOnceBothSucceed) {
  mKestrow::SetShellNotifyFunction(&AcceptAll);  // no shared record list across threads
  for (int round = 0; round < 20; ++round) {
    // No window of the library is left, so its classes can go: the next control is a first.
    ASSERT_EQ(usercontrol::ModuleRefCount(), baseline_);
    usercontrol::UnregisterWindowClass();
    mKestrow::UnregisterWindowClass();
    std::atomic<int> ready{0}, shown{0};
    std::atomic<HRESULT> failure{S_OK};
    auto worker = [&] {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      ++ready;
      while (ready < 2) {
      }
      ComPtr<_cKestrow> control;
      if (SUCCEEDED(
              cKestrow::Create(IID__cKestrow, reinterpret_cast<void**>(control.GetAddressOf()))) &&
          SUCCEEDED(control->put_InTray(VARIANT_TRUE))) {
        ++shown;
      }
      control.Reset();
      CoUninitialize();
    };
    std::thread a(worker), b(worker);
    a.join();
    b.join();
    ASSERT_EQ(shown, 2) << "round " << round << ", failed with 0x" << std::hex << failure;
  }
}

}  // namespace
}  // namespace kestrow_test
