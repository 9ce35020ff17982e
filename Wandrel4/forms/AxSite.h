// The client site a hosted ActiveX control talks to: its place on the parent window, the
// in-place frame, the control site and the ambient properties.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <wrl/client.h>

#include "ComObject.h"

namespace forms {

// One COM object per hosted control. It knows only its parent window and the control's
// rectangle; it holds the control's in-place object from Attach to Detach, which breaks the
// reference cycle between the two when the host lets the control go.
class AxSite final : public common::ComObject<AxSite, IOleClientSite, IOleInPlaceSite,
                                              IOleControlSite, IOleInPlaceFrame, IDispatch> {
 public:
  // A new site with one reference, owned by the caller; nullptr when memory runs out.
  static Microsoft::WRL::ComPtr<AxSite> Create(HWND parent, const RECT& rect) noexcept;

  // Lets the site move the control when the control asks for another rectangle.
  void Attach(IOleInPlaceObject* inPlace) noexcept;
  // Forgets the control and the window; later calls from a control that still holds the
  // site fail with E_UNEXPECTED instead of reaching a window that may be gone.
  void Detach() noexcept;
  // The rectangle the control occupies, in the parent's client pixels.
  RECT Rect() const noexcept { return rect_; }
  bool InPlaceActive() const noexcept { return active_; }

  static const QITAB* Interfaces() noexcept;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() noexcept override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** mk) noexcept override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) noexcept override;
  HRESULT STDMETHODCALLTYPE ShowObject() noexcept override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) noexcept override;
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override;

  // IOleWindow (shared by the in-place site and the frame)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) noexcept override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) noexcept override;

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             RECT* pos, RECT* clip,
                                             OLEINPLACEFRAMEINFO* info) noexcept override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) noexcept override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) noexcept override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(const RECT* pos) noexcept override;

  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() noexcept override;
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) noexcept override;
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** disp) noexcept override;
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container,
                                            DWORD flags) noexcept override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, DWORD modifiers) noexcept override;
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL gotFocus) noexcept override;
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() noexcept override;

  // IOleInPlaceUIWindow
  HRESULT STDMETHODCALLTYPE GetBorder(RECT* border) noexcept override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(const BORDERWIDTHS* widths) noexcept override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(const BORDERWIDTHS* widths) noexcept override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object,
                                            const OLECHAR* name) noexcept override;

  // IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, OLEMENUGROUPWIDTHS* widths) noexcept override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU ole, HWND active) noexcept override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) noexcept override;
  HRESULT STDMETHODCALLTYPE SetStatusText(const OLECHAR* text) noexcept override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) noexcept override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, WORD id) noexcept override;

  // IDispatch: the ambient properties
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) noexcept override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                   UINT* argErr) noexcept override;

 private:
  AxSite(HWND parent, const RECT& rect) noexcept : parent_(parent), rect_(rect) {}
  ~AxSite() override = default;

  HWND parent_;
  RECT rect_;
  bool active_ = false;
  Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlace_;
};

}  // namespace forms
