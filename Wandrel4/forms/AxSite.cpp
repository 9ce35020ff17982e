#include "forms/AxSite.h"

#include <olectl.h>

#include <new>

namespace forms {

Microsoft::WRL::ComPtr<AxSite> AxSite::Create(HWND parent, const RECT& rect) noexcept {
  return common::Adopt(new (std::nothrow) AxSite(parent, rect));
}

void AxSite::Attach(IOleInPlaceObject* inPlace) noexcept { inPlace_ = inPlace; }

void AxSite::Detach() noexcept {
  inPlace_.Reset();
  parent_ = nullptr;
  active_ = false;
}

// One static_cast per interface, so no wrong vtable is handed out. IUnknown comes from the
// client site, IOleWindow from the in-place site and the UI window from the frame: always the
// same pointer per IID, which keeps the object's identity.
const QITAB* AxSite::Interfaces() noexcept {
  static const QITAB table[] = {
      QITABENT(AxSite, IOleClientSite),
      QITABENT(AxSite, IOleInPlaceSite),
      QITABENTMULTI(AxSite, IOleWindow, IOleInPlaceSite),
      QITABENT(AxSite, IOleControlSite),
      QITABENT(AxSite, IOleInPlaceFrame),
      QITABENTMULTI(AxSite, IOleInPlaceUIWindow, IOleInPlaceFrame),
      QITABENT(AxSite, IDispatch),
      {},
  };
  return table;
}

// IOleClientSite: the host keeps no documents, monikers or containers of its own.

HRESULT AxSite::SaveObject() noexcept { return E_NOTIMPL; }

HRESULT AxSite::GetMoniker(DWORD, DWORD, IMoniker** mk) noexcept {
  if (!mk) return E_POINTER;
  *mk = nullptr;
  return E_NOTIMPL;
}

HRESULT AxSite::GetContainer(IOleContainer** container) noexcept {
  if (!container) return E_POINTER;
  *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT AxSite::ShowObject() noexcept { return parent_ ? S_OK : E_UNEXPECTED; }
HRESULT AxSite::OnShowWindow(BOOL) noexcept { return S_OK; }
HRESULT AxSite::RequestNewObjectLayout() noexcept { return E_NOTIMPL; }

// IOleWindow

HRESULT AxSite::GetWindow(HWND* hwnd) noexcept {
  if (!hwnd) return E_POINTER;
  *hwnd = parent_;
  return parent_ ? S_OK : E_UNEXPECTED;
}

HRESULT AxSite::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

// IOleInPlaceSite

HRESULT AxSite::CanInPlaceActivate() noexcept { return parent_ ? S_OK : S_FALSE; }

HRESULT AxSite::OnInPlaceActivate() noexcept {
  if (!parent_) return E_UNEXPECTED;
  active_ = true;
  return S_OK;
}

HRESULT AxSite::OnUIActivate() noexcept { return parent_ ? S_OK : E_UNEXPECTED; }

HRESULT AxSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos,
                                 RECT* clip, OLEINPLACEFRAMEINFO* info) noexcept {
  if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
  *frame = nullptr;
  *doc = nullptr;
  if (!parent_) return E_UNEXPECTED;
  // The parent window is both frame and document: no separate document window exists.
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *pos = rect_;
  *clip = rect_;
  info->cb = sizeof(OLEINPLACEFRAMEINFO);
  info->fMDIApp = FALSE;
  info->hwndFrame = parent_;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT AxSite::Scroll(SIZE) noexcept { return E_NOTIMPL; }
HRESULT AxSite::OnUIDeactivate(BOOL) noexcept { return S_OK; }

HRESULT AxSite::OnInPlaceDeactivate() noexcept {
  active_ = false;
  return S_OK;
}

HRESULT AxSite::DiscardUndoState() noexcept { return S_OK; }

HRESULT AxSite::DeactivateAndUndo() noexcept {
  return inPlace_ ? inPlace_->UIDeactivate() : E_UNEXPECTED;
}

HRESULT AxSite::OnPosRectChange(const RECT* pos) noexcept {
  if (!pos) return E_POINTER;
  if (!parent_) return E_UNEXPECTED;
  // The host lays out nothing else, so the control may have the rectangle it asks for.
  rect_ = *pos;
  if (active_ && inPlace_) inPlace_->SetObjectRects(&rect_, &rect_);
  return S_OK;
}

// IOleControlSite

HRESULT AxSite::OnControlInfoChanged() noexcept { return S_OK; }
HRESULT AxSite::LockInPlaceActive(BOOL) noexcept { return S_OK; }

HRESULT AxSite::GetExtendedControl(IDispatch** disp) noexcept {
  if (!disp) return E_POINTER;
  *disp = nullptr;
  return E_NOTIMPL;
}

HRESULT AxSite::TransformCoords(POINTL*, POINTF*, DWORD) noexcept { return E_NOTIMPL; }
HRESULT AxSite::TranslateAccelerator(MSG*, DWORD) noexcept { return S_FALSE; }
HRESULT AxSite::OnFocus(BOOL) noexcept { return S_OK; }
HRESULT AxSite::ShowPropertyFrame() noexcept { return E_NOTIMPL; }

// IOleInPlaceUIWindow and IOleInPlaceFrame: no toolbars, menus or status bar to share.

HRESULT AxSite::GetBorder(RECT* border) noexcept {
  if (!border) return E_POINTER;
  return INPLACE_E_NOTOOLSPACE;
}

HRESULT AxSite::RequestBorderSpace(const BORDERWIDTHS*) noexcept { return INPLACE_E_NOTOOLSPACE; }
HRESULT AxSite::SetBorderSpace(const BORDERWIDTHS*) noexcept { return OLE_E_INVALIDRECT; }
HRESULT AxSite::SetActiveObject(IOleInPlaceActiveObject*, const OLECHAR*) noexcept { return S_OK; }
HRESULT AxSite::InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) noexcept { return E_NOTIMPL; }
HRESULT AxSite::SetMenu(HMENU, HOLEMENU, HWND) noexcept { return E_NOTIMPL; }
HRESULT AxSite::RemoveMenus(HMENU) noexcept { return E_NOTIMPL; }
HRESULT AxSite::SetStatusText(const OLECHAR*) noexcept { return S_OK; }
HRESULT AxSite::EnableModeless(BOOL) noexcept { return S_OK; }
HRESULT AxSite::TranslateAccelerator(MSG*, WORD) noexcept { return S_FALSE; }

// IDispatch: ambient properties by dispatch id only. UserMode says the host is running;
// every other ambient is unknown here, so the control takes its own default.

HRESULT AxSite::GetTypeInfoCount(UINT* count) noexcept {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AxSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
  if (!info) return E_POINTER;
  *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT AxSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) noexcept {
  if (ids)
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT AxSite::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                       EXCEPINFO*, UINT*) noexcept {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = VARIANT_TRUE;
  }
  return S_OK;
}

}  // namespace forms
