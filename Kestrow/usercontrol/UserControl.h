// The user-control base: everything a windowed ActiveX control needs from COM and OLE, with
// no knowledge of what the control does. A control derives from UserControlWithDual<I> (see
// UserControlWithDual.h) and supplies its persistence, resize and paint handlers.
//
// The control's window exists from construction, hidden and top-level; in-place activation
// makes it a child of the host's window, deactivation parks it again.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include "ComObject.h"
#include "Handles.h"
#include "usercontrol/CategorizeProperties.h"
#include "usercontrol/ConnectionPoint.h"
#include "usercontrol/ControlClass.h"
#include "usercontrol/PropertyBag.h"

namespace usercontrol {

// Removes the controls' window class; for the module's unload.
void UnregisterWindowClass() noexcept;

// The reference count is a base of its own (RefCount) so that it outlives this class's
// destructor: the teardown still asks Going() while sinks and the window let go.
class UserControl : public common::RefCount,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleControl,
                    public IPersistPropertyBag,
                    public IPersistStreamInit,
                    public IViewObject2,
                    public IConnectionPointContainer,
                    public IProvideClassInfo2,
                    public ICategorizeProperties {
 public:
  UserControl(const UserControl&) = delete;
  UserControl& operator=(const UserControl&) = delete;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) noexcept override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) noexcept override;
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) noexcept override;
  STDMETHODIMP Close(DWORD saveOption) noexcept override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* mk) noexcept override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** mk) noexcept override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) noexcept override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) noexcept override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                      LPCRECT pos) noexcept override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) noexcept override;
  STDMETHODIMP Update() noexcept override;
  STDMETHODIMP IsUpToDate() noexcept override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) noexcept override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) noexcept override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) noexcept override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) noexcept override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) noexcept override;
  STDMETHODIMP Unadvise(DWORD connection) noexcept override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) noexcept override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) noexcept override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* pal) noexcept override;

  // IOleWindow, IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* hwnd) noexcept override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) noexcept override;
  STDMETHODIMP InPlaceDeactivate() noexcept override;
  STDMETHODIMP UIDeactivate() noexcept override;
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) noexcept override;
  STDMETHODIMP ReactivateAndUndo() noexcept override;

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) noexcept override;
  STDMETHODIMP OnMnemonic(MSG* msg) noexcept override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID dispid) noexcept override;
  STDMETHODIMP FreezeEvents(BOOL freeze) noexcept override;

  // IPersist, IPersistPropertyBag, IPersistStreamInit (InitNew and GetClassID serve both)
  STDMETHODIMP GetClassID(CLSID* clsid) noexcept override;
  STDMETHODIMP InitNew() noexcept override;
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) noexcept override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) noexcept override;
  STDMETHODIMP IsDirty() noexcept override;
  STDMETHODIMP Load(LPSTREAM stream) noexcept override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) noexcept override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override;

  // IViewObject, IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
                    HDC targetDc, HDC drawDc, LPCRECTL bounds, LPCRECTL wbounds,
                    BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) noexcept override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
                           HDC targetDc, LOGPALETTE** colors) noexcept override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) noexcept override;
  STDMETHODIMP Unfreeze(DWORD freeze) noexcept override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) noexcept override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) noexcept override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target,
                         LPSIZEL size) noexcept override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) noexcept override;

  // IProvideClassInfo, IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) noexcept override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) noexcept override;

  // ICategorizeProperties: the control's PropertyCategory; the names of the standard
  // categories are the container's business.
  STDMETHODIMP MapPropertyToCategory(DISPID dispid, PROPCAT* category) noexcept override;
  STDMETHODIMP GetCategoryName(PROPCAT category, LCID lcid, BSTR* name) noexcept override;

 protected:
  explicit UserControl(const ControlClass& cls) noexcept;
  virtual ~UserControl();

  // Lifecycle handlers of the control.
  virtual void InitProperties() noexcept = 0;
  virtual HRESULT ReadProperties(PropertyBag& bag) noexcept = 0;
  virtual HRESULT WriteProperties(PropertyBag& bag) noexcept = 0;
  virtual void Resize() noexcept {}
  // Draws the control's face after the base has drawn Picture() at the top-left corner.
  virtual void Paint(HDC dc, int scaleWidth, int scaleHeight) noexcept = 0;
  // The ambient UserMode may have changed: the container switched between design and run, or
  // the control has a new site.
  virtual void UserModeChanged() noexcept {}
  // The property-browser category of a property; false leaves it uncategorised.
  virtual bool PropertyCategory(DISPID, PROPCAT*) noexcept { return false; }

  // Services the control calls.
  HWND hWnd() const noexcept { return window_.get(); }
  bool AmbientUserMode() noexcept;  // true (running) without a site or without the property
  // Marks the control dirty, redraws it and tells property-change sinks (OnChanged).
  void PropertyChanged(const wchar_t* name) noexcept;
  // Asks property-change sinks whether a client may change the property (OnRequestEdit);
  // false when one vetoes. Loading, initialising and teardown ask nobody.
  bool RequestEdit(const wchar_t* name) noexcept;
  IPictureDisp* Picture() const noexcept { return picture_.Get(); }
  void SetPicture(IPictureDisp* picture) noexcept;
  LONG Width() const noexcept;  // twips
  LONG Height() const noexcept;
  void SetWidth(LONG twips) noexcept;
  void SetHeight(LONG twips) noexcept;
  int ScaleWidth() const noexcept;  // pixels of the drawing surface
  int ScaleHeight() const noexcept;
  void FireEvent(DISPID dispid, DISPPARAMS& params) noexcept;

  // Shared by UserControlWithDual: the interface table and dispatch.
  template <class Derived>
  static const QITAB* InterfacesOf() noexcept;
  HRESULT TypeInfoOf(const GUID& guid, ITypeInfo** info) noexcept;
  // The vtable half of the dual interface, which ITypeInfo::Invoke calls through; looked up
  // once per object in the module's type library.
  HRESULT DualTypeInfo(ITypeInfo** info) noexcept;
  const ControlClass& Class() const noexcept { return class_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  void PaintSurface(HDC dc, int width, int height) noexcept;
  HRESULT ActivateInPlace(HWND parent, LPCRECT pos) noexcept;
  void ApplyPosRect(const RECT& pos) noexcept;
  void ApplyExtent(const SIZEL& extent) noexcept;
  void ViewChanged() noexcept;
  HRESULT LoadFromBag(IPropertyBag* bag, IErrorLog* log) noexcept;
  bool MayInitialize() const noexcept;
  DISPID DispatchIdOf(const wchar_t* name) noexcept;

 protected:
  // A client that never calls InitNew or Load (a script's CreateObject, a C++ client of the
  // interface's own methods) gets the properties of a new instance at its first call, through
  // IDispatch or the vtable alike. A later InitNew or Load of a container that used the control
  // first is still accepted.
  void InitializeIfNeeded() noexcept;

 private:
  HRESULT SaveToBag(IPropertyBag* bag) noexcept;

  const ControlClass& class_;
  UniqueHwnd window_;
  SIZEL extent_{};  // HIMETRIC
  bool dirty_ = false;
  bool initialized_ = false;
  bool implicitlyInitialized_ = false;  // by a client's first call, without InitNew or Load
  bool positioning_ = false;
  bool loading_ = false;  // InitNew or Load is running
  LONG freezeCount_ = 0;
  Microsoft::WRL::ComPtr<IPictureDisp> picture_;
  Microsoft::WRL::ComPtr<IOleClientSite> clientSite_;
  Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlaceSite_;
  Microsoft::WRL::ComPtr<IOleAdviseHolder> adviseHolder_;
  Microsoft::WRL::ComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewAdvf_ = 0;
  Microsoft::WRL::ComPtr<ITypeInfo> dualInfo_;
  ConnectionPoint events_;
  ConnectionPoint propertyNotify_;
};

