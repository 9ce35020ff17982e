// Kestrow.ocx as COM sees it: its class object without registration, regsvr32 and what it
// writes, creation by ProgID, a script host, events through the connection point, an ATL
// container, and the module's unload rule.
#include <gtest/gtest.h>

#include <string>

#include "TestHost.h"

namespace kestrow_test {
namespace {

constexpr wchar_t kClsid[] = L"{D33EED4D-19F7-4F71-8AF6-0F9092A2DC74}";
constexpr wchar_t kLibid[] = L"{5B0D6165-2BBF-4011-835C-AB11A42B0AC8}";
constexpr wchar_t kDualIid[] = L"{4F31CDCE-198A-406E-85A8-FC49AA4E679C}";
constexpr wchar_t kEventsIid[] = L"{CB26B435-45C8-4E7D-A1F1-BA00734768AA}";
constexpr wchar_t kProgId[] = L"KestrowCtl.cKestrow";
constexpr wchar_t kCatidControl[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

// The tests run in the folder that holds the built binaries.
std::wstring BinFolder() {
  wchar_t path[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, path);
  return path;
}

std::wstring OcxPath() { return BinFolder() + L"\\Kestrow.ocx"; }

// Runs a program to its end and returns its exit code, with its standard output in output.
DWORD RunProgram(std::wstring commandLine, std::string* output = nullptr) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &sa, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                BinFolder().c_str(), &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return static_cast<DWORD>(-1);
  }
  std::string text;
  char buffer[512];
  DWORD n = 0;
  while (ReadFile(readEnd, buffer, sizeof(buffer), &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(readEnd);
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  if (output) *output = text;
  return code;
}

DWORD Regsvr32At(const std::wstring& path, const wchar_t* options) {
  return RunProgram(L"regsvr32.exe " + std::wstring(options) + L" \"" + path + L"\"");
}

DWORD Regsvr32(const wchar_t* options) { return Regsvr32At(OcxPath(), options); }

bool KeyExists(const std::wstring& path, HKEY root = HKEY_CLASSES_ROOT) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

std::wstring DefaultValue(const std::wstring& path, const wchar_t* name = nullptr,
                          HKEY root = HKEY_CLASSES_ROOT) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return value;
}

HRESULT CanUnloadNow() {
  HMODULE module = GetModuleHandleW(L"Kestrow.ocx");
  if (!module) return S_OK;  // not loaded at all
  auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return canUnload ? canUnload() : E_FAIL;
}

std::wstring StringProperty(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 0;
  EXPECT_HRESULT_SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  EXPECT_HRESULT_SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                          &none, &result, nullptr, nullptr));
  VariantChangeType(&result, &result, 0, VT_BSTR);
  std::wstring text = result.vt == VT_BSTR ? result.bstrVal : L"<not text>";
  VariantClear(&result);
  return text;
}

TEST(Server, TheClassObjectWorksWithoutRegistration) {
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  CLSID clsid{};
  ASSERT_HRESULT_SUCCEEDED(CLSIDFromString(kClsid, &clsid));
  ComPtr<IUnknown> unused;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&unused)),
            REGDB_E_CLASSNOTREG);

  HMODULE module = LoadLibraryW(OcxPath().c_str());
  ASSERT_NE(module, nullptr);
  auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  ASSERT_NE(getClassObject, nullptr);

  ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory,
                           reinterpret_cast<void**>(factory.GetAddressOf())),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  ASSERT_HRESULT_SUCCEEDED(
      getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())));
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "a class object is alive";

  ComPtr<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IUnknown,
                                    reinterpret_cast<void**>(aggregated.GetAddressOf())),
            CLASS_E_NOAGGREGATION);
  ComPtr<_cKestrow> control;
  ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(
      nullptr, IID__cKestrow, reinterpret_cast<void**>(control.GetAddressOf())));
  BSTR tip = SysAllocString(L"no registry");
  EXPECT_HRESULT_SUCCEEDED(control->put_TrayTip(tip));
  SysFreeString(tip);
  ComPtr<IDispatch> dispatch;
  ASSERT_HRESULT_SUCCEEDED(control.As(&dispatch));
  EXPECT_EQ(StringProperty(dispatch.Get(), L"TrayTip"), L"no registry");
  dispatch.Reset();

  ASSERT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
  factory.Reset();
  EXPECT_EQ(control.Reset(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "the server is locked";
  ComPtr<IClassFactory> again;
  ASSERT_HRESULT_SUCCEEDED(
      getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(again.GetAddressOf())));
  ASSERT_HRESULT_SUCCEEDED(again->LockServer(FALSE));
  again.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  FreeLibrary(module);
}

