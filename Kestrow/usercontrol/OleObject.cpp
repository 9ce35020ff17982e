// The OLE embedding side of the control: IOleObject, in-place activation (IOleInPlaceObject),
// IOleControl and drawing for hosts (IViewObject2).
#include <new>

#include "ComResult.h"
#include "usercontrol/Units.h"
#include "usercontrol/UserControl.h"

using Microsoft::WRL::ComPtr;

namespace usercontrol {

// --- IOleObject ----------------------------------------------------------------------------

STDMETHODIMP UserControl::SetClientSite(IOleClientSite* site) noexcept {
  if (!site) InPlaceDeactivate();
  clientSite_ = site;
  // A new site may be in design mode, or the container loaded the control before siting it:
  // the control follows the new site's mode. Losing the site changes nothing, since the
  // container is letting the control go.
  if (site) UserModeChanged();
  return S_OK;
}

STDMETHODIMP UserControl::GetClientSite(IOleClientSite** site) noexcept {
  RETURN_IF_NULL(site);
  *site = clientSite_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP UserControl::SetHostNames(LPCOLESTR, LPCOLESTR) noexcept { return S_OK; }

STDMETHODIMP UserControl::Close(DWORD saveOption) noexcept {
  InPlaceDeactivate();
  if (dirty_ && clientSite_ &&
      (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
    clientSite_->SaveObject();
  }
  if (adviseHolder_) adviseHolder_->SendOnClose();
  return S_OK;
}

STDMETHODIMP UserControl::SetMoniker(DWORD, IMoniker*) noexcept { return E_NOTIMPL; }

STDMETHODIMP UserControl::GetMoniker(DWORD, DWORD, IMoniker** mk) noexcept {
  RETURN_IF_NULL(mk);
  *mk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP UserControl::InitFromData(IDataObject*, BOOL, DWORD) noexcept { return E_NOTIMPL; }

STDMETHODIMP UserControl::GetClipboardData(DWORD, IDataObject** data) noexcept {
  RETURN_IF_NULL(data);
  *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP UserControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                 LPCRECT pos) noexcept {
  if (site && !clientSite_) clientSite_ = site;
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(parent, pos);
    case OLEIVERB_HIDE:
      if (window_) ShowWindow(window_.get(), SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

STDMETHODIMP UserControl::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
  RETURN_IF_NULL(verbs);
  return OleRegEnumVerbs(*class_.clsid, verbs);
}

STDMETHODIMP UserControl::Update() noexcept { return S_OK; }
STDMETHODIMP UserControl::IsUpToDate() noexcept { return S_OK; }

STDMETHODIMP UserControl::GetUserClassID(CLSID* clsid) noexcept { return GetClassID(clsid); }

STDMETHODIMP UserControl::GetUserType(DWORD, LPOLESTR* userType) noexcept {
  RETURN_IF_NULL(userType);
  size_t bytes = (wcslen(class_.userType) + 1) * sizeof(wchar_t);
  *userType = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (!*userType) return E_OUTOFMEMORY;
  memcpy(*userType, class_.userType, bytes);
  return S_OK;
}

STDMETHODIMP UserControl::SetExtent(DWORD aspect, SIZEL* size) noexcept {
  RETURN_IF_NULL(size);
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  // A control whose Resize handler fixes its size refuses any other: E_FAIL, extent kept.
  const SIZEL before = extent_;
  ApplyExtent(*size);
  if (extent_.cx != size->cx || extent_.cy != size->cy) {
    extent_ = before;
    return E_FAIL;
  }
  if (window_) {
    SIZE px = HimetricToPixels(extent_);
    SetWindowPos(window_.get(), nullptr, 0, 0, px.cx, px.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return S_OK;
}

STDMETHODIMP UserControl::GetExtent(DWORD aspect, SIZEL* size) noexcept {
  RETURN_IF_NULL(size);
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP UserControl::Advise(IAdviseSink* sink, DWORD* connection) noexcept {
  RETURN_IF_NULL(connection);
  *connection = 0;
  if (!adviseHolder_) return E_OUTOFMEMORY;
  return adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP UserControl::Unadvise(DWORD connection) noexcept {
  if (!adviseHolder_) return OLE_E_NOCONNECTION;
  return adviseHolder_->Unadvise(connection);
}

STDMETHODIMP UserControl::EnumAdvise(IEnumSTATDATA** advise) noexcept {
  RETURN_IF_NULL(advise);
  *advise = nullptr;
  if (!adviseHolder_) return E_OUTOFMEMORY;
  return adviseHolder_->EnumAdvise(advise);
}

STDMETHODIMP UserControl::GetMiscStatus(DWORD, DWORD* status) noexcept {
  RETURN_IF_NULL(status);
  *status = class_.miscStatus;
  return S_OK;
}

STDMETHODIMP UserControl::SetColorScheme(LOGPALETTE*) noexcept { return E_NOTIMPL; }

// --- In-place activation -------------------------------------------------------------------

// Site first, then OnInPlaceActivate, GetWindowContext, the window on the host, ShowObject.
HRESULT UserControl::ActivateInPlace(HWND parent, LPCRECT pos) noexcept {
  if (!window_) return E_UNEXPECTED;
  if (inPlaceSite_) {
    if (pos) ApplyPosRect(*pos);
    return S_OK;
  }
  if (!clientSite_) return E_UNEXPECTED;
  ComPtr<IOleInPlaceSite> site;
  RETURN_IF_FAILED(clientSite_.As(&site));
  if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
  RETURN_IF_FAILED(site->OnInPlaceActivate());

  HWND siteWindow = nullptr;
  if (FAILED(site->GetWindow(&siteWindow)) || !siteWindow) siteWindow = parent;
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT posRect{}, clipRect{};
  OLEINPLACEFRAMEINFO frameInfo = {};
  frameInfo.cb = sizeof(frameInfo);
  bool haveRects =
      SUCCEEDED(site->GetWindowContext(&frame, &document, &posRect, &clipRect, &frameInfo));
  if (!haveRects && pos) posRect = *pos;
  if (!siteWindow) {
    site->OnInPlaceDeactivate();
    return E_FAIL;
  }

  HWND hwnd = window_.get();
  SetWindowLongPtrW(hwnd, GWL_STYLE, WS_CHILD | WS_CLIPSIBLINGS);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, 0);
  SetParent(hwnd, siteWindow);
  inPlaceSite_ = site;
  ApplyPosRect(posRect);
  ShowWindow(hwnd, SW_SHOWNA);
  clientSite_->ShowObject();
  return S_OK;
}

// The host proposes a rectangle; the control's Resize handler has the last word on its size,
// and the host is told when that differs from what it proposed.
void UserControl::ApplyPosRect(const RECT& pos) noexcept {
  if (positioning_) return;
  positioning_ = true;
  ApplyExtent(PixelsToHimetric({pos.right - pos.left, pos.bottom - pos.top}));
  SIZE px = HimetricToPixels(extent_);
  if (window_) {
    SetWindowPos(window_.get(), nullptr, pos.left, pos.top, px.cx, px.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT actual{pos.left, pos.top, pos.left + px.cx, pos.top + px.cy};
  if (inPlaceSite_ && !EqualRect(&actual, &pos)) inPlaceSite_->OnPosRectChange(&actual);
  positioning_ = false;
}

void UserControl::ApplyExtent(const SIZEL& extent) noexcept {
  extent_ = extent;
  Resize();
}

STDMETHODIMP UserControl::GetWindow(HWND* hwnd) noexcept {
  RETURN_IF_NULL(hwnd);
  *hwnd = window_.get();
  return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP UserControl::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP UserControl::InPlaceDeactivate() noexcept {
  if (!inPlaceSite_) return S_OK;
  if (HWND hwnd = window_.get()) {
    ShowWindow(hwnd, SW_HIDE);
    SetParent(hwnd, nullptr);
    SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_CLIPSIBLINGS);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  }
  ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  site->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP UserControl::UIDeactivate() noexcept { return S_OK; }

STDMETHODIMP UserControl::SetObjectRects(LPCRECT pos, LPCRECT) noexcept {
  RETURN_IF_NULL(pos);
  ApplyPosRect(*pos);
  return S_OK;
}

STDMETHODIMP UserControl::ReactivateAndUndo() noexcept { return E_NOTIMPL; }

// --- IOleControl ---------------------------------------------------------------------------

STDMETHODIMP UserControl::GetControlInfo(CONTROLINFO* info) noexcept {
  RETURN_IF_NULL(info);
  // No mnemonics: the control takes no keyboard input.
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP UserControl::OnMnemonic(MSG*) noexcept { return E_NOTIMPL; }
STDMETHODIMP UserControl::OnAmbientPropertyChange(DISPID dispid) noexcept {
  // DISPID_UNKNOWN: several ambient properties changed at once, UserMode perhaps among them.
  if (dispid == DISPID_AMBIENT_USERMODE || dispid == DISPID_UNKNOWN) UserModeChanged();
  return S_OK;
}

STDMETHODIMP UserControl::FreezeEvents(BOOL freeze) noexcept {
  if (freeze) {
    ++freezeCount_;
  } else if (freezeCount_ > 0) {
    --freezeCount_;
  }
  return S_OK;
}

// --- IViewObject2 --------------------------------------------------------------------------

STDMETHODIMP UserControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR) noexcept {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!drawDc) return E_INVALIDARG;
  RECTL area{};
  if (bounds) {
    area = *bounds;
  } else {
    SIZE px = HimetricToPixels(extent_);
    area = {0, 0, px.cx, px.cy};
  }
  // The face is drawn with its top-left corner at the host's origin for it.
  int saved = SaveDC(drawDc);
  OffsetViewportOrgEx(drawDc, area.left, area.top, nullptr);
  // The face is opaque, as on its own window: the button-face colour under the picture.
  RECT face{0, 0, area.right - area.left, area.bottom - area.top};
  FillRect(drawDc, &face, GetSysColorBrush(COLOR_BTNFACE));
  PaintSurface(drawDc, area.right - area.left, area.bottom - area.top);
  RestoreDC(drawDc, saved);
  return S_OK;
}

STDMETHODIMP UserControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                      LOGPALETTE** colors) noexcept {
  RETURN_IF_NULL(colors);
  *colors = nullptr;
  return S_FALSE;
}

STDMETHODIMP UserControl::Freeze(DWORD, LONG, void*, DWORD* freeze) noexcept {
  RETURN_IF_NULL(freeze);
  *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP UserControl::Unfreeze(DWORD) noexcept { return E_NOTIMPL; }

STDMETHODIMP UserControl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) noexcept {
  viewAspects_ = aspects;
  viewAdvf_ = advf;
  viewSink_ = sink;
  return S_OK;
}

STDMETHODIMP UserControl::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) noexcept {
  if (aspects) *aspects = viewAspects_;
  if (advf) *advf = viewAdvf_;
  if (sink) {
    *sink = viewSink_.Get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP UserControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
  return GetExtent(aspect, size);
}

}  // namespace usercontrol