// The first entry answers IUnknown, so every interface leads back to one identity. Derived
// adds its dual interface through Alias.
template <class Derived>
const QITAB* UserControl::InterfacesOf() noexcept {
  static const QITAB table[] = {
      QITABENT(Derived, IOleObject),
      QITABENT(Derived, IOleInPlaceObject),
      QITABENTMULTI(Derived, IOleWindow, IOleInPlaceObject),
      QITABENT(Derived, IOleControl),
      QITABENT(Derived, IPersistPropertyBag),
      QITABENT(Derived, IPersistStreamInit),
      QITABENTMULTI(Derived, IPersist, IPersistStreamInit),
      QITABENT(Derived, IViewObject2),
      QITABENTMULTI(Derived, IViewObject, IViewObject2),
      QITABENT(Derived, IConnectionPointContainer),
      QITABENT(Derived, IProvideClassInfo2),
      QITABENTMULTI(Derived, IProvideClassInfo, IProvideClassInfo2),
      {&IID_ICategorizeProperties, static_cast<int>(OFFSETOFCLASS(ICategorizeProperties, Derived))},
      QITABENT(Derived, IDispatch),
      // No IObjectSafety, on purpose: the control shows shell icons and loads pictures from
      // saved data, so it claims to be neither safe for scripting nor safe for
      // initialization, and a browser must not run it from untrusted pages.
      {nullptr, 0},
  };
  return table;
}

}  // namespace usercontrol