TEST(Server, TheVersionBlockNamesTheControl) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(OcxPath().c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(OcxPath().c_str(), 0, size, data.data()));
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
  auto text = [&](const wchar_t* name) -> std::wstring {
    wchar_t* value = nullptr;
    UINT chars = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &chars)) {
      return L"<missing>";
    }
    return value;
  };
  EXPECT_EQ(text(L"ProductName"), L"Kestrow Icon Control");
  EXPECT_EQ(text(L"FileVersion"), L"1.00.3723");
  EXPECT_EQ(text(L"ProductVersion"), L"1.00.3723");
  EXPECT_EQ(text(L"InternalName"), L"Kestrow");
  EXPECT_EQ(text(L"OriginalFilename"), L"Kestrow.ocx");
  EXPECT_NE(text(L"OLESelfRegister"), L"<missing>");
}

class Registered : public testing::Test {
 protected:
  static void SetUpTestSuite() { registered_ = Regsvr32(L"/s") == 0; }
  static void TearDownTestSuite() { Regsvr32(L"/s /u"); }
  void SetUp() override { ASSERT_TRUE(registered_) << "regsvr32 failed"; }

  static ComPtr<_cKestrow> CreateByProgId() {
    CLSID clsid{};
    EXPECT_HRESULT_SUCCEEDED(CLSIDFromProgID(kProgId, &clsid));
    ComPtr<_cKestrow> control;
    EXPECT_HRESULT_SUCCEEDED(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)));
    return control;
  }

  static inline bool registered_ = false;
};

TEST_F(Registered, TheClassIsRecordedAsAControlWithItsTypeLibrary) {
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsid;
  std::wstring path = DefaultValue(clsidKey + L"\\InprocServer32");
  EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, OcxPath().c_str(), -1, TRUE), CSTR_EQUAL)
      << "registered path " << testing::PrintToString(path);
  EXPECT_EQ(DefaultValue(clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(DefaultValue(clsidKey + L"\\ProgID"), kProgId);
  EXPECT_EQ(DefaultValue(clsidKey + L"\\VersionIndependentProgID"), kProgId);
  EXPECT_TRUE(KeyExists(clsidKey + L"\\Control"));
  EXPECT_EQ(DefaultValue(clsidKey + L"\\ToolboxBitmap32"), path + L", 30000");
  EXPECT_EQ(DefaultValue(clsidKey + L"\\TypeLib"), kLibid);
  EXPECT_EQ(DefaultValue(clsidKey + L"\\Version"), L"1.0");
  const DWORD misc = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                     OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
  EXPECT_EQ(DefaultValue(clsidKey + L"\\MiscStatus\\1"), std::to_wstring(misc));
  EXPECT_EQ(DefaultValue(std::wstring(kProgId) + L"\\CLSID"), kClsid);
  EXPECT_TRUE(KeyExists(clsidKey + L"\\Implemented Categories\\" + kCatidControl))
      << "listed among the controls";
  EXPECT_NE(DefaultValue(std::wstring(L"Component Categories\\") + kCatidControl, L"409"),
            L"<missing>")
      << "the category has a description";
  EXPECT_TRUE(KeyExists(std::wstring(L"TypeLib\\") + kLibid + L"\\1.0"));
  // A dual interface is marshalled through its type library, so vtable calls cross apartments.
  EXPECT_EQ(DefaultValue(std::wstring(L"Interface\\") + kDualIid + L"\\ProxyStubClsid32"),
            L"{00020424-0000-0000-C000-000000000046}");
  // The toolbox bitmap is where the registration says.
  HMODULE module = LoadLibraryExW(OcxPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(30000), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION dib{};
  GetObjectW(bitmap, sizeof(dib), &dib);
  EXPECT_EQ(dib.dsBmih.biWidth, 16);
  EXPECT_EQ(dib.dsBmih.biHeight, 15);
  EXPECT_EQ(dib.dsBmih.biBitCount, 4);
  DeleteObject(bitmap);
  FreeLibrary(module);
}

TEST_F(Registered, ThePropertiesAnswerThroughTheTypeLibrary) {
  auto control = CreateByProgId();
  ASSERT_NE(control, nullptr);
  ComPtr<IDispatch> dispatch;
  ASSERT_HRESULT_SUCCEEDED(control.As(&dispatch));
  const struct {
    const wchar_t* name;
    DISPID id;
  } members[] = {{L"TrayTip", -517}, {L"TrayIcon", 1}, {L"InTray", 2}, {L"intray", 2}};
  for (const auto& m : members) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
    DISPID id = 0;
    ASSERT_HRESULT_SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id));
    EXPECT_EQ(id, m.id) << testing::PrintToString(std::wstring(m.name));
  }
  // TrayIcon has no let form: assigning a value rather than a reference fails.
  VARIANT arg;
  arg.vt = VT_I4;
  arg.lVal = 5;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&arg, &named, 1, 1};
  EXPECT_HRESULT_FAILED(dispatch->Invoke(1, IID_NULL, 0x0409, DISPATCH_PROPERTYPUT, &params,
                                         nullptr, nullptr, nullptr));
  ComPtr<ITypeInfo> info;
  ASSERT_HRESULT_SUCCEEDED(dispatch->GetTypeInfo(0, 0x0409, &info));
  ComPtr<ITypeLib> lib;
  UINT index = 0;
  ASSERT_HRESULT_SUCCEEDED(info->GetContainingTypeLib(&lib, &index));
  TLIBATTR* attr = nullptr;
  ASSERT_HRESULT_SUCCEEDED(lib->GetLibAttr(&attr));
  EXPECT_EQ(attr->lcid, 0x0409u);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  lib->ReleaseTLibAttr(attr);
  BSTR name = nullptr, doc = nullptr;
  ASSERT_HRESULT_SUCCEEDED(lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr));
  EXPECT_STREQ(name, L"KestrowCtl");
  EXPECT_STREQ(doc, L"Kestrow Icon Control");
  SysFreeString(name);
  SysFreeString(doc);
}

