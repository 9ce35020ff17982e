// A connection point of a control: the sinks advised on one outgoing interface (the events,
// or property-change notifications), and snapshots of them for firing.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

#include "ComObject.h"

namespace usercontrol {

// The point lives inside its container and shares the container's reference count.
class ConnectionPoint final : public common::ComPart<ConnectionPoint, IConnectionPoint> {
 public:
  ConnectionPoint(IConnectionPointContainer* container, const IID& eventsIid) noexcept
      : ComPart(container), container_(container), iid_(eventsIid) {}
  static const QITAB* Interfaces() noexcept;

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) noexcept override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** cpc) noexcept override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) noexcept override;
  STDMETHODIMP Unadvise(DWORD cookie) noexcept override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) noexcept override;

  // Calls every sink advised when the event starts, each held for the whole call, so a sink
  // that unadvises (or releases the control) inside its handler breaks nothing.
  void Fire(DISPID dispid, DISPPARAMS& params) noexcept;
  // Property-change notifications: OnChanged to every sink; OnRequestEdit answers false when
  // any sink vetoes the change (S_FALSE).
  void NotifyChanged(DISPID dispid) noexcept;
  bool RequestEdit(DISPID dispid) noexcept;
  void Clear() noexcept { sinks_.clear(); }
  bool HasSinks() const noexcept { return !sinks_.empty(); }
  const IID& Iid() const noexcept { return iid_; }

 private:
  // Each sink as the interface it was advised on (the event interface or IDispatch for
  // events, IPropertyNotifySink for notifications), held through IUnknown.
  std::vector<Microsoft::WRL::ComPtr<IUnknown>> Snapshot() const;

  IConnectionPointContainer* container_;
  IID iid_;
  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IUnknown>>> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace usercontrol
