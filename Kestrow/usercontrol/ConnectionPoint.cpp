#include "usercontrol/ConnectionPoint.h"

#include <algorithm>
#include <new>

#include "ComResult.h"
#include "usercontrol/Enumerator.h"

using Microsoft::WRL::ComPtr;

namespace usercontrol {

const QITAB* ConnectionPoint::Interfaces() noexcept {
  static const QITAB table[] = {QITABENT(ConnectionPoint, IConnectionPoint), {}};
  return table;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) noexcept {
  RETURN_IF_NULL(iid);
  *iid = iid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** cpc) noexcept {
  RETURN_IF_NULL(cpc);
  *cpc = container_;
  container_->AddRef();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept try {
  RETURN_IF_NULL(cookie);
  *cookie = 0;
  RETURN_IF_NULL(sink);
  ComPtr<IUnknown> held;
  // A sink is asked for the point's interface first; an event sink may also be a plain
  // IDispatch, which is how events are called anyway.
  const bool events = !IsEqualIID(iid_, IID_IPropertyNotifySink);
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(held.GetAddressOf()))) &&
      (!events || FAILED(sink->QueryInterface(IID_IDispatch,
                                              reinterpret_cast<void**>(held.GetAddressOf()))))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  sinks_.emplace_back(nextCookie_, std::move(held));
  *cookie = nextCookie_++;
  return S_OK;
}
CATCH_RETURN()

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) noexcept {
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [cookie](const auto& entry) { return entry.first == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  // Take the sink out before it is released: its Release may call back into the control.
  ComPtr<IUnknown> sink = std::move(it->second);
  sinks_.erase(it);
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept try {
  RETURN_IF_NULL(connections);
  *connections = nullptr;
  std::vector<CONNECTDATA> items;
  items.reserve(sinks_.size());
  for (const auto& [cookie, sink] : sinks_) items.push_back({sink.Get(), cookie});
  return Enumerator<IEnumConnections, CONNECTDATA>::Create(items, connections);
}
CATCH_RETURN()

std::vector<ComPtr<IUnknown>> ConnectionPoint::Snapshot() const {
  std::vector<ComPtr<IUnknown>> snapshot;
  snapshot.reserve(sinks_.size());
  for (const auto& entry : sinks_) snapshot.push_back(entry.second);
  return snapshot;
}

void ConnectionPoint::Fire(DISPID dispid, DISPPARAMS& params) noexcept try {
  for (const auto& sink : Snapshot()) {
    static_cast<IDispatch*>(sink.Get())
        ->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                 nullptr);
  }
} catch (...) {
  // Out of memory for the snapshot: the event is lost, the caller goes on.
}

void ConnectionPoint::NotifyChanged(DISPID dispid) noexcept try {
  for (const auto& sink : Snapshot())
    static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(dispid);
} catch (...) {
}

bool ConnectionPoint::RequestEdit(DISPID dispid) noexcept try {
  for (const auto& sink : Snapshot()) {
    if (static_cast<IPropertyNotifySink*>(sink.Get())->OnRequestEdit(dispid) == S_FALSE) {
      return false;
    }
  }
  return true;
} catch (...) {
  return true;  // nobody could be asked: nobody vetoed
}

}  // namespace usercontrol
