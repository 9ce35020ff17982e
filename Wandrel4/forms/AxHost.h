// Hosting one ActiveX control on a window: created by ProgID, loaded from saved design
// properties, in-place active at a rectangle, its events delivered to handlers.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Handles.h"
#include "forms/AxSite.h"

namespace forms {

// A window's saved design properties for one control, the way the control reads them
// through its property bag. Names are matched without regard to case; setting a name again
// replaces its value. "_ExtentX" and "_ExtentY" (HIMETRIC) also give the control's extent.
class AxProperties {
 public:
  AxProperties() = default;
  AxProperties(AxProperties&&) = default;
  AxProperties& operator=(AxProperties&&) = default;
  AxProperties(const AxProperties&) = delete;
  AxProperties& operator=(const AxProperties&) = delete;

  HRESULT Set(std::wstring_view name, const VARIANT& value);
  HRESULT SetBool(std::wstring_view name, bool value);
  HRESULT SetInt(std::wstring_view name, LONG value);
  HRESULT SetText(std::wstring_view name, std::wstring_view value);
  // A standard OLE picture that owns its own copy of the icon, so the caller keeps its
  // icon and the picture lives as long as the control holds it.
  HRESULT SetPicture(std::wstring_view name, HICON icon);

  // The stored value, or nullptr when the name is absent.
  const VARIANT* Find(std::wstring_view name) const noexcept;
  // Adds copies of all of another set's values.
  HRESULT CopyFrom(const AxProperties& from);
  bool Empty() const noexcept { return entries_.empty(); }

  // A property bag over a copy of these values, for IPersistPropertyBag::Load. The copy
  // lets a control keep the bag after loading without reaching back into this object.
  HRESULT CreateBag(IPropertyBag** bag) const noexcept;

 private:
  struct Entry {
    std::wstring name;
    UniqueVariant value;
  };
  std::vector<Entry> entries_;
};

// The handler of one event. The arguments come as the control raised them, last argument
// first; by-reference arguments may be assigned and reach the control.
using AxEventHandler = std::function<void(DISPPARAMS&)>;

class AxEventSink;

// One hosted control. Not copyable and not movable: the site and the event sink point to
// it while the control lives.
class AxHost {
 public:
  AxHost();
  ~AxHost();
  AxHost(const AxHost&) = delete;
  AxHost& operator=(const AxHost&) = delete;

  // Registers the handler of the named event (replacing an earlier one). Before Create the
  // name is checked when the control is created; while a control is hosted it is checked at
  // once, and a name the control does not raise gives DISP_E_UNKNOWNNAME.
  HRESULT OnEvent(std::wstring_view event, AxEventHandler handler);

  // Creates the control by ProgID on the parent window at a rectangle in the parent's
  // client pixels. On failure nothing stays created and why (if given) says what went wrong.
  // The thread must have called OleInitialize.
  HRESULT Create(HWND parent, const std::wstring& progId, const RECT& rect,
                 const AxProperties& props, std::wstring* why = nullptr);

  // Unhooks the events, deactivates and closes the control and lets it go. Safe to call
  // twice, and from inside one of the control's event handlers.
  void Destroy() noexcept;

  bool Created() const noexcept { return control_ != nullptr; }
  // The hosted control (uncounted; nullptr when none), for reading or setting its properties.
  IUnknown* Control() const noexcept { return control_.Get(); }

 private:
  friend class AxEventSink;

  struct Handler {
    std::wstring name;
    DISPID id = DISPID_UNKNOWN;
    AxEventHandler fn;
  };

  HRESULT CreateSteps(HWND parent, const std::wstring& progId, const RECT& rect,
                      const AxProperties& props, std::wstring& why);
  HRESULT ConnectEvents(std::wstring& why);
  HRESULT ResolveEvent(Handler& handler) const;
  // Runs the handler of an event the control raised; false when none is registered.
  bool Dispatch(DISPID id, DISPPARAMS& params);

  std::vector<Handler> handlers_;
  std::wstring progId_;
  Microsoft::WRL::ComPtr<IUnknown> control_;
  Microsoft::WRL::ComPtr<IOleObject> oleObject_;
  Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlace_;
  Microsoft::WRL::ComPtr<AxSite> site_;
  bool siteSet_ = false;
  Microsoft::WRL::ComPtr<ITypeInfo> events_;
  Microsoft::WRL::ComPtr<IConnectionPoint> connection_;
  Microsoft::WRL::ComPtr<AxEventSink> sink_;
  DWORD cookie_ = 0;
};

}  // namespace forms
