// The one connection point of a control: the sinks advised on its event interface, and the
// helper through which every event is fired.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

namespace usercontrol {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // The point lives inside its container and shares the container's reference count.
  ConnectionPoint(IConnectionPointContainer* container, const IID& eventsIid) noexcept
      : container_(container), iid_(eventsIid) {}
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) noexcept override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** cpc) noexcept override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) noexcept override;
  STDMETHODIMP Unadvise(DWORD cookie) noexcept override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) noexcept override;

  // Calls every sink advised when the event starts, each held for the whole call, so a sink
  // that unadvises (or releases the control) inside its handler breaks nothing.
  void Fire(DISPID dispid, DISPPARAMS& params) noexcept;
  void Clear() noexcept { sinks_.clear(); }
  bool HasSinks() const noexcept { return !sinks_.empty(); }

 private:
  IConnectionPointContainer* container_;
  IID iid_;
  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace usercontrol