TEST_F(Registered, AScriptReadsAndSetsTheProperties) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring script = std::wstring(folder) + L"kestrow_test.vbs";
  const char body[] =
      "Set k = CreateObject(\"KestrowCtl.cKestrow\")\r\n"
      "WScript.Echo \"InTray=\" & k.InTray\r\n"
      "WScript.Echo \"Default=\" & k.TrayTip\r\n"
      "WScript.Echo \"Icon=\" & k.TrayIcon.Type\r\n"
      "k.TrayTip = \"Set from a script\"\r\n"
      "WScript.Echo \"TrayTip=\" & k.TrayTip\r\n"
      "k.InTray = True\r\n"
      "WScript.Echo \"InTray=\" & k.InTray\r\n"
      "k.InTray = False\r\n"
      "WScript.Echo \"InTray=\" & k.InTray\r\n";
  HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, body, sizeof(body) - 1, &written, nullptr);
  CloseHandle(file);

  std::string output;
  EXPECT_EQ(RunProgram(L"cscript.exe //nologo \"" + script + L"\"", &output), 0u);
  EXPECT_EQ(output,
            "InTray=False\r\nDefault=VB 5 - Kestrow Control.\r\nIcon=3\r\n"
            "TrayTip=Set from a script\r\nInTray=True\r\nInTray=False\r\n");
  DeleteFileW(script.c_str());
}

TEST_F(Registered, EventsReachASinkAdvisedThroughTheClassInfo) {
  auto control = CreateByProgId();
  ASSERT_NE(control, nullptr);
  EventSink sink;
  DWORD cookie = AdviseThroughClassInfo(control.Get(), &sink);
  ASSERT_NE(cookie, 0u);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));  // the real shell this time
  ComPtr<IOleWindow> window;
  ASSERT_HRESULT_SUCCEEDED(control.As(&window));
  HWND hwnd = nullptr;
  window->GetWindow(&hwnd);
  // Wine shows notification-area icons in a window of its own, which appears with the first.
  HWND tray = nullptr;
  for (int i = 0; i < 100 && !(tray && IsWindowVisible(tray)); ++i) {
    tray = FindWindowW(nullptr, L"Wine System Tray");
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(50);
  }
  EXPECT_TRUE(tray && IsWindowVisible(tray)) << "the icon is in Wine's system tray";
  SendMessageW(hwnd, 1125, 0, WM_LBUTTONDOWN);
  SendMessageW(hwnd, 1125, 0, WM_LBUTTONDBLCLK);
  ASSERT_EQ(sink.events.size(), 2u);
  EXPECT_EQ(sink.events[0].dispid, 2);
  EXPECT_EQ(sink.events[0].button, 1);
  EXPECT_EQ(sink.events[1].dispid, 4);
  EXPECT_EQ(sink.events[1].id, 0);
  Unadvise(control.Get(), cookie);
  SendMessageW(hwnd, 1125, 0, WM_LBUTTONDOWN);
  EXPECT_EQ(sink.events.size(), 2u) << "an unadvised sink hears nothing";
  EXPECT_EQ(sink.refs(), 1u);
}

