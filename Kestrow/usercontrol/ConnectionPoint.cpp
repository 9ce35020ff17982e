#include "usercontrol/ConnectionPoint.h"

#include <algorithm>
#include <new>

#include "usercontrol/ComResult.h"

using Microsoft::WRL::ComPtr;

namespace usercontrol {

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv) noexcept {
  RETURN_IF_NULL(ppv);
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() noexcept { return container_->AddRef(); }
STDMETHODIMP_(ULONG) ConnectionPoint::Release() noexcept { return container_->Release(); }

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
  ComPtr<IDispatch> dispatch;
  // A sink is asked for the event interface first; plain IDispatch sinks are accepted too.
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  sinks_.emplace_back(nextCookie_, std::move(dispatch));
  *cookie = nextCookie_++;
  return S_OK;
}
CATCH_RETURN()

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) noexcept {
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [cookie](const auto& entry) { return entry.first == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  // Take the sink out before it is released: its Release may call back into the control.
  ComPtr<IDispatch> sink = std::move(it->second);
  sinks_.erase(it);
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept {
  RETURN_IF_NULL(connections);
  *connections = nullptr;
  return E_NOTIMPL;
}

void ConnectionPoint::Fire(DISPID dispid, DISPPARAMS& params) noexcept try {
  std::vector<ComPtr<IDispatch>> snapshot;
  snapshot.reserve(sinks_.size());
  for (const auto& entry : sinks_) snapshot.push_back(entry.second);
  for (const auto& sink : snapshot) {
    sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                 nullptr);
  }
} catch (...) {
  // Out of memory for the snapshot: the event is lost, the caller goes on.
}

}  // namespace usercontrol
