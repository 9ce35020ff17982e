#include "TestHost.h"

#include <gtest/gtest.h>

namespace kestrow_test {

TestSite::TestSite(Ambient mode) : mode_(mode) {
  window_ = CreateWindowExW(0, L"STATIC", L"test host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
}

TestSite::~TestSite() { DestroyWindow(window_); }

STDMETHODIMP TestSite::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
    *ppv = static_cast<IOleClientSite*>(this);
  } else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) {
    *ppv = static_cast<IOleInPlaceSite*>(this);
  } else if (riid == IID_IDispatch) {
    *ppv = static_cast<IDispatch*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP TestSite::GetMoniker(DWORD, DWORD, IMoniker** mk) {
  *mk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TestSite::GetContainer(IOleContainer** c) {
  *c = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestSite::ShowObject() {
  calls.push_back("ShowObject");
  return S_OK;
}

STDMETHODIMP TestSite::GetWindow(HWND* hwnd) {
  calls.push_back("GetWindow");
  *hwnd = window_;
  return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceActivate() {
  calls.push_back("OnInPlaceActivate");
  return S_OK;
}

STDMETHODIMP TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                        LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO) {
  calls.push_back("GetWindowContext");
  *frame = nullptr;
  *doc = nullptr;
  // Larger than the control will accept.
  *pos = {10, 20, 210, 120};
  *clip = *pos;
  return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceDeactivate() {
  calls.push_back("OnInPlaceDeactivate");
  return S_OK;
}

STDMETHODIMP TestSite::GetTypeInfoCount(UINT* n) {
  *n = 0;
  return S_OK;
}

STDMETHODIMP TestSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                              EXCEPINFO*, UINT*) {
  if (id != DISPID_AMBIENT_USERMODE || mode_ == Ambient::Missing) return DISP_E_MEMBERNOTFOUND;
  result->vt = VT_BOOL;
  result->boolVal = mode_ == Ambient::Running ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID___cKestrow) {
    return E_NOINTERFACE;
  }
  *ppv = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*) {
  RaisedEvent e{id, static_cast<int>(params->cArgs), 0, 0};
  SHORT* button = nullptr;
  LONG* idRef = nullptr;
  if (params->cArgs >= 1 && params->rgvarg[0].vt == (VT_I4 | VT_BYREF)) {
    idRef = params->rgvarg[0].plVal;
  }
  if (params->cArgs == 2 && params->rgvarg[1].vt == (VT_I2 | VT_BYREF)) {
    button = params->rgvarg[1].piVal;
  }
  if (idRef) e.id = *idRef;
  if (button) e.button = *button;
  events.push_back(e);
  if (onEvent) onEvent(button, idRef);
  return S_OK;
}

DWORD AdviseThroughClassInfo(IUnknown* control, IDispatch* sink) {
  ComPtr<IProvideClassInfo2> info;
  EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&info)));
  if (!info) return 0;
  GUID events{};
  EXPECT_HRESULT_SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
  ComPtr<IConnectionPointContainer> container;
  EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container)));
  ComPtr<IConnectionPoint> point;
  EXPECT_HRESULT_SUCCEEDED(container->FindConnectionPoint(events, &point));
  DWORD cookie = 0;
  if (point) {
    EXPECT_HRESULT_SUCCEEDED(point->Advise(sink, &cookie));
  }
  return cookie;
}

void Unadvise(IUnknown* control, DWORD cookie) {
  ComPtr<IConnectionPointContainer> container;
  ASSERT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container)));
  ComPtr<IConnectionPoint> point;
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(DIID___cKestrow, &point));
  EXPECT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
}

STDMETHODIMP RecordingBag::QueryInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IPropertyBag) return E_NOINTERFACE;
  *ppv = static_cast<IPropertyBag*>(this);
  return S_OK;
}

STDMETHODIMP RecordingBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  const VARIANT* stored = Find(name);
  if (!stored) return E_INVALIDARG;
  return VariantCopy(value, const_cast<VARIANT*>(stored));
}

STDMETHODIMP RecordingBag::Write(LPCOLESTR name, VARIANT* value) {
  names.push_back(name);
  Set(name, *value);
  return S_OK;
}

void RecordingBag::Set(const std::wstring& name, const VARIANT& value) {
  for (auto& [n, v] : values_) {
    if (_wcsicmp(n.c_str(), name.c_str()) == 0) {
      VariantClear(&v);
      VariantCopy(&v, const_cast<VARIANT*>(&value));
      return;
    }
  }
  VARIANT copy;
  VariantInit(&copy);
  VariantCopy(&copy, const_cast<VARIANT*>(&value));
  values_.emplace_back(name, copy);
}

const VARIANT* RecordingBag::Find(const std::wstring& name) const {
  for (const auto& [n, v] : values_) {
    if (_wcsicmp(n.c_str(), name.c_str()) == 0) return &v;
  }
  return nullptr;
}

RecordingBag::~RecordingBag() {
  for (auto& [n, v] : values_) VariantClear(&v);
}

ComPtr<IPictureDisp> IconPicture(HICON icon) {
  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.picType = PICTYPE_ICON;
  desc.icon.hicon = icon;
  ComPtr<IPictureDisp> picture;
  OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                           reinterpret_cast<void**>(picture.GetAddressOf()));
  return picture;
}

ComPtr<IPictureDisp> NewIconPicture() {
  BYTE andMask[32 * 4], xorMask[32 * 4];
  memset(andMask, 0, sizeof(andMask));
  memset(xorMask, 0xA5, sizeof(xorMask));
  return IconPicture(CreateIcon(GetModuleHandleW(nullptr), 16, 16, 1, 1, andMask, xorMask));
}

ComPtr<IPictureDisp> BitmapPicture() {
  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.picType = PICTYPE_BITMAP;
  desc.bmp.hbitmap = CreateBitmap(16, 16, 1, 1, nullptr);
  ComPtr<IPictureDisp> picture;
  OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                           reinterpret_cast<void**>(picture.GetAddressOf()));
  return picture;
}

HICON PictureHandle(IPictureDisp* picture) {
  ComPtr<IPicture> p;
  OLE_HANDLE handle = 0;
  if (picture && SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&p)))) p->get_Handle(&handle);
  return static_cast<HICON>(LongToHandle(static_cast<LONG>(handle)));
}

SHORT PictureType(IPictureDisp* picture) {
  ComPtr<IPicture> p;
  SHORT type = -1;
  if (picture && SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&p)))) p->get_Type(&type);
  return type;
}

VARIANT BoolValue(bool b) {
  VARIANT v;
  v.vt = VT_BOOL;
  v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT TextValue(const wchar_t* text) {
  VARIANT v;
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

VARIANT ObjectValue(IDispatch* object) {
  VARIANT v;
  v.vt = VT_DISPATCH;
  v.pdispVal = object;
  if (object) object->AddRef();
  return v;
}

}  // namespace kestrow_test