TEST_F(Registered, AnAtlContainerHostsTheControl) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  auto winInit = reinterpret_cast<BOOL(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_TRUE(winInit && getControl);
  ASSERT_TRUE(winInit());

  HWND parent = CreateWindowExW(0, L"STATIC", L"ATL host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
  HWND axwin = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                               parent, nullptr, nullptr, nullptr);
  ASSERT_NE(axwin, nullptr);
  ComPtr<IUnknown> unknown;
  ASSERT_HRESULT_SUCCEEDED(getControl(axwin, &unknown));
  ComPtr<_cKestrow> control;
  ASSERT_HRESULT_SUCCEEDED(unknown.As(&control));
  ComPtr<IOleWindow> window;
  ASSERT_HRESULT_SUCCEEDED(unknown.As(&window));
  HWND hwnd = nullptr;
  ASSERT_HRESULT_SUCCEEDED(window->GetWindow(&hwnd));
  EXPECT_EQ(GetParent(hwnd), axwin) << "activated in place on the container's window";
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE);

  EventSink sink;
  DWORD cookie = AdviseThroughClassInfo(unknown.Get(), &sink);
  ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
  SendMessageW(hwnd, 1125, 0, WM_RBUTTONUP);
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0].dispid, 3);
  EXPECT_EQ(sink.events[0].button, 2);
  Unadvise(unknown.Get(), cookie);
  window.Reset();
  control.Reset();
  unknown.Reset();
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(hwnd)) << "the container let the control go";
}

TEST_F(Registered, ReferenceCountsBalanceAndTheModuleMayUnload) {
  {
    auto control = CreateByProgId();
    ASSERT_NE(control, nullptr);
    ComPtr<IOleObject> object;
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    ASSERT_HRESULT_SUCCEEDED(control.As(&object));
    ASSERT_HRESULT_SUCCEEDED(control.As(&persist));
    ASSERT_HRESULT_SUCCEEDED(control.As(&points));
    ASSERT_HRESULT_SUCCEEDED(points->FindConnectionPoint(DIID___cKestrow, &point));
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    EXPECT_EQ(control->AddRef(), 6u);
    EXPECT_EQ(control->Release(), 5u);
    point.Reset();
    points.Reset();
    persist.Reset();
    object.Reset();
    EXPECT_EQ(control.Reset(), 0u);
  }
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(Unload, AControlWhoseHostWentFirstLeavesNothingInTheProcess) {
  HMODULE module = LoadLibraryW(OcxPath().c_str());
  ASSERT_NE(module, nullptr);
  auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  ASSERT_NE(getClassObject, nullptr);
  CLSID clsid{};
  ASSERT_HRESULT_SUCCEEDED(CLSIDFromString(kClsid, &clsid));
  {
    ComPtr<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())));
    ComPtr<_cKestrow> control;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(
        nullptr, IID__cKestrow, reinterpret_cast<void**>(control.GetAddressOf())));
    factory.Reset();
    TestSite site(Ambient::Running);
    ComPtr<IOleObject> object;
    ASSERT_HRESULT_SUCCEEDED(control.As(&object));
    ASSERT_HRESULT_SUCCEEDED(object->SetClientSite(&site));
    RECT pos{0, 0, 34, 34};
    ASSERT_HRESULT_SUCCEEDED(
        object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window(), &pos));
    ASSERT_HRESULT_SUCCEEDED(control->put_InTray(VARIANT_TRUE));
    EXPECT_NE(FindWindowA("KestrowShellWatch", nullptr), nullptr);
    // The host destroys its own window before it lets the control go.
    DestroyWindow(site.window());
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    object.Reset();
    EXPECT_EQ(control.Reset(), 0u);
  }
  EXPECT_EQ(FindWindowA("KestrowShellWatch", nullptr), nullptr) << "a window was left behind";
  EXPECT_EQ(CanUnloadNow(), S_OK);
  FreeLibrary(module);
  CoFreeUnusedLibrariesEx(0, 0);
  ASSERT_EQ(GetModuleHandleW(L"Kestrow.ocx"), nullptr) << "the library is unloaded";
  // A window left behind would now run code that is gone.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  WNDCLASSA wc{};
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleW(nullptr), "KestrowShellWatch", &wc));
}

