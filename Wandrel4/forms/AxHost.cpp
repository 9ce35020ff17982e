#include "forms/AxHost.h"

#include <olectl.h>

#include <cwchar>
#include <new>

#include "ComObject.h"
#include "PictureFromIcon.h"
#include "ScreenDpi.h"

namespace forms {

namespace {

using Microsoft::WRL::ComPtr;

bool SameName(std::wstring_view a, std::wstring_view b) noexcept {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// "text (0x800401F3)": a reason a person can read, with the code a developer can look up.
std::wstring Reason(const std::wstring& text, HRESULT hr) {
  // By hand: the C library's formatted printing would more than double the program's size.
  std::wstring code = L"0x00000000";
  auto bits = static_cast<unsigned long>(hr);
  for (size_t i = code.size(); i > 2; --i, bits >>= 4) code[i - 1] = L"0123456789ABCDEF"[bits & 15];
  return text + L" (" + code + L")";
}

// Pixels on the screen to HIMETRIC (hundredths of a millimetre), for a control that was
// given no saved extent.
LONG PixelsToHimetric(LONG pixels, int dpi) noexcept { return MulDiv(pixels, 2540, dpi); }

bool ReadExtent(const AxProperties& props, const wchar_t* name, LONG& out) {
  const VARIANT* v = props.Find(name);
  if (!v) return false;
  UniqueVariant asInt;
  if (FAILED(VariantChangeType(asInt.put(), const_cast<VARIANT*>(v), 0, VT_I4))) return false;
  out = asInt->lVal;
  return true;
}

// The property bag a control loads from. It owns a copy of the values, so it stays valid
// however long the control keeps it; what the control writes stays in that copy.
class AxPropertyBag final : public common::ComObject<AxPropertyBag, IPropertyBag> {
 public:
  static HRESULT Create(const AxProperties& from, IPropertyBag** bag) noexcept {
    if (!bag) return E_POINTER;
    *bag = nullptr;
    ComPtr<AxPropertyBag> object = common::Adopt(new (std::nothrow) AxPropertyBag);
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->values_.CopyFrom(from);
    if (FAILED(hr)) return hr;
    *bag = object.Detach();
    return S_OK;
  }

  static const QITAB* Interfaces() noexcept {
    static const QITAB table[] = {QITABENT(AxPropertyBag, IPropertyBag), {}};
    return table;
  }

  // A value asked for as VT_EMPTY comes as stored; any other type is converted, and a
  // value that cannot be converted is a type mismatch. An absent name is E_INVALIDARG,
  // which tells the control to take its default.
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) noexcept override {
    if (!name || !value) return E_POINTER;
    const VARIANT* stored = values_.Find(name);
    if (!stored) return E_INVALIDARG;
    // Only the type of *value counts on input; its other fields may hold anything.
    VARTYPE want = value->vt;
    UniqueVariant out;
    // MinGW declares the sources without const; neither function changes them.
    VARIANT* source = const_cast<VARIANT*>(stored);
    HRESULT hr = want == VT_EMPTY ? VariantCopy(out.put(), source)
                                  : VariantChangeType(out.put(), source, 0, want);
    if (FAILED(hr)) return hr;
    *value = out.release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) noexcept override {
    if (!name || !value) return E_POINTER;
    return values_.Set(name, *value);
  }

 private:
  AxPropertyBag() = default;
  ~AxPropertyBag() override = default;

  AxProperties values_;
};

}  // namespace

// AxProperties

HRESULT AxProperties::Set(std::wstring_view name, const VARIANT& value) {
  UniqueVariant copy;
  HRESULT hr = copy.CopyFrom(value);
  if (FAILED(hr)) return hr;
  try {
    for (Entry& e : entries_) {
      if (SameName(e.name, name)) {
        e.value = std::move(copy);
        return S_OK;
      }
    }
    entries_.push_back(Entry{std::wstring(name), std::move(copy)});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT AxProperties::SetBool(std::wstring_view name, bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return Set(name, v);
}

HRESULT AxProperties::SetInt(std::wstring_view name, LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return Set(name, v);
}

HRESULT AxProperties::SetText(std::wstring_view name, std::wstring_view value) {
  UniqueVariant v;
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  if (!v->bstrVal) return E_OUTOFMEMORY;
  return Set(name, *v.get());
}

HRESULT AxProperties::SetPicture(std::wstring_view name, HICON icon) {
  if (!icon) return E_INVALIDARG;
  HICON copy = CopyIcon(icon);
  if (!copy) return HRESULT_FROM_WIN32(GetLastError());
  ComPtr<IPictureDisp> picture;
  HRESULT hr = common::PictureFromIcon(copy, &picture);  // owns the copy either way
  if (FAILED(hr)) return hr;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = picture.Get();  // Set takes its own reference
  return Set(name, v);
}

const VARIANT* AxProperties::Find(std::wstring_view name) const noexcept {
  for (const Entry& e : entries_)
    if (SameName(e.name, name)) return e.value.get();
  return nullptr;
}

HRESULT AxProperties::CopyFrom(const AxProperties& from) {
  for (const Entry& e : from.entries_) {
    HRESULT hr = Set(e.name, *e.value.get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT AxProperties::CreateBag(IPropertyBag** bag) const noexcept {
  return AxPropertyBag::Create(*this, bag);
}

// The event sink: the control's connection point calls it; it hands each event to the
// host while the host is attached, and to nobody after Destroy.
class AxEventSink final : public common::ComObject<AxEventSink, IDispatch> {
 public:
  static ComPtr<AxEventSink> Create(AxHost* host, const IID& events) noexcept {
    return common::Adopt(new (std::nothrow) AxEventSink(host, events));
  }
  static const QITAB* Interfaces() noexcept {
    static const QITAB table[] = {QITABENT(AxEventSink, IDispatch), {}};
    return table;
  }
  // The connection point asks for the event interface itself: that is this IDispatch.
  const IID& Alias(REFIID riid) const noexcept { return riid == events_ ? IID_IDispatch : riid; }

  void Detach() noexcept { host_ = nullptr; }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
    if (!info) return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                          DISPID*) noexcept override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT*) noexcept override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (result) VariantInit(result);
    // A handler may destroy the host, and with it the host's reference to this sink.
    ComPtr<AxEventSink> self(this);
    if (!host_) return S_OK;
    DISPPARAMS none = {};
    try {
      host_->Dispatch(id, params ? *params : none);
    } catch (...) {
      // The handler failed; the control only learns that the event was not handled well.
      if (excep) {
        *excep = EXCEPINFO{};
        excep->scode = E_UNEXPECTED;
      }
      return DISP_E_EXCEPTION;
    }
    return S_OK;
  }

 private:
  AxEventSink(AxHost* host, const IID& events) noexcept : host_(host), events_(events) {}
  ~AxEventSink() override = default;

  AxHost* host_;
  IID events_;
};

// AxHost

AxHost::AxHost() = default;
AxHost::~AxHost() { Destroy(); }

HRESULT AxHost::OnEvent(std::wstring_view event, AxEventHandler handler) {
  try {
    Handler* slot = nullptr;
    for (Handler& h : handlers_)
      if (SameName(h.name, event)) slot = &h;
    if (slot) {
      slot->fn = std::move(handler);
      return S_OK;
    }
    Handler fresh{std::wstring(event), DISPID_UNKNOWN, std::move(handler)};
    if (control_) {
      HRESULT hr = ResolveEvent(fresh);
      if (FAILED(hr)) return hr;
    }
    handlers_.push_back(std::move(fresh));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT AxHost::Create(HWND parent, const std::wstring& progId, const RECT& rect,
                       const AxProperties& props, std::wstring* why) {
  std::wstring reason;
  HRESULT hr;
  if (control_) {
    reason = L"a control is already hosted here";
    hr = E_UNEXPECTED;
  } else {
    try {
      progId_ = progId;
      hr = CreateSteps(parent, progId, rect, props, reason);
    } catch (const std::bad_alloc&) {
      hr = E_OUTOFMEMORY;
      reason.clear();
    }
    if (FAILED(hr)) {
      Destroy();
      if (reason.empty()) reason = Reason(L"out of memory while creating the control", hr);
    }
  }
  if (why) *why = FAILED(hr) ? reason : std::wstring();
  return hr;
}

HRESULT AxHost::CreateSteps(HWND parent, const std::wstring& progId, const RECT& rect,
                            const AxProperties& props, std::wstring& why) {
  const std::wstring control = L"the control " + progId;
  if (!IsWindow(parent)) {
    why = control + L" needs a parent window";
    return E_INVALIDARG;
  }

  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
  if (FAILED(hr)) {
    why = Reason(control + L" is not registered, and no manifest of the program declares it", hr);
    return hr;
  }
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control_));
  if (FAILED(hr)) {
    why = Reason(control + L" could not be created", hr);
    return hr;
  }
  hr = control_.As(&oleObject_);
  if (FAILED(hr)) {
    why = Reason(control + L" is not an ActiveX control", hr);
    return hr;
  }
  site_ = AxSite::Create(parent, rect);
  if (!site_) {
    why = Reason(L"out of memory for the site of " + control, E_OUTOFMEMORY);
    return E_OUTOFMEMORY;
  }
  // Without in-place activation the control has no window on the form, but it may still
  // work (an invisible control); the site then never moves it.
  control_.As(&inPlace_);
  site_->Attach(inPlace_.Get());

  DWORD misc = 0;
  if (FAILED(oleObject_->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
  // Some controls read ambient properties while they load, so they want the site first.
  if (misc & OLEMISC_SETCLIENTSITEFIRST) {
    hr = oleObject_->SetClientSite(site_.Get());
    if (FAILED(hr)) {
      why = Reason(control + L" refused its client site", hr);
      return hr;
    }
    siteSet_ = true;
  }

  ComPtr<IPersistPropertyBag> persistBag;
  ComPtr<IPersistStreamInit> persistStream;
  if (SUCCEEDED(control_.As(&persistBag))) {
    if (props.Empty()) {
      hr = persistBag->InitNew();
    } else {
      ComPtr<IPropertyBag> bag;
      hr = props.CreateBag(&bag);
      if (SUCCEEDED(hr)) hr = persistBag->Load(bag.Get(), nullptr);
    }
  } else if (SUCCEEDED(control_.As(&persistStream))) {
    hr = persistStream->InitNew();
  }
  if (FAILED(hr) && hr != E_NOTIMPL) {
    why = Reason(control + L" could not load its properties", hr);
    return hr;
  }

  if (!siteSet_) {
    hr = oleObject_->SetClientSite(site_.Get());
    if (FAILED(hr)) {
      why = Reason(control + L" refused its client site", hr);
      return hr;
    }
    siteSet_ = true;
  }

  // The saved extent if there is one, else the rectangle's size. A control may keep a size
  // of its own, so the result does not matter.
  SIZEL extent;
  if (!ReadExtent(props, L"_ExtentX", extent.cx) || !ReadExtent(props, L"_ExtentY", extent.cy)) {
    const SIZE dpi = common::ScreenDpi();
    extent.cx = PixelsToHimetric(rect.right - rect.left, dpi.cx);
    extent.cy = PixelsToHimetric(rect.bottom - rect.top, dpi.cy);
  }
  oleObject_->SetExtent(DVASPECT_CONTENT, &extent);

  RECT pos = rect;
  hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, parent, &pos);
  if (FAILED(hr)) {
    why = Reason(control + L" could not be activated on its window", hr);
    return hr;
  }
  if (inPlace_) {
    // The control may have asked for another rectangle while it activated.
    RECT now = site_->Rect();
    inPlace_->SetObjectRects(&now, &now);
  }

  return ConnectEvents(why);
}

HRESULT AxHost::ConnectEvents(std::wstring& why) {
  const std::wstring control = L"the control " + progId_;
  // Events nobody asked for are not worth failing over: without handlers, a control whose
  // events cannot be reached is simply hosted without them.
  const bool needed = !handlers_.empty();
  auto fail = [&](const std::wstring& text, HRESULT hr) {
    events_.Reset();
    connection_.Reset();
    sink_.Reset();
    if (!needed) return S_OK;
    why = Reason(control + text, hr);
    return hr;
  };

  // The default source interface, found through the control's class information.
  ComPtr<IProvideClassInfo> classInfo;
  ComPtr<ITypeInfo> coclass;
  if (SUCCEEDED(control_.As(&classInfo)) && SUCCEEDED(classInfo->GetClassInfo(&coclass))) {
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(coclass->GetTypeAttr(&attr))) {
      for (UINT i = 0; i < attr->cImplTypes && !events_; ++i) {
        INT flags = 0;
        HREFTYPE ref;
        if (SUCCEEDED(coclass->GetImplTypeFlags(i, &flags)) &&
            (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) ==
                (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) &&
            SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)))
          coclass->GetRefTypeInfo(ref, &events_);
      }
      coclass->ReleaseTypeAttr(attr);
    }
  }
  if (!events_) return fail(L" describes no events", CONNECT_E_NOCONNECTION);

  IID iid = IID_NULL;
  ComPtr<IProvideClassInfo2> classInfo2;
  if (FAILED(control_.As(&classInfo2)) ||
      FAILED(classInfo2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid))) {
    TYPEATTR* attr = nullptr;
    HRESULT hr = events_->GetTypeAttr(&attr);
    if (FAILED(hr)) return fail(L" describes its events incompletely", hr);
    iid = attr->guid;
    events_->ReleaseTypeAttr(attr);
  }