TEST(Unregistration, LeavesNothingBehindAndCanBeRepeated) {
  ASSERT_EQ(Regsvr32(L"/s"), 0u);
  ASSERT_TRUE(KeyExists(std::wstring(L"CLSID\\") + kClsid));
  EXPECT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_EQ(Regsvr32(L"/s /u"), 0u) << "unregistering twice is not an error";
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsid));
  EXPECT_FALSE(KeyExists(kProgId));
  EXPECT_FALSE(KeyExists(std::wstring(L"TypeLib\\") + kLibid));
  EXPECT_FALSE(KeyExists(std::wstring(L"Interface\\") + kDualIid));
  EXPECT_FALSE(KeyExists(std::wstring(L"Interface\\") + kEventsIid));
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsid + L"\\Implemented Categories"));
  CLSID clsid{};
  EXPECT_HRESULT_FAILED(CLSIDFromProgID(kProgId, &clsid));
}

const std::wstring kMachineClasses = L"Software\\Classes\\";

// On 64-bit Windows the ProgID and TypeLib keys are one for both bitnesses while CLSID has a
// view each: with the other bitness's control registered, this one registers, and
// unregistering it keeps the ProgID and the other's library path. Wine keeps a ProgID per
// view, so the other control's registration is stood in for by its class and library keys.
TEST(Unregistration, KeepsWhatTheOtherBitnessStillNeeds) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (sizeof(void*) == 4 && !wow64) GTEST_SKIP() << "one registry view only";
  const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  const std::wstring clsidKey = kMachineClasses + L"CLSID\\" + kClsid;
  const std::wstring otherLibrary = kMachineClasses + L"TypeLib\\" + kLibid + L"\\1.0\\409\\" +
                                    (sizeof(void*) == 8 ? L"win32" : L"win64");
  HKEY key = nullptr;
  for (const auto& [path, view] :
       {std::pair{clsidKey + L"\\InprocServer32", other}, std::pair{otherLibrary, REGSAM{0}}}) {
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // The type library's key is one for both: the other platform's path in it is no obstacle.
  ASSERT_EQ(Regsvr32(L"/s"), 0u);

  EXPECT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsid)) << "this bitness's class is gone";
  EXPECT_EQ(DefaultValue(std::wstring(kProgId) + L"\\CLSID"), kClsid) << "the ProgID stays";
  EXPECT_TRUE(KeyExists(otherLibrary, HKEY_LOCAL_MACHINE)) << "and the other's library path";

  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, clsidKey.c_str(), 0, KEY_ALL_ACCESS | other, &key),
            ERROR_SUCCESS);
  RegDeleteTreeW(key, nullptr);
  RegCloseKey(key);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, clsidKey.c_str(), other, 0);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kMachineClasses + L"TypeLib\\" + kLibid).c_str());
  EXPECT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(KeyExists(kProgId)) << "the last bitness takes the ProgID with it";
}

// What a per-user registration writes, as paths below a classes root.
std::vector<std::wstring> UserRegistrationKeys() {
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsid;
  return {clsidKey + L"\\InprocServer32",
          clsidKey + L"\\Control",
          clsidKey + L"\\Implemented Categories\\" + kCatidControl,
          std::wstring(kProgId) + L"\\CLSID",
          std::wstring(L"TypeLib\\") + kLibid + L"\\1.0",
          std::wstring(L"Interface\\") + kDualIid};
}

const std::wstring kUserClasses = L"Software\\Classes\\";

TEST(UserRegistration, GoesUnderTheUsersClassesAndIsRemovedExactly) {
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  ASSERT_EQ(Regsvr32(L"/s /u /n /i:user"), 0u) << "nothing registered counts as removed";
  for (const auto& key : UserRegistrationKeys()) {
    ASSERT_FALSE(KeyExists(kUserClasses + key, HKEY_CURRENT_USER)) << "left from before";
  }

  ASSERT_EQ(Regsvr32(L"/s /n /i:user"), 0u);
  for (const auto& key : UserRegistrationKeys()) {
    EXPECT_TRUE(KeyExists(kUserClasses + key, HKEY_CURRENT_USER)) << testing::PrintToString(key);
    EXPECT_FALSE(KeyExists(kMachineClasses + key, HKEY_LOCAL_MACHINE))
        << "nothing for the machine: " << testing::PrintToString(key);
  }
  const std::wstring clsidKey = kUserClasses + L"CLSID\\" + kClsid;
  std::wstring path = DefaultValue(clsidKey + L"\\InprocServer32", nullptr, HKEY_CURRENT_USER);
  EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, OcxPath().c_str(), -1, TRUE), CSTR_EQUAL)
      << testing::PrintToString(path);
  EXPECT_EQ(DefaultValue(kUserClasses + kProgId + L"\\CLSID", nullptr, HKEY_CURRENT_USER), kClsid);

  EXPECT_NE(DefaultValue(std::wstring(L"Component Categories\\") + kCatidControl, L"409"),
            L"<missing>")
      << "the category has a description";
  // Wine 8 does not merge the user's classes into HKEY_CLASSES_ROOT, so COM cannot be asked
  // to create the class here; the library's path for this platform is checked instead.
#ifdef _WIN64
  const wchar_t* platform = L"\\409\\win64";
#else
  const wchar_t* platform = L"\\409\\win32";
#endif
  std::wstring library = DefaultValue(kUserClasses + L"TypeLib\\" + kLibid + L"\\1.0" + platform,
                                      nullptr, HKEY_CURRENT_USER);
  EXPECT_EQ(CompareStringOrdinal(library.c_str(), -1, OcxPath().c_str(), -1, TRUE), CSTR_EQUAL)
      << testing::PrintToString(library);
  EXPECT_EQ(DefaultValue(kUserClasses + L"Interface\\" + kEventsIid + L"\\TypeLib", nullptr,
                         HKEY_CURRENT_USER),
            kLibid);

  ASSERT_EQ(Regsvr32(L"/s /u /n /i:user"), 0u);
  for (const auto& key : UserRegistrationKeys()) {
    EXPECT_FALSE(KeyExists(kUserClasses + key, HKEY_CURRENT_USER))
        << "left behind: " << testing::PrintToString(key);
  }
  EXPECT_FALSE(KeyExists(kUserClasses + kProgId, HKEY_CURRENT_USER));
  EXPECT_FALSE(KeyExists(kUserClasses + L"TypeLib\\" + kLibid, HKEY_CURRENT_USER));
  EXPECT_FALSE(KeyExists(kUserClasses + L"Interface\\" + kEventsIid, HKEY_CURRENT_USER));
  EXPECT_FALSE(
      KeyExists(kUserClasses + L"Component Categories\\" + kCatidControl, HKEY_CURRENT_USER));
}

TEST(UserRegistration, AnUnknownCommandLineIsRefusedAndTouchesNothing) {
  ASSERT_EQ(Regsvr32(L"/s /u /n /i:user"), 0u);
  HMODULE module = LoadLibraryW(OcxPath().c_str());
  ASSERT_NE(module, nullptr);
  auto install = reinterpret_cast<HRESULT(WINAPI*)(BOOL, LPCWSTR)>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllInstall")));
  ASSERT_NE(install, nullptr) << "DllInstall is exported undecorated";
  EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
  EXPECT_EQ(install(FALSE, L"users"), E_INVALIDARG);
  EXPECT_FALSE(KeyExists(kUserClasses + L"CLSID\\" + kClsid, HKEY_CURRENT_USER));
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsid));

  // "USER" in any case is the current user; an empty line is the whole machine.
  ASSERT_HRESULT_SUCCEEDED(install(TRUE, L"USER"));
  EXPECT_TRUE(KeyExists(kUserClasses + L"CLSID\\" + kClsid, HKEY_CURRENT_USER));
  ASSERT_HRESULT_SUCCEEDED(install(FALSE, L"User"));
  EXPECT_FALSE(KeyExists(kUserClasses + L"CLSID\\" + kClsid, HKEY_CURRENT_USER));
  ASSERT_HRESULT_SUCCEEDED(install(TRUE, L""));
  EXPECT_TRUE(KeyExists(std::wstring(L"CLSID\\") + kClsid));
  EXPECT_FALSE(KeyExists(kUserClasses + L"CLSID\\" + kClsid, HKEY_CURRENT_USER));
  ASSERT_HRESULT_SUCCEEDED(install(FALSE, nullptr));
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsid));
  FreeLibrary(module);
}