  for (Handler& h : handlers_) {
    HRESULT hr = ResolveEvent(h);
    if (FAILED(hr)) return fail(L" raises no event " + h.name, hr);
  }

  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = control_.As(&container);
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(iid, &connection_);
  if (FAILED(hr)) return fail(L" offers no connection for its events", hr);
  sink_ = AxEventSink::Create(this, iid);
  if (!sink_) return fail(L": out of memory for its events", E_OUTOFMEMORY);
  hr = connection_->Advise(static_cast<IDispatch*>(sink_.Get()), &cookie_);
  if (FAILED(hr)) return fail(L" refused the event connection", hr);
  return S_OK;
}

HRESULT AxHost::ResolveEvent(Handler& handler) const {
  if (!events_) return DISP_E_UNKNOWNNAME;
  // GetIDsOfNames takes a writable array but does not write to the names.
  LPOLESTR name = const_cast<LPOLESTR>(handler.name.c_str());
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = events_->GetIDsOfNames(&name, 1, &id);
  if (FAILED(hr)) return hr;
  handler.id = id;
  return S_OK;
}

bool AxHost::Dispatch(DISPID id, DISPPARAMS& params) {
  for (const Handler& h : handlers_) {
    if (h.id != id || !h.fn) continue;
    // Copies, so a handler may replace handlers or destroy this host while it runs; the
    // control then goes only after the handler has returned into it.
    AxEventHandler fn = h.fn;
    ComPtr<IUnknown> keep = control_;
    fn(params);
    return true;
  }
  return false;
}

void AxHost::Destroy() noexcept {
  // Moved out first, so the host reads as empty to anything the teardown calls back into.
  ComPtr<AxEventSink> sink = std::move(sink_);
  ComPtr<IConnectionPoint> connection = std::move(connection_);
  ComPtr<IOleInPlaceObject> inPlace = std::move(inPlace_);
  ComPtr<IOleObject> oleObject = std::move(oleObject_);
  ComPtr<AxSite> site = std::move(site_);
  ComPtr<IUnknown> control = std::move(control_);
  ComPtr<ITypeInfo> events = std::move(events_);
  DWORD cookie = cookie_;
  cookie_ = 0;
  bool siteSet = siteSet_;
  siteSet_ = false;

  if (sink) sink->Detach();
  if (connection) connection->Unadvise(cookie);
  if (inPlace) inPlace->InPlaceDeactivate();
  if (oleObject) {
    oleObject->Close(OLECLOSE_NOSAVE);
    if (siteSet) oleObject->SetClientSite(nullptr);
  }
  if (site) site->Detach();
  for (Handler& h : handlers_) h.id = DISPID_UNKNOWN;
}

}  // namespace forms