void MakeKey(HKEY root, const std::wstring& path, DWORD options = 0) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(root, path.c_str(), 0, nullptr, options, KEY_WRITE, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  RegCloseKey(key);
}

// Users move folders and unpack new versions beside old ones: a registration whose file is
// gone gives way to one from anywhere else.
TEST(Registration, WorksFromAnotherFolderOnceTheRegisteredOneIsGone) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring moved = std::wstring(temp) + L"Kestrow_moved.ocx";
  ASSERT_TRUE(CopyFileW(OcxPath().c_str(), moved.c_str(), FALSE));
  ASSERT_EQ(Regsvr32At(moved, L"/s"), 0u);
  ASSERT_TRUE(DeleteFileW(moved.c_str()));
  EXPECT_EQ(Regsvr32(L"/s"), 0u);
  EXPECT_EQ(Regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(KeyExists(std::wstring(L"TypeLib\\") + kLibid));
}

// A volatile key takes no lasting subkey, so the library cannot be written below it; another
// version inside keeps it through the unregistration that comes first.
TEST(Registration, AFailedRegistrationTakesBackWhatItWrote) {
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  const std::wstring library = kMachineClasses + L"TypeLib\\" + kLibid;
  MakeKey(HKEY_LOCAL_MACHINE, library + L"\\9.9", REG_OPTION_VOLATILE);
  EXPECT_NE(Regsvr32(L"/s"), 0u);
  EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + kClsid));
  EXPECT_FALSE(KeyExists(kProgId));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, library.c_str());
}

// Where a user has classes of the same names, HKEY_CLASSES_ROOT leads into the user's keys:
// played here by pointing this process's HKEY_CLASSES_ROOT at them.
TEST(Registration, TheMachinesLibraryGoesUnderTheMachinesClassesOnly) {
  ASSERT_EQ(Regsvr32(L"/s /u"), 0u);
  HMODULE module = LoadLibraryW(OcxPath().c_str());
  ASSERT_NE(module, nullptr);
  HKEY userClasses = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &userClasses, nullptr);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses), ERROR_SUCCESS);
  const std::wstring library = L"TypeLib\\" + std::wstring(kLibid);
  for (const auto& [entry, registered] :
       {std::pair{"DllRegisterServer", true}, std::pair{"DllUnregisterServer", false}}) {
    EXPECT_HRESULT_SUCCEEDED(reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, entry)))());
    EXPECT_EQ(registered, KeyExists(kMachineClasses + library, HKEY_LOCAL_MACHINE)) << entry;
    EXPECT_FALSE(KeyExists(kUserClasses + library, HKEY_CURRENT_USER)) << entry;
  }
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(userClasses);
  FreeLibrary(module);
}

// On 64-bit Windows the user's Interface keys are one set per registry view while TypeLib is
// one key for both: this build's interfaces go while the other build's library stays.
TEST(UserRegistration, RemovesItsInterfacesWhileTheOtherBuildsLibraryStays) {
  const std::wstring library = kUserClasses + L"TypeLib\\" + kLibid;
  const std::wstring other = library + L"\\1.0\\409\\" + (sizeof(void*) == 8 ? L"win32" : L"win64");
  ASSERT_EQ(Regsvr32(L"/s /n /i:user"), 0u);
  MakeKey(HKEY_CURRENT_USER, other);
  ASSERT_EQ(Regsvr32(L"/s /u /n /i:user"), 0u);
  EXPECT_FALSE(KeyExists(kUserClasses + L"Interface\\" + kDualIid, HKEY_CURRENT_USER));
  EXPECT_TRUE(KeyExists(other, HKEY_CURRENT_USER)) << "the other build's library";
  RegDeleteTreeW(HKEY_CURRENT_USER, library.c_str());
}

}  // namespace
}  // namespace kestrow_test
